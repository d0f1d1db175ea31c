// flash.geom.ColorTransform: eight numbers kept inside the object, out of
// script's reach, read and written through accessors on the prototype.

#include <array>
#include <cmath>

#include "swf/script/ArrayObject.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"
#include "swf/script/classes/ColorTransformValues.h"
#include "swf/script/classes/Geometry.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

constexpr const char* kNames[] {"redMultiplier", "greenMultiplier", "blueMultiplier", "alphaMultiplier",
                                "redOffset",     "greenOffset",     "blueOffset",     "alphaOffset"};

// The natives behind the terms answer code of version 8 and later only.
bool availableToCode(Machine& m)
{
    return m.version() >= 8;
}

// The store: an array with no prototype in the object's inner value,
// which only natives reach.
ArrayObject* storeOf(const Value& of)
{
    Object* o = of.objectOrNull();
    if (!o || o->kind() != ObjectKind::Plain)
        return nullptr;
    Object* store = o->primitive().objectOrNull();
    if (!store || store->kind() != ObjectKind::Array || store->prototype())
        return nullptr;
    auto* terms = static_cast<ArrayObject*>(store);
    if (terms->denseSize() != 8)
        return nullptr;
    // Other natives keep stores of their own: this one holds numbers only.
    for (std::size_t i = 0; i < 8; ++i)
        if (!terms->dense(i).isNumber())
            return nullptr;
    return terms;
}

std::array<double, 8> termsOf(const HostColorTransform& t)
{
    return {t.redMultiplier, t.greenMultiplier, t.blueMultiplier, t.alphaMultiplier,
            t.redOffset,     t.greenOffset,     t.blueOffset,     t.alphaOffset};
}

HostColorTransform fromTerms(const std::array<double, 8>& t)
{
    return {t[0], t[1], t[2], t[3], t[4], t[5], t[6], t[7]};
}

void store(Machine& m, Object* into, const HostColorTransform& t)
{
    std::vector<Value> values;
    for (double term : termsOf(t))
        values.push_back(Value::number(term));
    ArrayObject* array = m.newBareArray(nullptr);
    array->assign(m, std::move(values));
    into->setPrimitive(Value::object(array));
}

Value colorTransformConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self)
        return Value();
    HostColorTransform t;
    if (c.count() >= 8) {
        std::array<double, 8> terms {};
        for (std::size_t i = 0; i < 8; ++i)
            terms[i] = m.toNumber(c.arg(i));
        t = fromTerms(terms);
    }
    store(m, self, t);
    return Value();
}

Value termGetter(NativeCall& c)
{
    if (!availableToCode(c.machine))
        return Value();
    const std::optional<HostColorTransform> t = colorTransformOf(c.thisValue);
    if (!t)
        return Value();
    return Value::number(termsOf(*t)[std::size_t(c.callee->tag())]);
}

// Before version 8 a write lands on the object itself, as if the
// accessor were not there, and reads find it there afterwards.
void shadow(Machine& m, Object* self, const char* name, const Value& value)
{
    String* key = m.intern(name);
    if (Property* own = m.findOwn(self, key); own && !own->isAccessor())
        own->value = value;
    else if (!own)
        m.define(self, key, value);
}

Value termSetter(NativeCall& c)
{
    if (!availableToCode(c.machine)) {
        if (Object* self = c.thisObject())
            shadow(c.machine, self, kNames[c.callee->tag()], c.arg(0));
        return Value();
    }
    Machine& m = c.machine;
    ArrayObject* s = storeOf(c.thisValue);
    if (s)
        s->setIndex(m, std::uint32_t(c.callee->tag()), Value::number(m.toNumber(c.arg(0))));
    return Value();
}

