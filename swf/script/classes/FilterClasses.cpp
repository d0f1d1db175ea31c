// flash.filters: BitmapFilter and the nine filters of version 8. Each
// class is a row of the table below, its properties in the order its
// constructor takes them; an object keeps the values converted as the
// reference player converts them on set, in a store script cannot reach,
// and reads them through getters on the prototype.

#include "swf/script/classes/FilterClasses.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <span>
#include <string_view>

#include "swf/script/ArrayObject.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"
#include "swf/script/classes/Geometry.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

// How a property converts what script gives it.
enum class Kind {
    Distance, // any finite number
    Angle,    // degrees, within one turn
    Color,    // 24-bit RGB
    Alpha,    // 0 to 1
    Blur,     // 0 to 255
    Strength, // 0 to 255
    Quality,  // whole passes, 0 to 15
    Flag,
    BevelType,  // "inner", "outer" or "full"
    ColorTerms, // the 20 terms of a colour matrix
    Kernel,     // a convolution's terms, matrixX by matrixY
    KernelSize, // 0 to 15
    Number,
    Scale,     // a displacement's, -65535 to 65535
    Component, // a channel of the map: 1 red, 2 green, 4 blue, 8 alpha
    Mode,      // "wrap", "clamp", "ignore" or "color"
    Map,       // a BitmapData
    MapPoint,  // a Point, copied
    Colors,
    Alphas,
    Ratios,
};

struct Field {
    const char* name;
    Kind kind;
    double fallback = 0;
};

struct FilterClass {
    const char* name;
    std::span<const Field> fields;
};

constexpr Field kBlur[] {{"blurX", Kind::Blur, 4}, {"blurY", Kind::Blur, 4}, {"quality", Kind::Quality, 1}};
constexpr Field kDropShadow[] {
    {"distance", Kind::Distance, 4}, {"angle", Kind::Angle, 45},     {"color", Kind::Color, 0},   {"alpha", Kind::Alpha, 1},
    {"blurX", Kind::Blur, 4},        {"blurY", Kind::Blur, 4},       {"strength", Kind::Strength, 1},
    {"quality", Kind::Quality, 1},   {"inner", Kind::Flag, 0},       {"knockout", Kind::Flag, 0}, {"hideObject", Kind::Flag, 0},
};
constexpr Field kGlow[] {
    {"color", Kind::Color, 0xFF0000}, {"alpha", Kind::Alpha, 1},  {"blurX", Kind::Blur, 6},   {"blurY", Kind::Blur, 6},
    {"strength", Kind::Strength, 2},  {"quality", Kind::Quality, 1}, {"inner", Kind::Flag, 0}, {"knockout", Kind::Flag, 0},
};
constexpr Field kBevel[] {
    {"distance", Kind::Distance, 4},     {"angle", Kind::Angle, 45},        {"highlightColor", Kind::Color, 0xFFFFFF},
    {"highlightAlpha", Kind::Alpha, 1},  {"shadowColor", Kind::Color, 0},   {"shadowAlpha", Kind::Alpha, 1},
    {"blurX", Kind::Blur, 4},            {"blurY", Kind::Blur, 4},          {"strength", Kind::Strength, 1},
    {"quality", Kind::Quality, 1},       {"type", Kind::BevelType},         {"knockout", Kind::Flag, 0},
};
constexpr Field kGradient[] {
    {"distance", Kind::Distance, 4}, {"angle", Kind::Angle, 45}, {"colors", Kind::Colors},       {"alphas", Kind::Alphas},
    {"ratios", Kind::Ratios},        {"blurX", Kind::Blur, 4},   {"blurY", Kind::Blur, 4},       {"strength", Kind::Strength, 1},
    {"quality", Kind::Quality, 1},   {"type", Kind::BevelType},  {"knockout", Kind::Flag, 0},
};
constexpr Field kColorMatrix[] {{"matrix", Kind::ColorTerms}};
constexpr Field kConvolution[] {
    {"matrixX", Kind::KernelSize, 0}, {"matrixY", Kind::KernelSize, 0}, {"matrix", Kind::Kernel},
    {"divisor", Kind::Number, 1},     {"bias", Kind::Number, 0},        {"preserveAlpha", Kind::Flag, 1},
    {"clamp", Kind::Flag, 1},         {"color", Kind::Color, 0},        {"alpha", Kind::Alpha, 0},
};
constexpr Field kDisplacementMap[] {
    {"mapBitmap", Kind::Map}, {"mapPoint", Kind::MapPoint}, {"componentX", Kind::Component, 0}, {"componentY", Kind::Component, 0},
    {"scaleX", Kind::Scale, 0}, {"scaleY", Kind::Scale, 0}, {"mode", Kind::Mode},               {"color", Kind::Color, 0},
    {"alpha", Kind::Alpha, 0},
};

