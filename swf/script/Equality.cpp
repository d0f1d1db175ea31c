#include "swf/script/Equality.h"

#include <cmath>

#include "swf/script/ClipObject.h"
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
    // NaN equals NaN in the reference player.
    case Type::Number: return a.asNumber() == b.asNumber() || (std::isnan(a.asNumber()) && std::isnan(b.asNumber()));
    case Type::String: return a.asString() == b.asString() || a.asString()->view() == b.asString()->view();
    case Type::Object: return a.asObject() == b.asObject();
    }
    return false;
}

namespace {

bool isClip(const Value& v)
{
    return v.isObject() && v.asObject()->kind() == ObjectKind::Clip;
}

// An object's own valueOf, with nothing made of a clip it may answer.
Value plainValueOf(Machine& machine, const Value& object)
{
    const Value method = machine.get(object, machine.names().valueOf);
    if (!method.isObject() || !method.asObject()->isFunction())
        return Value();
    return machine.call(method, object, {});
}

} // namespace

bool looseEquals(Machine& machine, const Value& a, const Value& b)
{
    // Clips are a kind of their own here: equal to themselves only, never
    // to their path.
    if (isClip(a) || isClip(b)) {
        if (isClip(a) && isClip(b))
            return machine.resolveClip(a.asObject()) == machine.resolveClip(b.asObject());
        const Value& other = isClip(a) ? b : a;
        if (!other.isObject())
            return false;
        const Value p = plainValueOf(machine, other);
        return isClip(p) && looseEquals(machine, p, isClip(a) ? a : b);
    }
    if (a.type() == b.type())
        return strictEquals(a, b);
    // An object beside anything else is first asked for valueOf, even
    // beside undefined; one without valueOf is undefined.
    if (a.isObject() != b.isObject()) {
        const Value& object = a.isObject() ? a : b;
        const Value& other = a.isObject() ? b : a;
        Value p = object.asObject()->kind() == ObjectKind::Date || object.asObject()->kind() == ObjectKind::Super
            ? machine.valueOfStep(object)
            : plainValueOf(machine, object);
        // Version 5 asks twice when the first answer is no primitive.
        if (p.isObject() && !isClip(p) && machine.version() < 6)
            p = plainValueOf(machine, object);
        if (p.isObject())
            return false;
        return looseEquals(machine, p, other);
    }
    if (a.isNullish() && b.isNullish())
        return true;
    if (a.isNullish() || b.isNullish())
        return false;
    if (a.isNumber() && b.isString())
        return a.asNumber() == machine.toNumber(b);
    if (a.isString() && b.isNumber())
        return machine.toNumber(a) == b.asNumber();
    if (a.isBoolean())
        return looseEquals(machine, Value::number(a.asBoolean() ? 1 : 0), b);
    if (b.isBoolean())
        return looseEquals(machine, a, Value::number(b.asBoolean() ? 1 : 0));
    return false;
}

} // namespace swf::script
