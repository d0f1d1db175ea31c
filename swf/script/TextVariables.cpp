#include "swf/script/TextVariables.h"

#include "swf/runtime/Container.h"
#include "swf/runtime/EditTextInstance.h"
#include "swf/runtime/SpriteInstance.h"
#include "swf/runtime/Stage.h"
#include "swf/script/ClipObject.h"
#include "swf/script/Machine.h"
#include "swf/script/StageHost.h"

namespace swf::script {

namespace {

struct VariablePath {
    std::string_view target; // "" for the parent clip itself
    std::string_view name;
};

// "a.b.c" and "/a/b:c" name c on the clip the rest leads to.
VariablePath split(std::string_view path)
{
    std::size_t at = path.rfind(':');
    if (at == std::string_view::npos)
        at = path.rfind('.');
    if (at == std::string_view::npos)
        return {{}, path};
    return {path.substr(0, at), path.substr(at + 1)};
}

Object* holderOf(Machine& m, ClipHandle parent, std::string_view target)
{
    Object* base = m.clipObject(parent);
    if (!base || target.empty())
        return base;
    return m.resolvePath(base, target);
}

} // namespace

std::optional<Value> readBoundVariable(Machine& m, ClipHandle parent, std::string_view path)
{
    const VariablePath p = split(path);
    Object* holder = p.name.empty() ? nullptr : holderOf(m, parent, p.target);
    Value out;
    if (!holder || !m.getIfPresent(holder, m.intern(p.name), out) || out.isUndefined())
        return std::nullopt;
    return out;
}

void writeBoundVariable(Machine& m, ClipHandle parent, std::string_view path, const Value& value)
{
    const VariablePath p = split(path);
    if (Object* holder = p.name.empty() ? nullptr : holderOf(m, parent, p.target))
        m.set(holder, m.intern(p.name), value);
}

bool boundToClip(Machine& m, ClipHandle parent, std::string_view path)
{
    const VariablePath p = split(path);
    const Object* holder = p.name.empty() ? nullptr : holderOf(m, parent, p.target);
    return holder && holder->kind() == ObjectKind::Clip;
}

void TextVariables::sync(Machine& machine, StageHost& host)
{
    std::unordered_set<std::uint64_t> seen;
    if (Container* root = host.stage().root())
        syncUnder(machine, host, *root, seen);
    // Only the fields still on stage are remembered.
    m_seen = std::move(seen);
}

void TextVariables::syncUnder(Machine& machine, StageHost& host, Container& container, std::unordered_set<std::uint64_t>& seen)
{
    // Copied: a variable's toString may change the tree.
    const std::vector<std::shared_ptr<DisplayObject>> children = container.children();
    for (const auto& child : children) {
        if (child->isRemoved())
            continue;
        if (child->type() == DisplayObject::Type::Sprite) {
            syncUnder(machine, host, static_cast<Container&>(*child), seen);
            continue;
        }
        if (child->type() != DisplayObject::Type::EditText)
            continue;
        auto& field = static_cast<EditTextInstance&>(*child);
        if (field.field().variableName.empty())
            continue;
        const bool isNew = !m_seen.count(field.id());
        seen.insert(field.id());
        syncBoundField(machine, host.handleOf(container), field, isNew);
    }
}

void syncBoundField(Machine& machine, ClipHandle parent, EditTextInstance& field, bool isNew)
{
    const std::string& path = field.field().variableName;
    if (path.empty())
        return;
    const std::optional<Value> value = readBoundVariable(machine, parent, path);
    if (!value) {
        if (isNew && !field.ownText().isEmpty())
            writeBoundVariable(machine, parent, path, machine.stringValue(field.ownText().toStdString()));
        return;
    }
    const QString text = QString::fromStdString(machine.toStdString(*value));
    if (text == (field.isHtml() ? field.htmlText() : field.shownText()))
        return;
    field.showVariable(text);
}

} // namespace swf::script