// The index of a class is its tag; its fields' tags follow on from
// kFieldTags times it.
enum ClassIndex { kBlurClass, kDropShadowClass, kGlowClass, kBevelClass, kGradientGlowClass, kGradientBevelClass,
                  kColorMatrixClass, kConvolutionClass, kDisplacementMapClass, kClassCount };
constexpr std::array<FilterClass, kClassCount> kClasses {{
    {"BlurFilter", kBlur},
    {"DropShadowFilter", kDropShadow},
    {"GlowFilter", kGlow},
    {"BevelFilter", kBevel},
    {"GradientGlowFilter", kGradient},
    {"GradientBevelFilter", kGradient},
    {"ColorMatrixFilter", kColorMatrix},
    {"ConvolutionFilter", kConvolution},
    {"DisplacementMapFilter", kDisplacementMap},
}};
constexpr int kFieldTags = 32;
// Stops a gradient filter takes, as its record holds them.
constexpr std::size_t kMaxStops = 16;
constexpr std::size_t kColorTerms = 20;
constexpr int kMaxKernel = 15;

std::string markerOf(int classIndex)
{
    return std::string("flash.filters.") + kClasses[std::size_t(classIndex)].name;
}

std::size_t slotCount(int classIndex)
{
    return kClasses[std::size_t(classIndex)].fields.size() + 1;
}

// The store and class of a filter object, or null.
ArrayObject* storeOf(Machine& m, const Value& of, int* classIndex = nullptr)
{
    for (int i = 0; i < kClassCount; ++i) {
        if (ArrayObject* store = nativeStore(m, of, markerOf(i), slotCount(i))) {
            if (classIndex)
                *classIndex = i;
            return store;
        }
    }
    return nullptr;
}

double finiteOr(double value, double fallback)
{
    return std::isfinite(value) ? value : fallback;
}

double clamped(Machine& m, const Value& v, double low, double high)
{
    const double n = m.toNumber(v);
    return std::isnan(n) ? low : std::clamp(n, low, high);
}

std::string_view textOf(Machine& m, const Value& v, std::string& holder)
{
    holder = v.isNullish() ? std::string() : m.toStdString(v);
    return holder;
}

// The elements of an array argument, at most `limit` of them.
std::vector<Value> elementsOf(Machine& m, const Value& v, std::size_t limit)
{
    std::vector<Value> out;
    Object* o = v.objectOrNull();
    if (!o || o->kind() != ObjectKind::Array)
        return out;
    auto* array = static_cast<ArrayObject*>(o);
    const std::size_t count = std::min<std::size_t>(array->length(), limit);
    for (std::size_t i = 0; i < count; ++i) {
        Value element;
        array->getIndex(m, std::uint32_t(i), element);
        out.push_back(element);
    }
    return out;
}

Value numberList(Machine& m, const Value& v, std::size_t limit, double low, double high, std::size_t padTo = 0)
{
    std::vector<Value> values;
    for (const Value& element : elementsOf(m, v, limit)) {
        const double n = m.toNumber(element);
        values.push_back(Value::number(std::isnan(n) ? 0 : std::clamp(n, low, high)));
    }
    while (values.size() < padTo)
        values.push_back(Value::number(0));
    return Value::object(m.newArray(std::move(values)));
}

Value identityTerms(Machine& m)
{
    std::vector<Value> terms(kColorTerms, Value::number(0));
    for (std::size_t i = 0; i < 4; ++i)
        terms[i * 6] = Value::number(1);
    return Value::object(m.newArray(std::move(terms)));
}

double storedNumber(Machine& m, const ArrayObject& store, int field)
{
    return m.toNumber(store.dense(std::size_t(field) + 1));
}

