// Function: call and apply, and the constructor every function's
// `constructor` names.

#include "swf/script/ArrayObject.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

Value functionConstructor(NativeCall& c)
{
    // Function() makes nothing a movie could call; it answers with an
    // object, as the reference player does.
    if (c.constructing)
        return Value();
    return Value::object(c.machine.newObject());
}

// A function called as a method of `self` has the class of `self` for super.
Object* superHolderOf(const Value& self)
{
    Object* o = self.objectOrNull();
    return o ? o->prototype() : nullptr;
}

Function* thisFunction(NativeCall& c)
{
    Object* self = c.thisObject();
    return self && self->isFunction() ? static_cast<Function*>(self) : nullptr;
}

// The `this` call and apply give: a primitive as its wrapper object, and
// without one an object of no class.
Value thisArgument(NativeCall& c)
{
    const Value v = c.arg(0);
    if (v.isUndefined() || v.isNull())
        return Value::object(c.machine.newObject(nullptr));
    return v.isObject() ? v : Value::objectOrNull(c.machine.toObjectOrNull(v));
}

Value callMethod(NativeCall& c)
{
    Function* function = thisFunction(c);
    if (!function)
        return Value();
    const Value thisValue = thisArgument(c);
    const std::span<const Value> rest = c.count() > 1 ? c.args.subspan(1) : std::span<const Value>();
    return c.machine.callFunction(function, thisValue, rest, false, superHolderOf(thisValue));
}

Value applyMethod(NativeCall& c)
{
    Machine& m = c.machine;
    Function* function = thisFunction(c);
    if (!function)
        return Value();
    const Value thisValue = thisArgument(c);
    std::vector<Value> args;
    if (Object* list = c.arg(1).objectOrNull()) {
        const double length = m.toNumber(m.get(list, m.names().length));
        const std::size_t n = length > 0 ? std::size_t(std::min(length, 65536.0)) : 0;
        m.chargeWork(n);
        args.reserve(n);
        for (std::size_t i = 0; i < n; ++i)
            args.push_back(m.getMember(Value::object(list), Value::number(double(i))));
    }
    return m.callFunction(function, thisValue, args, false, superHolderOf(thisValue));
}

// Functions made before Function itself get their `constructor` now.
void giveConstructor(Machine& machine, Object* object, int depth = 0)
{
    if (!object || depth > 2)
        return;
    for (Property& p : object->properties()) {
        Object* value = p.value.objectOrNull();
        if (value && value->isFunction() && !value->properties().find(machine.names().constructor, true)) {
            const std::uint32_t flags = value == machine.builtins().objectConstructor ? HPC : HP;
            machine.define(value, machine.names().constructor, Value::object(machine.builtins().functionConstructor), flags);
            giveConstructor(machine, value, depth + 1);
        }
    }
}

} // namespace

void installFunctionClass(Machine& machine)
{
    Builtins& b = machine.builtins();
    Object* proto = b.functionPrototype;
    b.functionConstructor = defineClass(machine, "Function", functionConstructor, proto, H | Swf6);
    // Function's own __proto__ and prototype are its prototype object.
    b.functionConstructor->setPrototypeFlags(HP | Swf6);
    machine.define(b.functionConstructor, machine.names().prototype, Value::object(proto), HP);
    machine.define(b.functionConstructor, machine.names().constructor, Value::object(b.functionConstructor), HP);
    defineMethod(machine, proto, "apply", applyMethod, HP | Swf6)->setTransparent();
    defineMethod(machine, proto, "call", callMethod, HP | Swf6)->setTransparent();
    giveConstructor(machine, machine.global());
    giveConstructor(machine, b.objectPrototype);
    giveConstructor(machine, b.objectConstructor);
    registerNative(machine, 101, 10, callMethod);
    registerNative(machine, 101, 11, applyMethod);
}

} // namespace swf::script
