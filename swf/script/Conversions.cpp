// The machine's conversions between kinds of value, with the differences
// between SWF versions the reference player shows.

#include <cmath>
#include <limits>

#include "swf/script/ClipObject.h"
#include "swf/script/Function.h"
#include "swf/script/Machine.h"
#include "swf/script/NumberFormat.h"
#include "swf/script/NumberParse.h"
#include "swf/script/SuperObject.h"

namespace swf::script {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool isPrimitive(const Value& v)
{
    return !v.isObject();
}

} // namespace

Value Machine::lessThan(Value a, Value b)
{
    // The other side is not converted once one has no primitive value.
    bool primitives = true;
    const Value left = toPrimitive(a, PrimitiveHint::Number, &primitives);
    const Value right = primitives ? toPrimitive(b, PrimitiveHint::Number, &primitives) : Value();
    // An object with no primitive value (valueOf gave an object back)
    // compares as false, not as unordered.
    if (!primitives)
        return Value::boolean(false);
    if (left.isString() && right.isString()) {
        // Text compares by its bytes, except that empty text comes after
        // any other.
        const std::string_view l = left.asString()->view();
        const std::string_view r = right.asString()->view();
        return Value::boolean(l.empty() || r.empty() ? r.empty() && !l.empty() : l < r);
    }
    const double x = toNumber(left);
    const double y = toNumber(right);
    if (std::isnan(x) || std::isnan(y))
        return Value();
    return Value::boolean(x < y);
}

Value Machine::toPrimitive(const Value& value, PrimitiveHint hint, bool* found)
{
    if (isPrimitive(value))
        return value;
    Object* object = value.asObject();
    if (object->kind() == ObjectKind::Clip) {
        // A clip reads as its target path, or as nothing once it is gone.
        // As a number it has none: it compares unordered with anything.
        ClipObject* clip = resolveClip(object);
        if (!clip)
            return version() >= 7 ? Value() : Value::string(m_heap.emptyString());
        if (hint == PrimitiveHint::Number)
            return Value::number(kNaN);
        return stringValue(m_host.targetPath(clip->handle()));
    }
    // A String object is its text, whatever its toString says.
    if (hint == PrimitiveHint::String && object->kind() == ObjectKind::String && object->primitive().isString())
        return object->primitive();
    // Dates read as text where either would do.
    if (hint == PrimitiveHint::None && object->kind() == ObjectKind::Date && version() >= 6)
        hint = PrimitiveHint::String;
    // A string is asked of toString alone, a number of valueOf alone; an
    // operator that takes either asks valueOf, then toString.
    String* const first = hint == PrimitiveHint::String ? m_names.toString : m_names.valueOf;
    String* const second = hint == PrimitiveHint::None ? m_names.toString : nullptr;
    // super converts with its class's methods, on the object it stands for.
    const Value receiver = object->kind() == ObjectKind::Super ? static_cast<SuperObject*>(object)->thisValue() : value;
    bool called = false;
    for (String* name : {first, second}) {
        if (!name)
            break;
        const Value method = get(value, name);
        if (Object* fn = method.objectOrNull(); fn && fn->isFunction()) {
            called = true;
            const Value result = call(method, receiver, {});
            // For a string only a string will do.
            if (hint == PrimitiveHint::String ? result.isString() : isPrimitive(result))
                return result;
            // A clip is as good as its path.
            if (hint != PrimitiveHint::String && result.isObject() && result.asObject()->kind() == ObjectKind::Clip)
                return toPrimitive(result, hint, found);
        }
    }
    // Methods that gave no primitive leave a text that says what it is;
    // an object without them is undefined, except as a string.
    if (!called && hint != PrimitiveHint::String)
        return Value();
    if (found)
        *found = false;
    return Value::string(object->isFunction() ? m_names.functionText : m_names.typeObjectText);
}

Value Machine::valueOfStep(const Value& value)
{
    Object* o = value.objectOrNull();
    if (!o)
        return value;
    if (o->kind() == ObjectKind::Date && version() >= 6) {
        // A date whose toString gives no primitive stays itself, so the
        // caller asks it again for whatever it needs.
        bool found = true;
        const Value p = toPrimitive(value, PrimitiveHint::None, &found);
        return found ? p : value;
    }
    // A clip has no primitive of its own: beside text it is its path,
    // beside a number NaN.
    if (o->kind() == ObjectKind::Clip)
        return value;
    if (o->kind() == ObjectKind::Super)
        return toPrimitive(value, PrimitiveHint::None);
    const Value method = get(value, m_names.valueOf);
    if (!method.isObject() || !method.asObject()->isFunction())
        return Value();
    const Value r = call(method, value, {});
    if (Object* clip = r.objectOrNull(); clip && clip->kind() == ObjectKind::Clip)
        return toPrimitive(r, PrimitiveHint::None);
    return r;
}