// What a field holds after script gave it `v`; `store` holds the fields
// already converted, which a kernel's size depends on.
Value converted(Machine& m, const Field& field, const Value& v, const ArrayObject* store)
{
    std::string text;
    switch (field.kind) {
    case Kind::Distance:
    case Kind::Number: return Value::number(finiteOr(m.toNumber(v), 0));
    case Kind::Angle: return Value::number(std::fmod(finiteOr(m.toNumber(v), 0), 360.0));
    case Kind::Color: return Value::number(double(m.toUInt32(v) & 0xFFFFFF));
    case Kind::Alpha: return Value::number(clamped(m, v, 0, 1));
    case Kind::Blur:
    case Kind::Strength: return Value::number(clamped(m, v, 0, 255));
    case Kind::Quality: return Value::number(std::trunc(clamped(m, v, 0, 15)));
    case Kind::KernelSize: return Value::number(std::trunc(clamped(m, v, 0, kMaxKernel)));
    case Kind::Flag: return Value::boolean(m.toBoolean(v));
    case Kind::BevelType: {
        const std::string_view type = textOf(m, v, text);
        return m.stringValue(type == "inner" || type == "outer" ? std::string(type) : "full");
    }
    case Kind::Mode: {
        const std::string_view mode = textOf(m, v, text);
        return m.stringValue(mode == "clamp" || mode == "ignore" || mode == "color" ? std::string(mode) : "wrap");
    }
    case Kind::ColorTerms:
        return v.isObject() ? numberList(m, v, kColorTerms, -1e15, 1e15, kColorTerms) : identityTerms(m);
    case Kind::Kernel: {
        // matrixX and matrixY are the first two fields of a convolution.
        const std::size_t size = store ? std::size_t(storedNumber(m, *store, 0) * storedNumber(m, *store, 1)) : 0;
        return numberList(m, v, size, -1e15, 1e15, size);
    }
    case Kind::Scale: return Value::number(clamped(m, v, -65535, 65535));
    case Kind::Component: return Value::number(double(m.toUInt32(v) & 15));
    case Kind::Map: {
        Object* o = v.objectOrNull();
        return o && !o->isFunction() ? v : Value();
    }
    case Kind::MapPoint: {
        const Value args[] {Value::number(finiteOr(m.toNumber(m.get(v, m.intern("x"))), 0)),
                            Value::number(finiteOr(m.toNumber(m.get(v, m.intern("y"))), 0))};
        return constructGeometry(m, "Point", args);
    }
    case Kind::Colors: {
        std::vector<Value> colors;
        for (const Value& element : elementsOf(m, v, kMaxStops))
            colors.push_back(Value::number(double(m.toUInt32(element) & 0xFFFFFF)));
        return Value::object(m.newArray(std::move(colors)));
    }
    case Kind::Alphas: return numberList(m, v, kMaxStops, 0, 1);
    case Kind::Ratios: return numberList(m, v, kMaxStops, 0, 255);
    }
    return Value();
}

// A field's value before script sets it.
Value fallbackOf(Machine& m, const Field& field, const ArrayObject* store)
{
    switch (field.kind) {
    case Kind::Flag: return Value::boolean(field.fallback != 0);
    case Kind::BevelType: return m.stringValue("inner");
    case Kind::Mode: return m.stringValue("wrap");
    case Kind::ColorTerms: return identityTerms(m);
    case Kind::Map: return Value();
    case Kind::Kernel:
    case Kind::MapPoint:
    case Kind::Colors:
    case Kind::Alphas:
    case Kind::Ratios: return converted(m, field, Value(), store);
    default: return Value::number(field.fallback);
    }
}

// Arrays and points go out as copies, so that changing what a getter
// gave changes nothing until it is set back.
Value copyOut(Machine& m, const Value& stored)
{
    Object* o = stored.objectOrNull();
    if (!o)
        return stored;
    if (o->kind() == ObjectKind::Array)
        return Value::object(m.newArray(elementsOf(m, stored, kMaxStops * kMaxStops)));
    if (m.instanceOf(stored, m.get(m.get(m.get(Value::object(m.global()), m.intern("flash")), m.intern("geom")), m.intern("Point")))) {
        const Value args[] {m.get(stored, m.intern("x")), m.get(stored, m.intern("y"))};
        return constructGeometry(m, "Point", args);
    }
    return stored;
}

