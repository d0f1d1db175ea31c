// Object: the constructor, Object.prototype's methods (hasOwnProperty,
// addProperty, watch ...) and Object.registerClass.

#include "swf/script/ClipObject.h"
#include "swf/script/Frame.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

Value objectConstructor(NativeCall& c)
{
    const Value v = c.arg(0);
    if (v.isObject())
        return v;
    if (!v.isNullish())
        return Value::objectOrNull(c.machine.toObjectOrNull(v));
    if (c.constructing)
        return Value();
    // Called as a function, Object() answers with an object that has no
    // properties at all, not even a prototype.
    return Value::object(c.machine.heap().make<Object>(nullptr));
}

Value toStringMethod(NativeCall& c)
{
    Object* self = c.thisObject();
    if (self && self->isFunction())
        return Value::string(c.machine.names().functionText);
    return Value::string(c.machine.names().objectText);
}

Value toLocaleString(NativeCall& c)
{
    return c.machine.callMethod(c.thisValue, c.machine.names().toString, {});
}

Value valueOf(NativeCall& c)
{
    return c.thisValue;
}

Value hasOwnProperty(NativeCall& c)
{
    Object* self = c.thisObject();
    if (!self || c.count() == 0)
        return Value::boolean(false);
    String* key = c.machine.toKey(c.arg(0));
    // The flag that hides a property from version 6 hides it from this
    // question in every version (the propflags traces).
    if (const Property* p = self->properties().find(key, c.machine.caseSensitive()); p && (p->flags & PropertyFlag::IgnoreSwf6))
        return Value::boolean(false);
    return Value::boolean(c.machine.hasOwn(self, key));
}

Value isPropertyEnumerable(NativeCall& c)
{
    Object* self = c.thisObject();
    if (!self)
        return Value::boolean(false);
    Property* p = self->properties().find(c.machine.toKey(c.arg(0)), c.machine.caseSensitive());
    return Value::boolean(p && !(p->flags & PropertyFlag::DontEnum));
}

Value isPrototypeOf(NativeCall& c)
{
    Object* self = c.thisObject();
    Object* other = c.arg(0).objectOrNull();
    if (!self || !other)
        return Value::boolean(false);
    int depth = 0;
    for (Object* o = other; o && depth < 256; ++depth) {
        if (!c.machine.followsPrototypeLink(o))
            break;
        o = o->prototype();
        if (o == self)
            return Value::boolean(true);
    }
    return Value::boolean(false);
}

bool isFunction(const Value& v)
{
    return v.isObject() && v.asObject()->isFunction();
}

Value addProperty(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self || c.count() < 2)
        return Value::boolean(false);
    String* name = m.toString(c.arg(0));
    if (name->empty() || !isFunction(c.arg(1)))
        return Value::boolean(false);
    const Value setter = c.arg(2);
    if (!isFunction(setter) && !setter.isNull())
        return Value::boolean(false);
    if (self->kind() == ObjectKind::Clip && !(self = m.resolveClip(self)))
        return Value::boolean(false);
    String* key = m.heap().intern(name);
    if (Property* p = m.findOwn(self, key)) {
        p->getter = c.arg(1);
        p->setter = setter;
        p->flags |= PropertyFlag::Accessor;
        return Value::boolean(true);
    }
    Property& p = self->properties().add(key, Value(), PropertyFlag::Accessor);
    p.getter = c.arg(1);
    p.setter = setter;
    m.heap().reaccount(self);
    return Value::boolean(true);
}

Value watch(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self || c.count() < 2 || !isFunction(c.arg(1)))
        return Value::boolean(false);
    String* key = m.toKey(c.arg(0));
    std::vector<Watcher>& watchers = self->ensureWatchers();
    for (Watcher& w : watchers) {
        if (w.key == key || (!m.caseSensitive() && w.key->folded() == key->folded())) {
            w.callback = c.arg(1);
            w.userData = c.arg(2);
            return Value::boolean(true);
        }
    }
    watchers.push_back(Watcher {key, c.arg(1), c.arg(2), false});
    return Value::boolean(true);
}

Value unwatch(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self || !self->watchers() || c.count() < 1)
        return Value::boolean(false);
    String* key = m.toKey(c.arg(0));
    std::vector<Watcher>& watchers = *self->watchers();
    for (auto it = watchers.begin(); it != watchers.end(); ++it) {
        if (it->key == key || (!m.caseSensitive() && it->key->folded() == key->folded())) {
            watchers.erase(it);
            return Value::boolean(true);
        }
    }
    return Value::boolean(false);
}

Value registerClass(NativeCall& c)
{
    if (c.count() < 2)
        return Value::boolean(false);
    const std::string name = c.machine.toStdString(c.arg(0));
    c.machine.registerClass(name, c.arg(1));
    return Value::boolean(true);
}

// ASnew: whether the script function running was called by `new`.
Value asNew(NativeCall& c)
{
    const Frame* frame = c.machine.currentFrame();
    return Value::boolean(frame && frame->constructing);
}

} // namespace

void installObjectClass(Machine& machine)
{
    Builtins& b = machine.builtins();
    // Object.prototype and Function.prototype come first and point at each
    // other through their constructors; the functions made here get their
    // `constructor` once Function exists.
    b.objectPrototype = machine.heap().make<Object>(nullptr);
    b.functionPrototype = machine.heap().make<Object>(b.objectPrototype);
    machine.setGlobal(machine.newObject());

    Object* proto = b.objectPrototype;
    b.objectConstructor = defineClass(machine, "Object", objectConstructor, proto, H, HPC);
    defineMethod(machine, b.objectConstructor, "registerClass", registerClass, HPC);
    defineMethod(machine, proto, "addProperty", addProperty, HP | Swf6);
    defineMethod(machine, proto, "hasOwnProperty", hasOwnProperty, HP | Swf6);
    defineMethod(machine, proto, "isPropertyEnumerable", isPropertyEnumerable, HP | Swf6);
    defineMethod(machine, proto, "isPrototypeOf", isPrototypeOf, HP | Swf6);
    Function* locale = defineMethod(machine, proto, "toLocaleString", toLocaleString, HP);
    machine.addPrototype(locale);
    defineMethod(machine, proto, "toString", toStringMethod, HP);
    defineMethod(machine, proto, "unwatch", unwatch, HP | Swf6);
    defineMethod(machine, proto, "valueOf", valueOf, HP);
    defineMethod(machine, proto, "watch", watch, HP | Swf6);

    registerNative(machine, 101, 0, watch);
    registerNative(machine, 101, 1, unwatch);
    registerNative(machine, 101, 2, addProperty);
    registerNative(machine, 101, 3, valueOf);
    registerNative(machine, 101, 4, toStringMethod);
    registerNative(machine, 101, 5, hasOwnProperty);
    registerNative(machine, 101, 6, isPrototypeOf);
    registerNative(machine, 101, 7, isPropertyEnumerable);
    registerNative(machine, 101, 8, toLocaleString);
    registerNative(machine, 2, 0, asNew);
}

} // namespace swf::script
