// Number: the wrapper constructor, its constants, and toString with a
// radix.

#include <cmath>
#include <limits>

#include "swf/script/Machine.h"
#include "swf/script/NumberFormat.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

Value numberConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    const double value = c.count() > 0 ? m.toNumber(c.arg(0)) : 0;
    if (!c.constructing)
        return Value::number(value);
    if (Object* o = c.thisObject()) {
        o->setKind(ObjectKind::Number);
        o->setPrimitive(Value::number(value));
    }
    return Value();
}

// The number a method is called on, or nothing for other objects.
std::optional<double> thisNumber(NativeCall& c)
{
    if (c.thisValue.isNumber())
        return c.thisValue.asNumber();
    if (Object* o = c.thisObject(); o && o->kind() == ObjectKind::Number && o->primitive().isNumber())
        return o->primitive().asNumber();
    return std::nullopt;
}

Value toStringMethod(NativeCall& c)
{
    Machine& m = c.machine;
    const auto n = thisNumber(c);
    if (!n)
        return Value::string(m.names().objectText);
    int radix = 10;
    if (!c.arg(0).isUndefined()) {
        const double r = m.toInteger(c.arg(0));
        radix = r >= 2 && r <= 36 ? int(r) : 10;
    }
    if (radix == 10)
        return Value::string(m.numberToString(*n));
    return m.stringValue(formatNumberRadix(*n, radix));
}

Value valueOf(NativeCall& c)
{
    const auto n = thisNumber(c);
    return n ? Value::number(*n) : c.thisValue;
}

} // namespace

void installNumberClass(Machine& machine)
{
    Builtins& b = machine.builtins();
    b.numberPrototype = machine.newObject();
    Object* p = b.numberPrototype;
    p->setKind(ObjectKind::Number);
    p->setPrimitive(Value::number(0));
    Function* number = defineClass(machine, "Number", numberConstructor, p, H, HPC);
    b.numberConstructor = number;
    defineMethod(machine, p, "valueOf", valueOf);
    defineMethod(machine, p, "toString", toStringMethod);
    machine.define(number, "MAX_VALUE", Value::number(std::numeric_limits<double>::max()), HPC);
    machine.define(number, "MIN_VALUE", Value::number(std::numeric_limits<double>::denorm_min()), HPC);
    machine.define(number, "NaN", Value::number(std::numeric_limits<double>::quiet_NaN()), HPC);
    machine.define(number, "NEGATIVE_INFINITY", Value::number(-std::numeric_limits<double>::infinity()), HPC);
    machine.define(number, "POSITIVE_INFINITY", Value::number(std::numeric_limits<double>::infinity()), HPC);
    registerNative(machine, 106, 0, valueOf);
    registerNative(machine, 106, 1, toStringMethod);
}

} // namespace swf::script