void store(Machine& m, ArrayObject& into, int classIndex, std::size_t field, const Value& v)
{
    const auto fields = kClasses[std::size_t(classIndex)].fields;
    into.setIndex(m, std::uint32_t(field + 1), converted(m, fields[field], v, &into));
    // A kernel keeps matrixX times matrixY terms as its size changes.
    if (fields[field].kind == Kind::KernelSize)
        into.setIndex(m, 3, converted(m, fields[2], into.dense(3), &into));
}

Value filterConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    const int classIndex = c.callee ? c.callee->tag() : 0;
    if (!self || classIndex < 0 || classIndex >= kClassCount)
        return Value();
    // The reference player leaves the link to the class in sight.
    if (c.constructing)
        m.define(self, m.names().constructorHidden, Value::object(c.callee), Swf6);
    ArrayObject* into = makeNativeStore(m, self, markerOf(classIndex), slotCount(classIndex));
    const auto fields = kClasses[std::size_t(classIndex)].fields;
    for (std::size_t i = 0; i < fields.size(); ++i)
        into->setIndex(m, std::uint32_t(i + 1), fallbackOf(m, fields[i], into));
    for (std::size_t i = 0; i < fields.size() && i < c.count(); ++i)
        store(m, *into, classIndex, i, c.arg(i));
    return Value();
}

Value fieldGetter(NativeCall& c)
{
    const int tag = c.callee ? c.callee->tag() : 0;
    int classIndex = -1;
    ArrayObject* from = storeOf(c.machine, c.thisValue, &classIndex);
    if (!from || classIndex != tag / kFieldTags)
        return Value();
    return copyOut(c.machine, from->dense(std::size_t(tag % kFieldTags) + 1));
}

Value fieldSetter(NativeCall& c)
{
    const int tag = c.callee ? c.callee->tag() : 0;
    int classIndex = -1;
    ArrayObject* into = storeOf(c.machine, c.thisValue, &classIndex);
    if (into && classIndex == tag / kFieldTags)
        store(c.machine, *into, classIndex, std::size_t(tag % kFieldTags), c.arg(0));
    return Value();
}

Value filtersPackageValue(Machine& m, const char* name)
{
    const Value flash = m.get(Value::object(m.global()), m.intern("flash"));
    return m.get(m.get(flash, m.intern("filters")), m.intern(name));
}

// A new object of the class with the stored values of `from`.
Value copyOf(Machine& m, int classIndex, const ArrayObject& from)
{
    const Value made = m.construct(filtersPackageValue(m, kClasses[std::size_t(classIndex)].name), {});
    ArrayObject* into = nativeStore(m, made, markerOf(classIndex), slotCount(classIndex));
    if (!into)
        return made;
    for (std::size_t slot = 1; slot < slotCount(classIndex); ++slot)
        into->setIndex(m, std::uint32_t(slot), copyOut(m, from.dense(slot)));
    return made;
}

Value cloneMethod(NativeCall& c)
{
    int classIndex = -1;
    const ArrayObject* from = storeOf(c.machine, c.thisValue, &classIndex);
    return from ? copyOf(c.machine, classIndex, *from) : Value();
}

Value bitmapFilterConstructor(NativeCall&)
{
    return Value();
}

// -- Records for the renderer ------------------------------------------------

struct Reader {
    Machine& m;
    const ArrayObject& store;
    std::span<const Field> fields;

    const Value& value(std::string_view name) const
    {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (name == fields[i].name)
                return store.dense(i + 1);
        }
        static const Value kNone;
        return kNone;
    }
    double number(std::string_view name) const { return finiteOr(m.toNumber(value(name)), 0); }
    bool flag(std::string_view name) const { return m.toBoolean(value(name)); }
    Color color(std::string_view rgb, std::string_view alpha) const
    {
        const auto v = std::uint32_t(number(rgb));
        return {std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v), std::uint8_t(std::lround(number(alpha) * 255))};
    }
    std::vector<double> numbers(std::string_view name) const
    {
        std::vector<double> out;
        for (const Value& element : elementsOf(m, value(name), kMaxKernel * kMaxKernel + kColorTerms))
            out.push_back(finiteOr(m.toNumber(element), 0));
        return out;
    }
    std::string text(std::string_view name) const { return m.toStdString(value(name)); }
};

