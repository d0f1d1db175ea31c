#include "swf/script/ScopeChain.h"

#include <string_view>

#include "swf/script/ClipObject.h"
#include "swf/script/Frame.h"
#include "swf/script/Function.h"
#include "swf/script/Machine.h"
#include "swf/script/Scope.h"

namespace swf::script {

namespace {

// Names split into a path and a variable.
bool isPath(std::string_view name)
{
    return name.find_first_of(":.") != std::string_view::npos;
}

bool sameName(Machine& machine, String* a, String* b)
{
    return a == b || (!machine.caseSensitive() && a->folded() == b->folded());
}

// Path parts look for a child clip before a variable of the name.
bool lookupIn(Machine& machine, Object* object, String* name, Value& out, bool clipsFirst = false)
{
    if (clipsFirst && object->kind() == ObjectKind::Clip) {
        if (const ClipHandle h = machine.handleOf(machine.resolveClip(object))) {
            if (const ClipHandle child = machine.host().child(h, name->view(), machine.caseSensitive())) {
                out = machine.clipValue(child);
                return true;
            }
        }
    }
    return machine.getIfPresent(object, name, out);
}

// A target clip taken away since tellTarget chose it leaves the code's
// own timeline to read from, as the reference player does.
Object* liveTarget(Machine& machine, const Frame& frame)
{
    Object* target = frame.target;
    if (target && target->kind() == ObjectKind::Clip && target != frame.original && !machine.resolveClip(target))
        return frame.original;
    return target;
}

// The scopes before _global: with blocks, then a function's own variables
// and the chain it captured, or the target clip.
bool lookupBeforeGlobal(Machine& machine, Frame& frame, String* name, Value& out, Object** holder, bool clipsFirst = false)
{
    for (auto it = frame.blocks.rbegin(); it != frame.blocks.rend(); ++it) {
        if (it->kind == Block::Kind::With && it->withObject && lookupIn(machine, it->withObject, name, out, clipsFirst)) {
            if (holder)
                *holder = it->withObject;
            return true;
        }
    }
    if (frame.callee) {
        if (frame.activation && lookupIn(machine, frame.activation, name, out, clipsFirst)) {
            if (holder)
                *holder = frame.activation;
            return true;
        }
        for (Scope* s = frame.captured; s; s = s->parent()) {
            if (s->object() && lookupIn(machine, s->object(), name, out, clipsFirst)) {
                if (holder)
                    *holder = s->object();
                return true;
            }
        }
    } else if (Object* target = liveTarget(machine, frame); target && lookupIn(machine, target, name, out, clipsFirst)) {
        if (holder)
            *holder = target;
        return true;
    }
    return false;
}

// Names resolved before any scope: they are the language's, not variables.
bool special(Machine& machine, Frame& frame, String* name, Value& out)
{
    const Names& n = machine.names();
    const std::string_view text = name->view();
    if (text.empty())
        return false;
    if (text[0] == '_') {
        if (sameName(machine, name, n.root)) {
            out = machine.clipValue(machine.host().rootOf(machine.handleOf(frame.target)));
            if (out.isUndefined())
                out = Value::objectOrNull(frame.target);
            return true;
        }
        if (sameName(machine, name, n.global)) {
            if (machine.version() < 6)
                return false;
            out = Value::object(machine.global());
            return true;
        }
        if (sameName(machine, name, n.parent)) {
            const ClipHandle handle = machine.handleOf(frame.target);
            out = handle ? machine.clipValue(machine.host().parent(handle)) : Value();
            return true;
        }
        if (text.size() > 6 && (machine.caseSensitive() ? text.starts_with("_level") : name->folded()->view().starts_with("_level"))) {
            // A variable of the name hides the level, unless _global's; a
            // child clip of the name does not.
            Object* holder = nullptr;
            if (lookupBeforeGlobal(machine, frame, name, out, &holder) && machine.find(holder, name))
                return true;
            int level = 0;
            for (char c : text.substr(6)) {
                if (c < '0' || c > '9')
                    return false;
                level = level * 10 + (c - '0');
                if (level > 65535)
                    return false;
            }
            out = machine.clipValue(machine.host().root(level));
            return true;
        }
        return false;
    }
    // A function's own variable of the name (a parameter called `this`,
    // say) comes before the built-in meaning.
    const auto local = [&] { return frame.callee && frame.activation && machine.findOwn(frame.activation, name); };
    if (sameName(machine, name, n.thisName) && !local()) {
        out = frame.thisValue;
        return true;
    }
    if (frame.callee && sameName(machine, name, n.arguments) && !local()) {
        out = Value::objectOrNull(machine.argumentsOf(frame));
        return true;
    }
    // Version 5 has no super.
    if (frame.callee && frame.version >= 6 && sameName(machine, name, n.superName) && !local()) {
        out = machine.superOf(frame);
        return true;
    }
    return false;
}

// Whether a variable lookup would find `name` on this object.
bool has(Machine& machine, Object* object, String* name)
{
    if (object->kind() == ObjectKind::Clip) {
        ClipObject* clip = machine.resolveClip(object);
        if (!clip)
            return false;
        object = clip;
    }
    if (object->hasSpecialProperties()) {
        Value ignored;
        if (object->getSpecial(machine, name, ignored))
            return true;
    }
    return machine.find(object, name) != nullptr;
}

// One step of a variable path: a child clip of the name comes before a
// variable of it, ".." is the parent, and the language's names (_root,
// _parent, _levelN, _global, this) are theirs.
Object* pathStep(Machine& machine, Frame& frame, Object* from, std::string_view segment)
{
    if (segment == "..") {
        const ClipHandle h = machine.handleOf(from);
        return h ? machine.clipObject(machine.host().parent(h)) : nullptr;
    }
    String* name = machine.intern(segment);
    if (from == nullptr) {
        // The first part of a relative path is looked up along the scope
        // chain, on each clip there its child clips first.
        Value out;
        if (special(machine, frame, name, out))
            return out.objectOrNull();
        if (lookupBeforeGlobal(machine, frame, name, out, nullptr, true))
            return out.objectOrNull();
        return machine.getIfPresent(machine.global(), name, out) ? out.objectOrNull() : nullptr;
    }
    if (from->kind() == ObjectKind::Clip) {
        from = machine.resolveClip(from);
        if (!from)
            return nullptr;
        if (const ClipHandle child = machine.host().child(machine.handleOf(from), segment, machine.caseSensitive()))
            return machine.clipObject(child);
    }
    const Names& n = machine.names();
    if (sameName(machine, name, n.parent)) {
        const ClipHandle h = machine.handleOf(from);
        return h ? machine.clipObject(machine.host().parent(h)) : nullptr;
    }
    if (sameName(machine, name, n.root)) {
        const ClipHandle h = machine.handleOf(from);
        return machine.clipObject(machine.host().rootOf(h));
    }
    if (sameName(machine, name, n.thisName))
        return from;
    if (from->kind() == ObjectKind::Clip && segment.size() > 6 && segment.size() < 12 && segment.starts_with("_level")
        && segment.find_first_not_of("0123456789", 6) == std::string_view::npos)
        return machine.clipObject(machine.host().root(std::stoi(std::string(segment.substr(6)))));
    return machine.get(Value::object(from), name).objectOrNull();
}

// The object a variable path's path part leads to. A leading '/' is the
// root of the target's level; leading ':' are passed over. Each part
// takes its first character as it is, whatever it is, and runs to the
// next ':' or '/', or '.' until a '/' has been seen ("/a.b" is the clip
// named "a.b") and once the part is more than dots ("..." is a name,
// ".." the parent).
// A clip path (a name with slashes only) starts from the target rather
// than the scope chain.
constexpr std::size_t kMaxPathPart = 127;

Object* resolveVariablePath(Machine& machine, Frame& frame, std::string_view path, bool clipPath = false)
{
    if (path.empty())
        return nullptr;
    Object* current = clipPath ? frame.target : nullptr;
    bool slashes = false;
    std::size_t i = 0;
    if (path[0] == '/') {
        const ClipHandle h = machine.handleOf(frame.target);
        current = machine.clipObject(machine.host().root(h ? machine.host().level(h) : 0));
        if (!current)
            return nullptr;
        slashes = true;
        i = 1;
    } else {
        while (i < path.size() && path[i] == ':')
            ++i;
    }
    int steps = 0;
    while (i < path.size()) {
        const std::size_t start = i++;
        bool onlyDots = path[start] == '.';
        for (; i < path.size() && i - start < kMaxPathPart; ++i) {
            const char c = path[i];
            if (c == ':' || c == '/' || (c == '.' && !slashes && !onlyDots))
                break;
            onlyDots = onlyDots && c == '.';
        }
        const std::string_view segment = path.substr(start, i - start);
        // A part is at most kMaxPathPart bytes; what is left of a longer
        // one is the next part.
        const bool cut = i - start == kMaxPathPart && i < path.size() && path[i] != ':' && path[i] != '/'
            && (slashes || onlyDots || path[i] != '.');
        if (i < path.size() && !cut) {
            slashes = slashes || path[i] == '/';
            ++i;
        }
        if (++steps > 256)
            return nullptr;
        current = pathStep(machine, frame, current, segment);
        if (!current)
            return nullptr;
    }
    if (current && current->kind() == ObjectKind::Clip)
        current = machine.resolveClip(current);
    return current;
}

// "a.b.c" and "/a/b:c": the object the last part belongs to, and that
// part, split at the last ':' or '.'.
bool splitPath(Machine& machine, Frame& frame, String* name, Object*& object, String*& variable)
{
    const std::string_view text = name->view();
    const std::size_t split = text.find_last_of(":.");
    if (split == std::string_view::npos)
        return false;
    object = resolveVariablePath(machine, frame, text.substr(0, split));
    variable = machine.intern(text.substr(split + 1));
    return object != nullptr;
}

} // namespace

Object* ScopeChain::activation(Machine& machine, Frame& frame)
{
    if (!frame.activation) {
        frame.activation = machine.heap().make<Object>(nullptr);
    }
    return frame.activation;
}

Object* ScopeChain::variableTarget(Frame& frame)
{
    // A function assigns to the timeline it was defined on, unless a
    // tellTarget inside it names another.
    if (frame.callee && frame.target == frame.original) {
        for (Scope* s = frame.captured; s; s = s->parent())
            if (!s->parent())
                return s->object();
    }
    return frame.target;
}

Value ScopeChain::get(Machine& machine, Frame& frame, String* name, Object** holder)
{
    Value out;
    if (holder)
        *holder = nullptr;
    // No variable has an empty name.
    if (name->empty())
        return out;
    if (special(machine, frame, name, out))
        return out;
    if (!name->hasPathCharacters())
        return getPlain(machine, frame, name, holder);
    // A name with slashes but no ':' or '.' names a clip; without one
    // there it is a plain name, as assignments take it.
    const std::string_view text = name->view();
    const bool bareSlashPath = text.find('/') != std::string_view::npos && text.find_first_of(":.") == std::string_view::npos;
    if (bareSlashPath) {
        Object* clip = resolveVariablePath(machine, frame, text, true);
        if (clip && clip->kind() == ObjectKind::Clip)
            return Value::object(clip);
    }
    if (isPath(text)) {
        Object* object = nullptr;
        String* variable = nullptr;
        if (!splitPath(machine, frame, name, object, variable))
            return Value();
        return machine.get(Value::object(object), variable);
    }
    return getPlain(machine, frame, name, holder);
}

Value ScopeChain::getPlain(Machine& machine, Frame& frame, String* name, Object** holder)
{
    Value out;
    if (lookupBeforeGlobal(machine, frame, name, out, holder))
        return out;
    // Code of version 4 and before sees none of the built-in globals.
    if (frame.version >= 5 && lookupIn(machine, machine.global(), name, out)) {
        if (holder)
            *holder = machine.global();
        return out;
    }
    // Nothing has it: a with block's object may resolve it.
    for (auto it = frame.blocks.rbegin(); it != frame.blocks.rend(); ++it) {
        Object* object = it->kind == Block::Kind::With ? it->withObject : nullptr;
        if (object && machine.find(object, machine.names().resolve))
            return machine.resolveMissing(object, name);
    }
    return Value();
}

void ScopeChain::set(Machine& machine, Frame& frame, String* name, const Value& value)
{
    if (name->empty())
        return;
    if (name->hasPathCharacters() && isPath(name->view())) {
        Object* object = nullptr;
        String* variable = nullptr;
        if (splitPath(machine, frame, name, object, variable))
            machine.set(Value::object(object), variable, value);
        return;
    }
    for (auto it = frame.blocks.rbegin(); it != frame.blocks.rend(); ++it) {
        if (it->kind == Block::Kind::With && it->withObject && has(machine, it->withObject, name)) {
            machine.set(Value::object(it->withObject), name, value);
            return;
        }
    }
    if (frame.callee) {
        if (frame.activation && has(machine, frame.activation, name)) {
            machine.set(frame.activation, name, value);
            return;
        }
        for (Scope* s = frame.captured; s; s = s->parent()) {
            if (s->object() && has(machine, s->object(), name)) {
                machine.set(Value::object(s->object()), name, value);
                return;
            }
        }
    }
    if (Object* target = variableTarget(frame))
        machine.set(Value::object(target), name, value);
}

void ScopeChain::defineLocal(Machine& machine, Frame& frame, String* name, const Value& value, bool onlyIfMissing)
{
    if (!frame.callee) {
        // Outside functions `var` is an assignment, with blocks and all;
        // version 5 makes it on the block's own clip, not a tellTarget's.
        if (frame.version < 6 && frame.original != frame.target) {
            if (frame.original && !(onlyIfMissing && has(machine, frame.original, name)))
                machine.set(Value::object(frame.original), name, value);
            return;
        }
        if (!frame.target)
            return;
        if (onlyIfMissing) {
            if (!has(machine, frame.target, name))
                machine.set(Value::object(frame.target), name, value);
            return;
        }
        set(machine, frame, name, value);
        return;
    }
    Object* locals = activation(machine, frame);
    if (Property* p = machine.findOwn(locals, name)) {
        if (!onlyIfMissing)
            p->value = value;
        return;
    }
    machine.define(locals, name, value);
}

// Deletes from the first object in scope that has the name as its own;
// what objects only inherit is passed by.
bool ScopeChain::remove(Machine& machine, Frame& frame, String* name)
{
    const auto own = [&](Object* object) { return object && machine.hasOwn(object, name); };
    for (auto it = frame.blocks.rbegin(); it != frame.blocks.rend(); ++it)
        if (it->kind == Block::Kind::With && own(it->withObject))
            return machine.remove(it->withObject, name);
    if (frame.callee) {
        if (own(frame.activation))
            return machine.remove(frame.activation, name);
        for (Scope* s = frame.captured; s; s = s->parent())
            if (own(s->object()))
                return machine.remove(s->object(), name);
    } else if (own(frame.target)) {
        return machine.remove(frame.target, name);
    }
    if (own(machine.global()))
        return machine.remove(machine.global(), name);
    return false;
}

Scope* ScopeChain::capture(Machine& machine, Frame& frame)
{
    // Version 5 functions see their own variables and their timeline's,
    // nothing of the functions around them.
    if (frame.version < 6) {
        Object* timeline = variableTarget(frame);
        return timeline ? machine.heap().make<Scope>(timeline, nullptr) : nullptr;
    }
    Scope* chain = nullptr;
    if (frame.callee) {
        chain = frame.captured;
        chain = machine.heap().make<Scope>(activation(machine, frame), chain);
    } else if (frame.target) {
        chain = machine.heap().make<Scope>(frame.target, nullptr);
    }
    for (const Block& block : frame.blocks)
        if (block.kind == Block::Kind::With && block.withObject)
            chain = machine.heap().make<Scope>(block.withObject, chain);
    return chain;
}

} // namespace swf::script
