#include "swf/script/Equality.h"

#include "swf/script/Machine.h"
#include "swf/script/String.h"

namespace swf::script {

bool strictEquals(const Value& a, const Value& b)
{
    if (a.type() != b.type())
        return false;
    switch (a.type()) {
    case Type::Undefined:
    case Type::Null: return true;
    case Type::Boolean: return a.asBoolean() == b.asBoolean();
    case Type::Number: return a.asNumber() == b.asNumber();
    case Type::String: return a.asString() == b.asString() || a.asString()->view() == b.asString()->view();
    case Type::Object: return a.asObject() == b.asObject();
    }
    return false;
}

bool looseEquals(Machine& machine, const Value& a, const Value& b)
{
    if (a.type() == b.type())
        return strictEquals(a, b);
    if (a.isNullish() && b.isNullish())
        return true;
    if (a.isNullish() || b.isNullish()) {
        // Older movies compare undefined and null as the empty value.
        return false;
    }
    if (a.isNumber() && b.isString())
        return a.asNumber() == machine.toNumber(b);
    if (a.isString() && b.isNumber())
        return machine.toNumber(a) == b.asNumber();
    if (a.isBoolean())
        return looseEquals(machine, Value::number(a.asBoolean() ? 1 : 0), b);
    if (b.isBoolean())
        return looseEquals(machine, a, Value::number(b.asBoolean() ? 1 : 0));
    if (a.isObject() && !b.isObject()) {
        const Value p = machine.toPrimitive(a, PrimitiveHint::None);
        if (p.isObject())
            return false;
        return looseEquals(machine, p, b);
    }
    if (b.isObject() && !a.isObject()) {
        const Value p = machine.toPrimitive(b, PrimitiveHint::None);
        if (p.isObject())
            return false;
        return looseEquals(machine, a, p);
    }
    return false;
}

} // namespace swf::script