double radians(double degrees)
{
    return degrees * std::numbers::pi / 180;
}

void readShadowParts(const Reader& r, Filter& f)
{
    f.blurX = r.number("blurX");
    f.blurY = r.number("blurY");
    f.passes = int(r.number("quality"));
    f.strength = r.number("strength");
    f.knockout = r.flag("knockout");
    f.angle = radians(r.number("angle"));
    f.distance = r.number("distance");
}

void readBevelType(const Reader& r, Filter& f)
{
    const std::string type = r.text("type");
    f.inner = type == "inner";
    f.onTop = type == "full";
}

} // namespace

std::optional<Filter> renderFilterOf(Machine& machine, const Value& filter)
{
    int classIndex = -1;
    const ArrayObject* from = storeOf(machine, filter, &classIndex);
    if (!from)
        return std::nullopt;
    const Reader r {machine, *from, kClasses[std::size_t(classIndex)].fields};
    Filter f;
    switch (classIndex) {
    case kBlurClass:
        f.type = FilterType::Blur;
        readShadowParts(r, f);
        f.strength = 1; // a blur has none of its own
        break;
    case kDropShadowClass:
    case kGlowClass:
        f.type = classIndex == kGlowClass ? FilterType::Glow : FilterType::DropShadow;
        readShadowParts(r, f);
        f.color = r.color("color", "alpha");
        f.inner = r.flag("inner");
        f.compositeSource = !r.flag("hideObject");
        break;
    case kBevelClass:
        f.type = FilterType::Bevel;
        readShadowParts(r, f);
        f.color = r.color("shadowColor", "shadowAlpha");
        f.highlight = r.color("highlightColor", "highlightAlpha");
        readBevelType(r, f);
        break;
    case kGradientGlowClass:
    case kGradientBevelClass: {
        f.type = classIndex == kGradientGlowClass ? FilterType::GradientGlow : FilterType::GradientBevel;
        readShadowParts(r, f);
        readBevelType(r, f);
        const auto colors = r.numbers("colors");
        const auto alphas = r.numbers("alphas");
        const auto ratios = r.numbers("ratios");
        const std::size_t stops = std::min({colors.size(), alphas.size(), ratios.size(), kMaxStops});
        for (std::size_t i = 0; i < stops; ++i) {
            const auto rgb = std::uint32_t(colors[i]);
            f.gradient.push_back({{std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb),
                                   std::uint8_t(std::lround(alphas[i] * 255))},
                                  std::uint8_t(ratios[i])});
        }
        break;
    }
    case kColorMatrixClass: {
        f.type = FilterType::ColorMatrix;
        for (double term : r.numbers("matrix"))
            f.matrix.push_back(float(term));
        f.matrix.resize(kColorTerms, 0.0f);
        break;
    }
    case kConvolutionClass: {
        f.type = FilterType::Convolution;
        f.matrixX = int(r.number("matrixX"));
        f.matrixY = int(r.number("matrixY"));
        for (double term : r.numbers("matrix"))
            f.matrix.push_back(float(term));
        f.matrix.resize(std::size_t(f.matrixX * f.matrixY), 0.0f);
        f.divisor = float(r.number("divisor"));
        f.bias = float(r.number("bias"));
        f.preserveAlpha = r.flag("preserveAlpha");
        f.clamp = r.flag("clamp");
        f.defaultColor = r.color("color", "alpha");
        break;
    }
    default: return std::nullopt;
    }
    return f;
}

