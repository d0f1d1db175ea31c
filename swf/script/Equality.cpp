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

// What an object stands for beside something else: super through its
// class's rule, anything else (dates too) through its valueOf.
Value primitiveStep(Machine& machine, const Value& object)
{
    return object.asObject()->kind() == ObjectKind::Super ? machine.valueOfStep(object) : plainValueOf(machine, object);
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
        Value p = plainValueOf(machine, other);
        if (p.isObject() && !isClip(p) && machine.version() < 6)
            p = plainValueOf(machine, other);
        return isClip(p) && looseEquals(machine, p, isClip(a) ? a : b);
    }
    // Version 5 compares two objects by what they stand for, asking the
    // right one first; a side left with no primitive (a clip counts as
    // one here) beside one that has is asked again. Two sides still
    // without are the same only when the objects are.
    if (a.isObject() && b.isObject() && machine.version() < 6) {
        const auto unresolved = [](const Value& v) { return v.isObject() && !isClip(v); };
        Value right = primitiveStep(machine, b);
        Value left = primitiveStep(machine, a);
        if (unresolved(right) && !unresolved(left))
            right = primitiveStep(machine, b);
        else if (unresolved(left) && !unresolved(right))
            left = primitiveStep(machine, a);
        if (unresolved(left) || unresolved(right))
            return unresolved(left) && unresolved(right) && a.asObject() == b.asObject();
        if (isClip(left) || isClip(right))
            return isClip(left) && isClip(right) && machine.resolveClip(left.asObject()) == machine.resolveClip(right.asObject());
        return looseEquals(machine, left, right);
    }
    if (a.type() == b.type())
        return strictEquals(a, b);
    // An object beside anything else is first asked for valueOf, even
    // beside undefined; one without valueOf is undefined.
    if (a.isObject() != b.isObject()) {
        const Value& object = a.isObject() ? a : b;
        const Value& other = a.isObject() ? b : a;
        Value p = primitiveStep(machine, object);
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
