// Boolean: the wrapper constructor and its two methods.

#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

Value booleanConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    const bool value = c.count() > 0 && m.toBoolean(c.arg(0));
    // Boolean() of nothing is undefined; new Boolean() is false.
    if (!c.constructing)
        return c.count() > 0 ? Value::boolean(value) : Value();
    if (Object* o = c.thisObject()) {
        o->setKind(ObjectKind::Boolean);
        o->setPrimitive(Value::boolean(value));
    }
    return Value();
}

std::optional<bool> thisBoolean(NativeCall& c)
{
    if (c.thisValue.isBoolean())
        return c.thisValue.asBoolean();
    if (Object* o = c.thisObject(); o && o->kind() == ObjectKind::Boolean && o->primitive().isBoolean())
        return o->primitive().asBoolean();
    return std::nullopt;
}

Value toStringMethod(NativeCall& c)
{
    const auto b = thisBoolean(c);
    if (!b)
        return Value::string(c.machine.names().objectText);
    return Value::string(*b ? c.machine.names().trueText : c.machine.names().falseText);
}

Value valueOf(NativeCall& c)
{
    const auto b = thisBoolean(c);
    return b ? Value::boolean(*b) : c.thisValue;
}

} // namespace

void installBooleanClass(Machine& machine)
{
    Builtins& b = machine.builtins();
    b.booleanPrototype = machine.newObject();
    Object* p = b.booleanPrototype;
    p->setKind(ObjectKind::Boolean);
    p->setPrimitive(Value::boolean(false));
    b.booleanConstructor = defineClass(machine, "Boolean", booleanConstructor, p);
    defineMethod(machine, p, "valueOf", valueOf);
    defineMethod(machine, p, "toString", toStringMethod);
    registerNative(machine, 107, 0, valueOf);
    registerNative(machine, 107, 1, toStringMethod);
}

} // namespace swf::script