Value scriptFilterOf(Machine& machine, const Filter& filter)
{
    Machine& m = machine;
    const auto degrees = [](double radians) { return Value::number(radians * 180 / std::numbers::pi); };
    const auto rgb = [](Color c) { return Value::number(double((std::uint32_t(c.r) << 16) | (std::uint32_t(c.g) << 8) | c.b)); };
    const auto alpha = [](Color c) { return Value::number(c.a / 255.0); };
    const Value blurX = Value::number(filter.blurX);
    const Value blurY = Value::number(filter.blurY);
    const Value quality = Value::number(filter.passes);
    const Value strength = Value::number(filter.strength);
    const Value distance = Value::number(filter.distance);
    const Value bevelType = m.stringValue(filter.onTop ? "full" : filter.inner ? "inner" : "outer");
    const auto make = [&](int classIndex, std::span<const Value> args) {
        return m.construct(filtersPackageValue(m, kClasses[std::size_t(classIndex)].name), args);
    };
    switch (filter.type) {
    case FilterType::Blur: {
        const Value args[] {blurX, blurY, quality};
        return make(kBlurClass, args);
    }
    case FilterType::DropShadow: {
        const Value args[] {distance, degrees(filter.angle), rgb(filter.color), alpha(filter.color), blurX, blurY, strength, quality,
                            Value::boolean(filter.inner), Value::boolean(filter.knockout), Value::boolean(!filter.compositeSource)};
        return make(kDropShadowClass, args);
    }
    case FilterType::Glow: {
        const Value args[] {rgb(filter.color), alpha(filter.color), blurX, blurY, strength, quality, Value::boolean(filter.inner),
                            Value::boolean(filter.knockout)};
        return make(kGlowClass, args);
    }
    case FilterType::Bevel: {
        const Value args[] {distance,      degrees(filter.angle), rgb(filter.highlight), alpha(filter.highlight), rgb(filter.color),
                            alpha(filter.color), blurX,             blurY,                 strength,                quality,
                            bevelType,     Value::boolean(filter.knockout)};
        return make(kBevelClass, args);
    }
    case FilterType::GradientGlow:
    case FilterType::GradientBevel: {
        std::vector<Value> colors, alphas, ratios;
        for (const GradientStop& stop : filter.gradient) {
            colors.push_back(rgb(stop.color));
            alphas.push_back(alpha(stop.color));
            ratios.push_back(Value::number(stop.ratio));
        }
        const Value args[] {distance,
                            degrees(filter.angle),
                            Value::object(m.newArray(std::move(colors))),
                            Value::object(m.newArray(std::move(alphas))),
                            Value::object(m.newArray(std::move(ratios))),
                            blurX,
                            blurY,
                            strength,
                            quality,
                            bevelType,
                            Value::boolean(filter.knockout)};
        return make(filter.type == FilterType::GradientGlow ? kGradientGlowClass : kGradientBevelClass, args);
    }
    case FilterType::ColorMatrix: {
        std::vector<Value> terms;
        for (float term : filter.matrix)
            terms.push_back(Value::number(term));
        const Value args[] {Value::object(m.newArray(std::move(terms)))};
        return make(kColorMatrixClass, args);
    }
    case FilterType::Convolution: {
        std::vector<Value> terms;
        for (float term : filter.matrix)
            terms.push_back(Value::number(term));
        const Value args[] {Value::number(filter.matrixX), Value::number(filter.matrixY), Value::object(m.newArray(std::move(terms))),
                            Value::number(filter.divisor), Value::number(filter.bias), Value::boolean(filter.preserveAlpha),
                            Value::boolean(filter.clamp), rgb(filter.defaultColor), alpha(filter.defaultColor)};
        return make(kConvolutionClass, args);
    }
    }
    return Value();
}

void installFilterClasses(Machine& machine)
{
    Object* package = packageObject(machine, "flash.filters", H | Swf6);
    Object* baseProto = machine.newObject();
    Function* base = makeNativeFunction(machine, bitmapFilterConstructor);
    machine.define(base, machine.names().prototype, Value::object(baseProto), HP);
    machine.define(baseProto, machine.names().constructor, Value::object(base), HP);
    defineMethod(machine, baseProto, "clone", cloneMethod);
    machine.define(package, "BitmapFilter", Value::object(base), H);
    for (int i = 0; i < kClassCount; ++i) {
        // Each prototype is a BitmapFilter, as `new BitmapFilter()` makes one.
        Object* proto = machine.newObject(baseProto);
        machine.define(proto, machine.names().constructorHidden, Value::object(base), H);
        Function* constructor = makeNativeFunction(machine, filterConstructor, i);
        machine.define(constructor, machine.names().prototype, Value::object(proto), HP);
        const auto fields = kClasses[std::size_t(i)].fields;
        for (std::size_t f = 0; f < fields.size(); ++f)
            defineAccessor(machine, proto, fields[f].name, fieldGetter, fieldSetter, 0, i * kFieldTags + int(f));
        machine.define(package, kClasses[std::size_t(i)].name, Value::object(constructor), H);
    }
}

} // namespace swf::script
