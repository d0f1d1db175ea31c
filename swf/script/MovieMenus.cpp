#include "swf/script/MovieMenus.h"

#include "swf/runtime/InputState.h"
#include "swf/runtime/Stage.h"
#include "swf/script/Machine.h"
#include "swf/script/StageHost.h"

namespace swf::script {

namespace {

// More items than any menu can show; a bound on a movie's array.
constexpr std::size_t kMaxItems = 256;
constexpr const char* kBuiltIns[] {"forward_back", "loop", "play", "print", "quality", "rewind", "save", "zoom"};

} // namespace

MovieMenus::MovieMenus(Machine& machine, StageHost& host)
    : m_machine(machine)
    , m_host(host)
{
}

Value MovieMenus::menuOf(ClipHandle owner)
{
    Object* self = m_machine.clipValue(owner).objectOrNull();
    const Value menu = self ? m_machine.get(self, "menu") : Value();
    return menu.isObject() ? menu : Value();
}

Value MovieMenus::customItem(const Value& menu, std::size_t index)
{
    Object* items = menu.isObject() ? m_machine.get(menu.asObject(), "customItems").objectOrNull() : nullptr;
    return items ? m_machine.getMember(Value::object(items), Value::number(double(index))) : Value();
}

MovieMenu MovieMenus::menuAt(QPointF stagePoint)
{
    m_shown.clear();
    m_owner = m_host.root(0);
    MovieMenu shown;
    if (m_host.quitRequested())
        return shown;
    // A round of script of its own, outside any frame.
    m_host.beginRound();
    for (DisplayObject* up = m_host.stage().input().targetAt(stagePoint); up && up->parent(); up = up->parent()) {
        const ClipHandle handle = m_host.handleOf(*up);
        if (menuOf(handle).isObject()) {
            m_owner = handle;
            break;
        }
    }
    Value menu = menuOf(m_owner);
    if (!menu.isObject())
        return shown;
    const Value owner = m_machine.clipValue(m_owner);
    {
        const Value args[] {owner, menu};
        m_machine.callMethod(menu, m_machine.intern("onSelect"), args);
    }
    // onSelect may have changed the owner's menu or taken the owner away.
    menu = menuOf(m_owner);
    if (!menu.isObject())
        return shown;
    const auto flag = [&](const Value& of, const char* name, bool otherwise) {
        const Value value = of.isObject() ? m_machine.get(of.asObject(), name) : Value();
        return value.isUndefined() ? otherwise : m_machine.toBoolean(value);
    };
    const Value builtIns = m_machine.get(menu.asObject(), "builtInItems");
    for (const char* name : kBuiltIns)
        if (!flag(builtIns, name, true))
            shown.hiddenBuiltIns.push_back(name);
    Object* items = m_machine.get(menu.asObject(), "customItems").objectOrNull();
    const double count = items ? m_machine.toNumber(m_machine.get(items, m_machine.names().length)) : 0;
    for (std::size_t i = 0; double(i) < count && i < kMaxItems; ++i) {
        const Value item = customItem(menu, i);
        if (!item.isObject() || !flag(item, "visible", true))
            continue;
        MovieMenu::Item entry;
        entry.caption = m_machine.toStdString(m_machine.get(item.asObject(), "caption"));
        entry.enabled = flag(item, "enabled", true);
        entry.separatorBefore = flag(item, "separatorBefore", false);
        shown.items.push_back(std::move(entry));
        m_shown.push_back(i);
    }
    return shown;
}

void MovieMenus::choose(std::size_t index)
{
    if (index < m_shown.size())
        m_chosen = Chosen {m_owner, m_shown[index]};
}

void MovieMenus::enterFrame()
{
    if (!m_chosen || m_host.quitRequested())
        return;
    const Chosen chosen = *m_chosen;
    m_chosen.reset();
    const Value item = customItem(menuOf(chosen.owner), chosen.index);
    if (!item.isObject())
        return;
    const Value args[] {m_machine.clipValue(chosen.owner), item};
    m_machine.callMethod(item, m_machine.intern("onSelect"), args);
}

} // namespace swf::script