double Machine::toNumber(const Value& value)
{
    switch (value.type()) {
    case Type::Number: return value.asNumber();
    case Type::Undefined:
    case Type::Null: return version() >= 7 ? kNaN : 0;
    case Type::Boolean: return value.asBoolean() ? 1 : 0;
    case Type::String: return stringToNumber(value.asString()->view(), version());
    case Type::Object: {
        // A number is asked of valueOf alone; no primitive from it is NaN,
        // or 0 for a function before version 6.
        Object* o = value.asObject();
        if (o->kind() == ObjectKind::Clip || o->kind() == ObjectKind::Super)
            return toNumber(toPrimitive(value, PrimitiveHint::Number));
        const Value method = get(value, m_names.valueOf);
        const Value p = method.isObject() && method.asObject()->isFunction() ? call(method, value, {}) : Value();
        if (p.isObject())
            return version() < 6 && o->isFunction() ? 0 : kNaN;
        return toNumber(p);
    }
    }
    return kNaN;
}

String* Machine::numberToString(double number)
{
    if (number >= 0 && number < 1024 && number == std::floor(number) && !(number == 0 && std::signbit(number))) {
        const std::size_t i = std::size_t(number);
        if (m_smallNumbers.empty())
            m_smallNumbers.resize(1024, nullptr);
        if (!m_smallNumbers[i])
            m_smallNumbers[i] = m_heap.intern(std::to_string(i));
        return m_smallNumbers[i];
    }
    return m_heap.string(formatNumber(number));
}

String* Machine::toString(const Value& value)
{
    switch (value.type()) {
    case Type::String: return value.asString();
    case Type::Undefined: return version() >= 7 ? m_names.undefinedText : m_heap.emptyString();
    case Type::Null: return m_names.nullText;
    case Type::Boolean: return value.asBoolean() ? m_names.trueText : m_names.falseText;
    case Type::Number: return numberToString(value.asNumber());
    case Type::Object: {
        const Value p = toPrimitive(value, PrimitiveHint::String);
        if (p.isObject())
            return m_names.typeObjectText;
        return toString(p);
    }
    }
    return m_heap.emptyString();
}

bool Machine::toBoolean(const Value& value)
{
    switch (value.type()) {
    case Type::Boolean: return value.asBoolean();
    case Type::Undefined:
    case Type::Null: return false;
    case Type::Number: return value.asNumber() != 0 && !std::isnan(value.asNumber());
    case Type::String: {
        if (version() >= 7)
            return !value.asString()->empty();
        const double n = stringToNumber(value.asString()->view(), version());
        return n != 0 && !std::isnan(n);
    }
    case Type::Object: return true;
    }
    return false;
}

double Machine::toInteger(const Value& value)
{
    const double n = toNumber(value);
    if (std::isnan(n))
        return 0;
    if (std::isinf(n))
        return n;
    return std::trunc(n);
}

std::int32_t Machine::toInt32(const Value& value)
{
    const double n = value.isNumber() ? value.asNumber() : toNumber(value);
    if (!std::isfinite(n))
        return 0;
    if (n >= -2147483648.0 && n <= 2147483647.0)
        return std::int32_t(n);
    const double wrapped = std::fmod(std::trunc(n), 4294967296.0);
    return std::int32_t(std::uint32_t(std::int64_t(wrapped < 0 ? wrapped + 4294967296.0 : wrapped)));
}

std::uint32_t Machine::toUInt32(const Value& value)
{
    return std::uint32_t(toInt32(value));
}

String* Machine::typeOf(const Value& value)
{
    switch (value.type()) {
    case Type::Undefined: return m_names.typeUndefined;
    case Type::Null: return m_names.typeNull;
    case Type::Boolean: return m_names.typeBoolean;
    case Type::Number: return m_names.typeNumber;
    case Type::String: return m_names.typeString;
    case Type::Object: {
        Object* o = value.asObject();
        if (o->isFunction())
            return m_names.typeFunction;
        if (o->kind() == ObjectKind::Clip && !static_cast<ClipObject*>(o)->isTextField() && !static_cast<ClipObject*>(o)->isButton())
            return m_names.typeMovieClip;
        return m_names.typeObject;
    }
    }
    return m_names.typeUndefined;
}

String* Machine::toKeySlow(const Value& value)
{
    String* text = value.isString() ? value.asString() : toString(value);
    // Naming a property hashes all of its text: long names count as work.
    chargeWork(text->size() / kBytesPerWorkUnit);
    return m_heap.intern(text);
}

Object* Machine::toObjectOrNull(const Value& value)
{
    switch (value.type()) {
    case Type::Object: return value.asObject();
    case Type::Undefined:
    case Type::Null: return nullptr;
    case Type::Boolean: {
        Object* o = newObject(m_builtins.booleanPrototype);
        o->setKind(ObjectKind::Boolean);
        o->setPrimitive(value);
        return o;
    }
    case Type::Number: {
        Object* o = newObject(m_builtins.numberPrototype);
        o->setKind(ObjectKind::Number);
        o->setPrimitive(value);
        return o;
    }
    case Type::String: {
        Object* o = newObject(m_builtins.stringPrototype);
        o->setKind(ObjectKind::String);
        o->setPrimitive(value);
        return o;
    }
    }
    return nullptr;
}

} // namespace swf::script