Value rgbGetter(NativeCall& c)
{
    if (!availableToCode(c.machine))
        return Value();
    const std::optional<HostColorTransform> t = colorTransformOf(c.thisValue);
    if (!t)
        return Value();
    // Offsets out of 0..255 spill into the other channels, as the
    // reference player's integer arithmetic lets them.
    Machine& m = c.machine;
    const auto channel = [&](double offset) { return std::uint32_t(m.toInt32(Value::number(offset))); };
    const std::uint32_t rgb = channel(t->redOffset) << 16 | channel(t->greenOffset) << 8 | channel(t->blueOffset);
    return Value::number(double(std::int32_t(rgb)));
}

Value rgbSetter(NativeCall& c)
{
    if (!availableToCode(c.machine)) {
        if (Object* self = c.thisObject())
            shadow(c.machine, self, "rgb", c.arg(0));
        return Value();
    }
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self || !storeOf(c.thisValue))
        return Value();
    HostColorTransform t = *colorTransformOf(c.thisValue);
    const std::uint32_t rgb = m.toUInt32(c.arg(0));
    t.redMultiplier = t.greenMultiplier = t.blueMultiplier = 0;
    t.redOffset = (rgb >> 16) & 0xFF;
    t.greenOffset = (rgb >> 8) & 0xFF;
    t.blueOffset = rgb & 0xFF;
    store(m, self, t);
    return Value();
}

// Through the properties, as script reads them.
Value toStringMethod(NativeCall& c)
{
    Machine& m = c.machine;
    std::string text = "(";
    for (std::size_t i = 0; i < 8; ++i)
        text += std::string(i ? ", " : "") + kNames[i] + "=" + scriptText(m, m.get(c.thisValue, m.intern(kNames[i])));
    return m.stringValue(text + ")");
}

// `other` applied first, then this one.
Value concatMethod(NativeCall& c)
{
    if (!availableToCode(c.machine))
        return Value();
    Object* self = c.thisObject();
    const std::optional<HostColorTransform> outer = colorTransformOf(c.thisValue);
    const std::optional<HostColorTransform> inner = colorTransformOf(c.arg(0));
    if (!self || !outer || !inner)
        return Value();
    store(c.machine, self, concatColorTransforms(*outer, *inner));
    return Value();
}

} // namespace

std::optional<HostColorTransform> colorTransformOf(const Value& value)
{
    ArrayObject* s = storeOf(value);
    if (!s)
        return std::nullopt;
    std::array<double, 8> terms {};
    for (std::size_t i = 0; i < 8; ++i)
        terms[i] = s->dense(i).isNumber() ? s->dense(i).asNumber() : 0;
    return fromTerms(terms);
}

Value makeColorTransform(Machine& machine, const HostColorTransform& transform)
{
    const Value made = constructGeometry(machine, "ColorTransform", {});
    if (Object* o = made.objectOrNull(); o && storeOf(made))
        store(machine, o, transform);
    return made;
}

HostColorTransform concatColorTransforms(const HostColorTransform& outer, const HostColorTransform& inner)
{
    return {outer.redMultiplier * inner.redMultiplier,
            outer.greenMultiplier * inner.greenMultiplier,
            outer.blueMultiplier * inner.blueMultiplier,
            outer.alphaMultiplier * inner.alphaMultiplier,
            outer.redOffset + outer.redMultiplier * inner.redOffset,
            outer.greenOffset + outer.greenMultiplier * inner.greenOffset,
            outer.blueOffset + outer.blueMultiplier * inner.blueOffset,
            outer.alphaOffset + outer.alphaMultiplier * inner.alphaOffset};
}

void installColorTransformClass(Machine& machine)
{
    Object* p = machine.newObject();
    Function* colorTransform = defineClass(machine, "", colorTransformConstructor, p);
    machine.define(geometryPackage(machine), "ColorTransform", Value::object(colorTransform));
    for (int i = 0; i < 8; ++i)
        defineAccessor(machine, p, kNames[i], termGetter, termSetter, 0, i);
    defineAccessor(machine, p, "rgb", rgbGetter, rgbSetter);
    defineMethod(machine, p, "concat", concatMethod, Swf6);
    defineScriptMethod(machine, p, "toString", toStringMethod);
}

} // namespace swf::script
