// What reading, writing and deleting a property means: clips resolved by
// path, computed properties, the prototype chain, getters and setters from
// addProperty, watchers, __resolve, and the flags that hide a property
// from code of older versions.

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "swf/script/ArrayObject.h"
#include "swf/script/ClipObject.h"
#include "swf/script/Function.h"
#include "swf/script/Machine.h"
#include "swf/script/SuperObject.h"
#include "swf/script/Text.h"

namespace swf::script {

namespace {

// Prototype chains are script-made and may loop. A read that would walk
// more links than this stops the script, as in the reference player.
constexpr int kMaxChain = 257;

bool isProtoKey(const Names& names, String* key, bool caseSensitive)
{
    return key == names.proto || (!caseSensitive && key->folded() == names.proto);
}

} // namespace

Object* Machine::newObject()
{
    return newObject(m_builtins.objectPrototype);
}

Object* Machine::newObject(Object* prototype)
{
    return m_heap.make<Object>(prototype);
}

ArrayObject* Machine::newBareArray(Object* prototype)
{
    auto* array = m_heap.make<ArrayObject>(prototype);
    // `length` has a place among the properties for its flags; its value
    // is the array's.
    array->properties().add(m_names.length, Value(), PropertyFlag::DontEnum | PropertyFlag::DontDelete);
    return array;
}

ArrayObject* Machine::newArray()
{
    // Arrays made by the machine take whatever _global.Array is now, as
    // the reference player's do: a movie that replaces Array changes them.
    if (!m_builtins.arrayConstructor)
        return newBareArray(m_builtins.arrayPrototype);
    const Value constructor = get(m_global, m_builtins.arrayName);
    Object* prototype = constructor.isObject() ? get(constructor.asObject(), m_names.prototype).objectOrNull() : nullptr;
    ArrayObject* array = newBareArray(prototype);
    define(array, m_names.constructor, constructor, PropertyFlag::DontEnum | PropertyFlag::DontDelete);
    return array;
}

ArrayObject* Machine::newArray(std::vector<Value> values)
{
    ArrayObject* array = newArray();
    array->assign(*this, std::move(values));
    return array;
}

Function* Machine::newNative(NativeFunction native, int tag)
{
    return m_heap.make<Function>(m_builtins.functionPrototype, native, tag);
}

Object* Machine::addPrototype(Function* function)
{
    constexpr std::uint32_t flags = PropertyFlag::DontEnum | PropertyFlag::DontDelete;
    Object* prototype = newObject();
    define(prototype, m_names.constructor, Value::object(function), flags);
    define(function, m_names.prototype, Value::object(prototype), flags);
    return prototype;
}

void Machine::define(Object* object, String* key, const Value& value, std::uint32_t flags)
{
    key = m_heap.intern(key);
    if (isProtoKey(m_names, key, true)) {
        object->setPrototypeValue(value);
        object->setPrototypeFlags(flags);
        return;
    }
    if (Property* p = object->properties().find(key, true)) {
        p->value = value;
        p->getter = Value();
        p->setter = Value();
        p->flags = flags;
        return;
    }
    object->properties().add(key, value, flags);
    m_heap.reaccount(object);
}

void Machine::define(Object* object, std::string_view key, const Value& value, std::uint32_t flags)
{
    define(object, intern(key), value, flags);
}

Property* Machine::findOwn(Object* object, String* key)
{
    Property* p = object->properties().find(key, caseSensitive());
    if (p && !visibleTo(p->flags, m_vmVersion))
        return nullptr;
    return p;
}

bool Machine::hasOwn(Object* object, String* key)
{
    if (object->kind() == ObjectKind::Clip && !(object = resolveClip(object)))
        return false;
    // A property hidden from this version is still the object's own: only
    // reading and writing it by name pass it by.
    if (isProtoKey(m_names, key, caseSensitive()))
        return object->hasPrototypeProperty();
    if (object->hasSpecialProperties()) {
        Value ignored;
        if (object->getSpecial(*this, key, ignored))
            return true;
    }
    return object->properties().find(key, caseSensitive()) != nullptr;
}

Property* Machine::find(Object* object, String* key, Object** holder)
{
    for (int depth = 0; object && depth < kMaxChain; ++depth, object = object->prototype()) {
        if (Property* p = findOwn(object, key)) {
            if (holder)
                *holder = object;
            return p;
        }
    }
    if (holder)
        *holder = nullptr;
    return nullptr;
}

Value Machine::getFromChain(Object* object, const Value& receiver, String* key, bool& found)
{
    found = true;
    const bool cs = caseSensitive();
    int depth = 0;
    for (; object && depth < kMaxChain; ++depth, object = object->prototype()) {
        // A clip's own accessor (addProperty) is read before its built-in
        // property of that name; writes still reach the built-in one.
        const bool ownAccessor = object->kind() == ObjectKind::Clip && [&] {
            const Property* p = object->properties().find(key, cs);
            return p && p->isAccessor();
        }();
        if (object->hasSpecialProperties() && !ownAccessor) {
            Value special;
            if (object->getSpecial(*this, key, special))
                return special;
        }
        if (isProtoKey(m_names, key, cs)) {
            // An object's own link, never inherited.
            if (object->hasPrototypeProperty() && visibleTo(object->prototypeFlags(), m_vmVersion))
                return object->prototypeValue();
            found = false;
            return Value();
        }
        Property* p = object->properties().find(key, cs);
        if (!p || !visibleTo(p->flags, m_vmVersion)) {
            if (object->hasSpecialProperties()) {
                Value late;
                if (object->getAfterOwn(*this, key, late))
                    return late;
            }
            // Versions 5 and 6 stop reading at a link hidden from them,
            // as their walks along prototypes do; later ones read on.
            if (m_vmVersion <= 6 && !followsPrototypeLink(object))
                break;
            continue;
        }
        if (!p->isAccessor())
            return p->value;
        const Value getter = p->getter;
        if (!getter.isObject() || !getter.asObject()->isFunction())
            return Value();
        return call(getter, receiver, {});
    }
    if (object && depth >= kMaxChain)
        abort("a prototype chain is too long to follow; the script was stopped");
    found = false;
    return Value();
}

// __resolve answers for names nothing has, when it is a plain function
// property (one made by addProperty does not answer).
Value Machine::resolveMissing(Object* object, String* key)
{
    if (key == m_names.resolve)
        return Value();
    // From version 7 a __resolve whose value is no object (one made by
    // addProperty has none of its own) is passed by for one further up; an
    // object that is no function ends the search.
    // The flags that hide a property from a version do not hide __resolve.
    Property* p = nullptr;
    int depth = 0;
    for (Object* o = object; o && depth < kMaxChain; o = o->prototype(), ++depth) {
        p = o->properties().find(m_names.resolve, caseSensitive());
        if (p && (m_vmVersion < 7 || p->value.isObject()))
            break;
        p = nullptr;
    }
    if (!p || !p->value.isObject() || !p->value.asObject()->isFunction())
        return Value();
    const Value resolver = p->value;
    const Value name = Value::string(key);
    return call(resolver, Value::object(object), std::span<const Value>(&name, 1));
}

bool Machine::getIfPresent(Object* object, String* key, Value& out)
{
    if (object->kind() == ObjectKind::Clip && !(object = resolveClip(object)))
        return false;
    bool found = false;
    out = getFromChain(object, Value::object(object), key, found);
    return found;
}

bool Machine::clipHasMember(ClipHandle clip, std::string_view name)
{
    ClipObject* object = clipObject(clip);
    String* key = intern(name);
    Object* at = object;
    for (int depth = 0; at && depth < kMaxChain; ++depth, at = at->prototype())
        if (const Property* p = at->properties().find(key, caseSensitive()); p && visibleTo(p->flags, m_vmVersion)
                                                                              && (p->isAccessor() || !p->value.isUndefined()))
            return true;
    return false;
}

Value Machine::get(Object* object, String* key)
{
    if (object->kind() == ObjectKind::Clip && !(object = resolveClip(object)))
        return Value();
    bool found = false;
    Value v = getFromChain(object, Value::object(object), key, found);
    if (found)
        return v;
    return resolveMissing(object, key);
}

Value Machine::get(const Value& object, String* key)
{
    switch (object.type()) {
    case Type::Object: {
        Object* o = object.asObject();
        if (o->kind() == ObjectKind::Super) {
            auto* super = static_cast<SuperObject*>(o);
            if (!super->start())
                return Value();
            bool found = false;
            return getFromChain(super->start(), super->thisValue(), key, found);
        }
        return get(o, key);
    }
    case Type::String: {
        if (key == m_names.length || (!caseSensitive() && key->folded() == m_names.length))
            return Value::number(double(text::length(object.asString()->view(), version())));
        bool found = false;
        return getFromChain(m_builtins.stringPrototype, object, key, found);
    }
    case Type::Number: {
        bool found = false;
        return getFromChain(m_builtins.numberPrototype, object, key, found);
    }
    case Type::Boolean: {
        bool found = false;
        return getFromChain(m_builtins.booleanPrototype, object, key, found);
    }
    default: return Value();
    }
}

Value Machine::getMember(const Value& object, const Value& key)
{
    if (key.isNumber() && object.isObject() && object.asObject()->kind() == ObjectKind::Array) {
        if (const auto index = ArrayObject::indexOf(key.asNumber())) {
            auto* array = static_cast<ArrayObject*>(object.asObject());
            Value out;
            if (array->getIndex(*this, *index, out))
                return out;
        }
    }
    return get(object, toKey(key));
}

void Machine::setMember(const Value& object, const Value& key, const Value& value)
{
    if (key.isNumber() && object.isObject() && object.asObject()->kind() == ObjectKind::Array) {
        auto* array = static_cast<ArrayObject*>(object.asObject());
        if (!array->watchers()) {
            if (const auto index = ArrayObject::indexOf(key.asNumber())) {
                array->setIndex(*this, *index, value);
                return;
            }
        }
    }
    set(object, toKey(key), value);
}

void Machine::set(const Value& object, String* key, const Value& value)
{
    if (!object.isObject())
        return; // writes to primitives go nowhere
    Object* o = object.asObject();
    if (o->kind() == ObjectKind::Super)
        return;
    set(o, key, value);
}

Value Machine::callWatchers(Object* object, String* key, const Value& value)
{
    std::vector<Watcher>* watchers = object->watchers();
    if (!watchers)
        return value;
    const bool cs = caseSensitive();
    for (std::size_t i = 0; i < watchers->size(); ++i) {
        Watcher& w = (*watchers)[i];
        if (!(w.key == key || (!cs && w.key->folded() == key->folded())) || w.running)
            continue;
        bool found = false;
        const Value old = getFromChain(object, Value::object(object), key, found);
        const Value callback = w.callback;
        const Value args[] {Value::string(w.key), old, value, w.userData};
        w.running = true;
        Value result;
        try {
            result = call(callback, Value::object(object), args);
        } catch (...) {
            if (object->watchers() && i < object->watchers()->size())
                (*object->watchers())[i].running = false;
            throw;
        }
        // The callback may have unwatched, so find it again.
        if (object->watchers() && i < object->watchers()->size())
            (*object->watchers())[i].running = false;
        return result;
    }
    return value;
}

void Machine::set(Object* object, String* key, const Value& incoming)
{
    if (object->kind() == ObjectKind::Clip && !(object = resolveClip(object)))
        return;
    key = m_heap.intern(key);
    Value value = incoming;
    if (object->watchers())
        value = callWatchers(object, key, incoming);
    if (object->hasSpecialProperties() && object->setSpecial(*this, key, value))
        return;
    const bool cs = caseSensitive();
    if (isProtoKey(m_names, key, cs)) {
        // addProperty("__proto__", ...) takes writes to the link.
        if (Property* p = findOwn(object, key); p && p->isAccessor()) {
            const Value setter = p->setter;
            if (setter.isObject() && setter.asObject()->isFunction())
                call(setter, Value::object(object), std::span<const Value>(&value, 1));
            return;
        }
        if (!(object->prototypeFlags() & PropertyFlag::ReadOnly) || !object->hasPrototypeProperty())
            object->setPrototypeValue(value);
        return;
    }
    if (Property* p = findOwn(object, key)) {
        if (p->isAccessor()) {
            // A read-only property's setter is not called.
            if (p->flags & PropertyFlag::ReadOnly)
                return;
            const Value setter = p->setter;
            if (setter.isObject() && setter.asObject()->isFunction())
                call(setter, Value::object(object), std::span<const Value>(&value, 1));
            return;
        }
        if (!(p->flags & PropertyFlag::ReadOnly))
            p->value = value;
        return;
    }
    if (setThroughChain(object, key, value))
        return;
    // A property this version cannot see takes the value and shows
    // itself, except that version 6 keeps one meant for version 7 hidden.
    // A name never has two properties.
    if (Property* hidden = object->properties().find(key, cs)) {
        if (hidden->flags & PropertyFlag::ReadOnly)
            return;
        hidden->value = value;
        hidden->getter = Value();
        hidden->setter = Value();
        hidden->flags &= ~PropertyFlag::Accessor;
        if (!(m_vmVersion == 6 && (hidden->flags & PropertyFlag::OnlySwf7Up)))
            hidden->flags &= ~PropertyFlag::VersionMask;
        return;
    }
    object->properties().add(key, value, 0);
    m_heap.reaccount(object);
}

// A setter inherited from a prototype takes the write.
bool Machine::setThroughChain(Object* object, String* key, const Value& value)
{
    Object* proto = object->prototype();
    for (int depth = 0; proto && depth < kMaxChain; ++depth, proto = proto->prototype()) {
        Property* p = findOwn(proto, key);
        if (!p)
            continue;
        if (!p->isAccessor())
            return false;
        const Value setter = p->setter;
        if (setter.isObject() && setter.asObject()->isFunction())
            call(setter, Value::object(object), std::span<const Value>(&value, 1));
        return true;
    }
    return false;
}

bool Machine::remove(Object* object, String* key)
{
    if (object->kind() == ObjectKind::Clip && !(object = resolveClip(object)))
        return false;
    key = m_heap.intern(key);
    if (object->hasSpecialProperties() && object->deleteSpecial(*this, key))
        return true;
    if (isProtoKey(m_names, key, caseSensitive())) {
        if (!object->hasPrototypeProperty() || (object->prototypeFlags() & PropertyFlag::DontDelete))
            return false;
        object->removePrototypeProperty(version() >= 7);
        return true;
    }
    Property* p = findOwn(object, key);
    if (!p || (p->flags & PropertyFlag::DontDelete))
        return false;
    object->properties().remove(p);
    return true;
}

void Machine::enumerate(Object* object, std::vector<Value>& keys)
{
    const bool cs = caseSensitive();
    std::unordered_set<String*> seen;
    std::vector<Value> special;
    for (int depth = 0; object && depth < kMaxChain; ++depth, object = object->prototype()) {
        special.clear();
        if (object->hasSpecialProperties())
            object->specialKeys(*this, special);
        // Newest first, as the reference player lists them.
        const PropertyMap& map = object->properties();
        for (auto it = map.end(); it != map.begin();) {
            --it;
            const Property& p = *it;
            // Version flags hide nothing from for..in.
            String* identity = cs ? p.key : p.key->folded();
            if (!seen.insert(identity).second)
                continue;
            if (!(p.flags & PropertyFlag::DontEnum))
                keys.push_back(Value::string(p.key));
        }
        if (object->hasPrototypeProperty() && !(object->prototypeFlags() & PropertyFlag::DontEnum) && seen.insert(cs ? m_names.proto : m_names.proto->folded()).second)
            keys.push_back(Value::string(m_names.proto));
        for (const Value& k : special) {
            String* key = m_heap.intern(k.asString());
            String* identity = cs ? key : key->folded();
            if (seen.insert(identity).second)
                keys.push_back(Value::string(key));
        }
        chargeWork(map.size() + special.size());
        if (!followsPrototypeLink(object))
            break;
    }
}

// Whether walks along prototypes (for..in, isPrototypeOf) go past this
// object's link. Version 5 stops at any link hidden from it; later
// versions, as the reference player has it, only at a link flagged for
// the version after their own.
bool Machine::followsPrototypeLink(Object* object) const
{
    const std::uint32_t flags = object->prototypeFlags();
    if (m_vmVersion <= 5)
        return visibleTo(flags, m_vmVersion);
    if (m_vmVersion >= 9)
        return true;
    const std::uint32_t next = m_vmVersion == 6 ? PropertyFlag::OnlySwf7Up
        : m_vmVersion == 7                     ? PropertyFlag::OnlySwf8Up
                                               : PropertyFlag::OnlySwf9Up;
    return !(flags & next);
}

bool Machine::instanceOf(const Value& value, const Value& constructor)
{
    Object* object = value.objectOrNull();
    Object* ctor = constructor.objectOrNull();
    if (!object || !ctor)
        return false;
    const Value prototypeValue = get(ctor, m_names.prototype);
    Object* prototype = prototypeValue.objectOrNull();
    if (!prototype)
        return false;
    std::vector<Object*> pending;
    // A link hidden from the movie's version ends the walk, as it ends
    // the other walks along prototypes, and so does a deleted one.
    const auto next = [this](Object* at) { return at->hasPrototypeProperty() && followsPrototypeLink(at) ? at->prototype() : nullptr; };
    Object* o = next(object);
    for (int depth = 0; o && depth < kMaxChain; ++depth, o = next(o)) {
        if (o == prototype)
            return true;
        if (const std::vector<Object*>* interfaces = o->interfaces()) {
            for (Object* i : *interfaces) {
                if (i == ctor)
                    return true;
                // Interfaces extend interfaces.
                if (Object* ip = get(i, m_names.prototype).objectOrNull())
                    pending.push_back(ip);
            }
        }
    }
    for (std::size_t i = 0; i < pending.size() && i < 256; ++i) {
        Object* p = pending[i];
        if (p == prototype)
            return true;
        for (Object* q = p; q; q = q->prototype()) {
            if (q == prototype)
                return true;
            if (const std::vector<Object*>* interfaces = q->interfaces())
                for (Object* iface : *interfaces) {
                    if (iface == ctor)
                        return true;
                    if (Object* ip = get(iface, m_names.prototype).objectOrNull())
                        pending.push_back(ip);
                }
            if (pending.size() > 256)
                break;
        }
    }
    return false;
}

Object* Machine::resolvePath(Object* base, std::string_view path)
{
    Object* current = base;
    std::size_t i = 0;
    if (!path.empty() && path[0] == '/') {
        const ClipHandle h = handleOf(base);
        current = h ? clipObject(m_host.root(m_host.level(h))) : nullptr;
        if (!current)
            current = clipObject(m_host.root(0));
        i = 1;
    }
    while (current && i < path.size()) {
        std::size_t next = path.find_first_of("/.", i);
        if (next == std::string_view::npos)
            next = path.size();
        std::string_view segment = path.substr(i, next - i);
        // ".." is the parent in slash paths.
        if (segment.empty() && next < path.size() && path[next] == '.' && next + 1 < path.size() && path[next + 1] == '.') {
            segment = "..";
            next += 2;
        }
        i = next + 1;
        if (segment.empty())
            continue;
        if (segment == ".." || segment == "_parent" || (!caseSensitive() && segment.size() == 7 && intern(segment)->folded() == m_names.parent)) {
            const ClipHandle h = handleOf(current);
            current = h ? clipObject(m_host.parent(h)) : nullptr;
            continue;
        }
        String* name = intern(segment);
        if (name == m_names.root || (!caseSensitive() && name->folded() == m_names.root)) {
            const ClipHandle h = handleOf(current);
            current = clipObject(m_host.rootOf(h));
            continue;
        }
        if (segment == "this")
            continue;
        if (segment.starts_with("_level") && segment.size() > 6 && segment.find_first_not_of("0123456789", 6) == std::string_view::npos
            && segment.size() < 12) {
            current = clipObject(m_host.root(std::stoi(std::string(segment.substr(6)))));
            continue;
        }
        if (name == m_names.global && version() >= 6) {
            current = m_global;
            continue;
        }
        current = get(Value::object(current), name).objectOrNull();
    }
    return current;
}

Object* Machine::resolveTarget(Object* base, const Value& target)
{
    if (target.isObject())
        return target.asObject();
    if (target.isUndefined())
        return base;
    const String* text = toString(target);
    if (text->empty())
        return base;
    return resolvePath(base, text->view());
}

} // namespace swf::script
