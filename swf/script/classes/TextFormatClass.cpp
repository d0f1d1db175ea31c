// TextFormat: a bag of optional character and paragraph settings (null
// when unset) that setTextFormat and friends read. The constructor takes
// the common ones in the reference player's order.

#include <algorithm>
#include <cmath>

#include "swf/script/ArrayObject.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"
#include "swf/script/classes/TextFormats.h"
#include "swf/text/TextLayout.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

constexpr double kTwips = 20;
// Larger sizes and margins mean nothing on any screen; keeping them here
// keeps every product of them finite.
constexpr double kMaxPixels = 1 << 20;


std::optional<TextAlign> alignNamed(std::string name)
{
    std::ranges::transform(name, name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (name == "left")
        return TextAlign::Left;
    if (name == "right")
        return TextAlign::Right;
    if (name == "center")
        return TextAlign::Center;
    if (name == "justify")
        return TextAlign::Justify;
    return std::nullopt;
}

const char* alignName(TextAlign align)
{
    switch (align) {
    case TextAlign::Right: return "right";
    case TextAlign::Center: return "center";
    case TextAlign::Justify: return "justify";
    case TextAlign::Left: break;
    }
    return "left";
}

std::optional<double> pixels(Machine& m, const Value& v)
{
    if (v.isNullish())
        return std::nullopt;
    const double n = m.toInteger(v);
    if (!std::isfinite(n))
        return std::nullopt;
    return std::clamp(n, -kMaxPixels, kMaxPixels);
}

std::optional<bool> flag(Machine& m, const Value& v)
{
    return v.isNullish() ? std::nullopt : std::optional(m.toBoolean(v));
}

std::optional<std::string> text(Machine& m, const Value& v)
{
    return v.isNullish() ? std::nullopt : std::optional(m.toStdString(v));
}

std::optional<std::vector<double>> stops(Machine& m, const Value& v)
{
    Object* o = v.objectOrNull();
    if (!o || o->kind() != ObjectKind::Array)
        return std::nullopt;
    auto* array = static_cast<ArrayObject*>(o);
    std::vector<double> out;
    // Only so many stops can matter on one line.
    const std::uint32_t count = std::min<std::uint32_t>(array->length(), 64);
    for (std::uint32_t i = 0; i < count; ++i) {
        Value element;
        array->getIndex(m, i, element);
        const double n = m.toInteger(element);
        out.push_back(std::isfinite(n) ? std::clamp(n, 0.0, kMaxPixels) : 0);
    }
    return out;
}

template<typename T>
Value valueOf(Machine& m, const std::optional<T>& v)
{
    if (!v)
        return Value::null();
    if constexpr (std::is_same_v<T, bool>)
        return Value::boolean(*v);
    else if constexpr (std::is_same_v<T, std::string>)
        return m.stringValue(*v);
    else if constexpr (std::is_same_v<T, TextAlign>)
        return m.stringValue(alignName(*v));
    else if constexpr (std::is_same_v<T, std::vector<double>>) {
        std::vector<Value> values;
        for (double d : *v)
            values.push_back(Value::number(d));
        return Value::object(m.newArray(std::move(values)));
    } else
        return Value::number(double(*v));
}

template<typename T>
void keepIfSame(std::optional<T>& mine, const std::optional<T>& other)
{
    if (mine != other)
        mine.reset();
}

// Stores a field as the player itself has it, past the conversions a
// movie's own assignments go through.
void putField(Machine& m, Object* o, const char* name, const Value& value);

void writeFields(Machine& m, Object* o, const TextFormatFields& f)
{
    putField(m, o, "font", valueOf(m, f.font));
    putField(m, o, "size", valueOf(m, f.size));
    putField(m, o, "color", valueOf(m, f.color));
    putField(m, o, "bold", valueOf(m, f.bold));
    putField(m, o, "italic", valueOf(m, f.italic));
    putField(m, o, "underline", valueOf(m, f.underline));
    putField(m, o, "url", valueOf(m, f.url));
    putField(m, o, "target", valueOf(m, f.target));
    putField(m, o, "align", valueOf(m, f.align));
    putField(m, o, "leftMargin", valueOf(m, f.leftMargin));
    putField(m, o, "rightMargin", valueOf(m, f.rightMargin));
    putField(m, o, "indent", valueOf(m, f.indent));
    putField(m, o, "leading", valueOf(m, f.leading));
    putField(m, o, "blockIndent", valueOf(m, f.blockIndent));
    putField(m, o, "bullet", valueOf(m, f.bullet));
    putField(m, o, "tabStops", valueOf(m, f.tabStops));
    putField(m, o, "display", m.stringValue("block"));
}


// Each field is an accessor on the class's prototype over a slot of the
// object's own hidden store, and converts what it is given as the
// reference player does: flags to booleans, names to text, sizes and
// indents to whole numbers (from version 8 anything not finite reads as
// the lowest one; before, numbers wrap as 32-bit ones do and indents too
// stay at zero or above), margins never below zero, colours as unsigned
// numbers; an alignment it
// does not know leaves the one there, a display it does not know means
// "block". Null or undefined unsets a field.
enum class FieldKind : std::uint8_t { Align, Integer, Indent, Flag, Color, Display, Text, Margin, Number, Stops };

struct Field {
    const char* name;
    FieldKind kind;
    bool since8 = false;
};

constexpr Field kFields[] = {
    {"align", FieldKind::Align},     {"blockIndent", FieldKind::Indent}, {"bold", FieldKind::Flag},
    {"bullet", FieldKind::Flag},     {"color", FieldKind::Color},         {"display", FieldKind::Display},
    {"font", FieldKind::Text},       {"indent", FieldKind::Indent},      {"italic", FieldKind::Flag},
    {"kerning", FieldKind::Flag, true},    {"leading", FieldKind::Indent},     {"leftMargin", FieldKind::Margin},
    {"letterSpacing", FieldKind::Number, true}, {"rightMargin", FieldKind::Margin}, {"size", FieldKind::Integer},
    {"tabStops", FieldKind::Stops},  {"target", FieldKind::Text},         {"underline", FieldKind::Flag},
    {"url", FieldKind::Text},
};
constexpr std::size_t kFieldCount = std::size(kFields);
constexpr std::size_t kSlotCount = kFieldCount + 1; // the store's marker first
// A list of tab stops longer than this is cut: no line has more.
constexpr std::uint32_t kMaxStops = 1024;

// What a number becomes when the reference player stores it as a whole
// 32-bit number: NaN, the infinities and whatever does not fit all read
// as the lowest.
double wholeNumber(double n)
{
    constexpr double kLowest = -2147483648.0;
    if (!std::isfinite(n) || n >= 2147483648.0 || n < kLowest)
        return kLowest;
    return std::trunc(n) + 0.0;
}

// Stops from what has a length (an array, or text, each of whose places
// is a stop at the lowest number, having no element to read). Nothing to
// take stops from empties the list there is, and leaves none as none.
Value stopsValue(Machine& m, const Value& v, const Value& current)
{
    std::uint32_t length = 0;
    if (v.isString())
        length = std::uint32_t(std::min<std::size_t>(v.asString()->view().size(), kMaxStops));
    else if (v.isObject())
        length = std::uint32_t(std::clamp(m.toInteger(m.get(v, m.intern("length"))), 0.0, double(kMaxStops)));
    if (length == 0)
        return current.isObject() ? Value::object(m.newArray()) : Value::null();
    std::vector<Value> stops;
    for (std::uint32_t i = 0; i < length; ++i) {
        const Value element = v.isObject() ? m.getMember(v, Value::number(i)) : Value();
        const double stop = m.version() >= 8 ? wholeNumber(m.toNumber(element)) : double(m.toInt32(element));
        stops.push_back(Value::number(stop));
    }
    return Value::object(m.newArray(std::move(stops)));
}

// The slot's new value, or nothing to leave it as it is. An object is
// asked for its number twice and its text once whatever the field, as
// the reference player asks (movies that count the calls see the same);
// the field then takes what it needs of those answers.
std::optional<Value> converted(Machine& m, FieldKind kind, const Value& v, const Value& current)
{
    if (v.isNullish()) {
        if (kind == FieldKind::Align)
            return std::nullopt;
        return kind == FieldKind::Display ? m.stringValue("block") : Value::null();
    }
    double firstNumber;
    double number;
    String* text;
    if (v.isObject()) {
        firstNumber = m.toNumber(v);
        number = m.toNumber(v);
        text = m.toString(v);
    } else {
        firstNumber = number = m.toNumber(v);
        text = m.toString(v);
    }
    if (m.version() < 8) {
        const double whole = double(m.toInt32(Value::number(firstNumber)));
        if (kind == FieldKind::Integer)
            return Value::number(whole);
        if (kind == FieldKind::Indent || kind == FieldKind::Margin)
            return Value::number(std::max(0.0, whole));
    }
    switch (kind) {
    case FieldKind::Align: {
        const auto align = alignNamed(text->text());
        return align ? std::optional(m.stringValue(alignName(*align))) : std::nullopt;
    }
    case FieldKind::Display: {
        const std::string name = v.isObject() ? m.toStdString(v) : text->text();
        return m.stringValue(name == "inline" || name == "none" ? name : "block");
    }
    case FieldKind::Integer:
    case FieldKind::Indent: return Value::number(wholeNumber(number));
    case FieldKind::Margin: return Value::number(wholeNumber(number > 0 ? number : 0));
    case FieldKind::Flag: return Value::boolean(m.toBoolean(v));
    case FieldKind::Color: return Value::number(double(m.toUInt32(Value::number(firstNumber))));
    case FieldKind::Number: return Value::number(number);
    case FieldKind::Text: return Value::string(text);
    case FieldKind::Stops: return stopsValue(m, v, current);
    }
    return Value::null();
}

Value fieldGetter(NativeCall& c)
{
    ArrayObject* store = nativeStore(c.machine, c.thisValue, "TextFormat", kSlotCount);
    return store ? store->dense(std::size_t(c.callee->tag()) + 1) : Value();
}

Value fieldSetter(NativeCall& c)
{
    Machine& m = c.machine;
    ArrayObject* store = nativeStore(m, c.thisValue, "TextFormat", kSlotCount);
    if (!store)
        return Value();
    const auto index = std::size_t(c.callee->tag());
    if (const std::optional<Value> value = converted(m, kFields[index].kind, c.arg(0), store->dense(index + 1)))
        store->setIndex(m, std::uint32_t(index + 1), *value);
    return Value();
}

std::size_t fieldIndex(std::string_view name)
{
    for (std::size_t i = 0; i < kFieldCount; ++i)
        if (name == kFields[i].name)
            return i;
    return kFieldCount;
}

Value getTextExtent(NativeCall& c);

void putField(Machine& m, Object* o, const char* name, const Value& value)
{
    const std::size_t index = fieldIndex(name);
    if (ArrayObject* store = nativeStore(m, Value::object(o), "TextFormat", kSlotCount); store && index < kFieldCount)
        store->setIndex(m, std::uint32_t(index + 1), value);
    else
        m.set(o, name, value);
}

// new TextFormat(font, size, color, bold, italic, underline, url, target,
// align, leftMargin, rightMargin, indent, leading)
Value textFormatConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self || !c.constructing || self->kind() != ObjectKind::Plain)
        return Value();
    // The fields go on whatever the class's prototype is by now, as the
    // reference player puts them there when it makes a format.
    if (Object* prototype = m.get(Value::object(c.callee), m.names().prototype).objectOrNull())
        for (std::size_t i = 0; i < kFieldCount; ++i)
            if ((m.vmVersion() >= 8 || !kFields[i].since8) && !m.findOwn(prototype, m.intern(kFields[i].name)))
                defineAccessor(m, prototype, kFields[i].name, fieldGetter, fieldSetter, 0, int(i));
    ArrayObject* store = makeNativeStore(m, self, "TextFormat", kSlotCount);
    for (std::uint32_t i = 1; i < kSlotCount; ++i)
        store->setIndex(m, i, Value::null());
    store->setIndex(m, std::uint32_t(fieldIndex("display") + 1), m.stringValue("block"));
    // Made bare, as the reference player's own is: no prototype, no
    // constructor.
    Function* extent = m.newNative(getTextExtent);
    extent->removePrototypeProperty(true);
    m.define(self, "getTextExtent", Value::object(extent));
    constexpr const char* kArguments[] = {"font", "size", "color", "bold", "italic", "underline", "url",
                                          "target", "align", "leftMargin", "rightMargin", "indent", "leading"};
    for (std::size_t i = 0; i < std::size(kArguments) && i < c.count(); ++i) {
        const std::size_t index = fieldIndex(kArguments[i]);
        if (const std::optional<Value> value = converted(m, kFields[index].kind, c.arg(i), Value::null()))
            store->setIndex(m, std::uint32_t(index + 1), *value);
    }
    return Value();
}

// The size `text` takes in this format, laid out on one unbounded line
// (or wrapped to `width` pixels when given).
Value getTextExtent(NativeCall& c)
{
    Machine& m = c.machine;
    const TextFormatFields fields = readTextFormat(m, c.thisValue);
    CharFormat format;
    ParagraphFormat paragraph;
    applyTo(fields, format);
    applyTo(fields, paragraph);
    if (!fields.size)
        format.size = 12 * kTwips;
    EditText field;
    const std::optional<double> wrapWidth = c.count() > 1 ? pixels(m, c.arg(1)) : std::nullopt;
    field.wordWrap = wrapWidth.has_value() && *wrapWidth > 0;
    field.multiline = true;
    field.bounds = {0, std::int32_t((field.wordWrap ? *wrapWidth : kMaxPixels) * kTwips + 2 * kTextGutter), 0, std::int32_t(kMaxPixels)};
    const QString source = QString::fromStdString(m.toStdString(c.arg(0)));
    const TextLayout laid = layoutText(field, plainParagraphs(source, format, paragraph), nullptr);
    const TextFace* face = laid.faces.empty() ? nullptr : &laid.faces.front();
    Object* result = m.newObject();
    const double width = std::ceil(laid.textWidth / kTwips);
    // No text takes no room, though the layout keeps a line for a caret.
    const double height = source.isEmpty() ? 0 : std::ceil(laid.textHeight / kTwips);
    m.set(result, "ascent", Value::number(face ? std::round(face->ascent / kTwips) : 0));
    m.set(result, "descent", Value::number(face ? std::round(face->descent / kTwips) : 0));
    m.set(result, "width", Value::number(width));
    m.set(result, "height", Value::number(height));
    m.set(result, "textFieldWidth", Value::number(width + 2 * kTextGutter / kTwips));
    m.set(result, "textFieldHeight", Value::number(height + 2 * kTextGutter / kTwips));
    return Value::object(result);
}

} // namespace

TextFormatFields readTextFormat(Machine& m, const Value& format)
{
    TextFormatFields f;
    Object* o = format.objectOrNull();
    if (!o)
        return f;
    const auto get = [&](const char* name) { return m.get(o, name); };
    f.font = text(m, get("font"));
    f.size = pixels(m, get("size"));
    if (const Value color = get("color"); !color.isNullish())
        f.color = std::uint32_t(m.toInt32(color)) & 0xFFFFFF;
    f.bold = flag(m, get("bold"));
    f.italic = flag(m, get("italic"));
    f.underline = flag(m, get("underline"));
    f.url = text(m, get("url"));
    f.target = text(m, get("target"));
    if (const Value align = get("align"); !align.isNullish())
        f.align = alignNamed(m.toStdString(align));
    f.leftMargin = pixels(m, get("leftMargin"));
    f.rightMargin = pixels(m, get("rightMargin"));
    f.indent = pixels(m, get("indent"));
    f.blockIndent = pixels(m, get("blockIndent"));
    f.leading = pixels(m, get("leading"));
    f.bullet = flag(m, get("bullet"));
    f.tabStops = stops(m, get("tabStops"));
    return f;
}

Value makeTextFormat(Machine& m, const TextFormatFields& f)
{
    const Value constructor = m.get(Value::object(m.global()), m.intern("TextFormat"));
    Value made = constructor.isObject() && constructor.asObject()->isFunction() ? m.construct(constructor, {}) : Value();
    Object* o = made.objectOrNull();
    if (!o) {
        o = m.newObject();
        made = Value::object(o);
    }
    writeFields(m, o, f);
    return made;
}

TextFormatFields fieldsOf(const CharFormat& format, const std::string& fieldFont)
{
    TextFormatFields f;
    f.font = !format.face.empty() ? format.face : !fieldFont.empty() ? fieldFont : std::string("Times New Roman");
    f.size = std::round(format.size / kTwips);
    f.color = std::uint32_t(format.color.r) << 16 | std::uint32_t(format.color.g) << 8 | format.color.b;
    f.bold = format.bold;
    f.italic = format.italic;
    f.underline = format.underline;
    f.url = format.url;
    f.target = format.target;
    return f;
}

TextFormatFields fieldsOf(const ParagraphFormat& format)
{
    TextFormatFields f;
    f.align = format.align;
    f.leftMargin = std::round(format.leftMargin / kTwips);
    f.rightMargin = std::round(format.rightMargin / kTwips);
    f.indent = std::round(format.indent / kTwips);
    f.blockIndent = std::round(format.blockIndent / kTwips);
    f.leading = std::round(format.leading / kTwips);
    f.bullet = format.bullet;
    std::vector<double> tabStops;
    for (double stop : format.tabStops)
        tabStops.push_back(std::round(stop / kTwips));
    f.tabStops = std::move(tabStops);
    return f;
}

TextFormatFields combined(TextFormatFields chars, const TextFormatFields& paragraph)
{
    chars.align = paragraph.align;
    chars.leftMargin = paragraph.leftMargin;
    chars.rightMargin = paragraph.rightMargin;
    chars.indent = paragraph.indent;
    chars.blockIndent = paragraph.blockIndent;
    chars.leading = paragraph.leading;
    chars.bullet = paragraph.bullet;
    chars.tabStops = paragraph.tabStops;
    return chars;
}

void intersect(TextFormatFields& f, const TextFormatFields& o, bool first)
{
    if (first) {
        f = o;
        return;
    }
    keepIfSame(f.font, o.font);
    keepIfSame(f.size, o.size);
    keepIfSame(f.color, o.color);
    keepIfSame(f.bold, o.bold);
    keepIfSame(f.italic, o.italic);
    keepIfSame(f.underline, o.underline);
    keepIfSame(f.url, o.url);
    keepIfSame(f.target, o.target);
    keepIfSame(f.align, o.align);
    keepIfSame(f.leftMargin, o.leftMargin);
    keepIfSame(f.rightMargin, o.rightMargin);
    keepIfSame(f.indent, o.indent);
    keepIfSame(f.blockIndent, o.blockIndent);
    keepIfSame(f.leading, o.leading);
    keepIfSame(f.bullet, o.bullet);
    keepIfSame(f.tabStops, o.tabStops);
}

void applyTo(const TextFormatFields& f, CharFormat& format)
{
    if (f.font)
        format.face = *f.font;
    if (f.size)
        format.size = std::max(0.0, *f.size) * kTwips;
    if (f.color)
        format.color = {std::uint8_t(*f.color >> 16), std::uint8_t(*f.color >> 8), std::uint8_t(*f.color), 255};
    if (f.bold)
        format.bold = *f.bold;
    if (f.italic)
        format.italic = *f.italic;
    if (f.underline)
        format.underline = *f.underline;
    if (f.url)
        format.url = *f.url;
    if (f.target)
        format.target = *f.target;
}

void applyTo(const TextFormatFields& f, ParagraphFormat& format)
{
    if (f.align)
        format.align = *f.align;
    if (f.leftMargin)
        format.leftMargin = std::max(0.0, *f.leftMargin) * kTwips;
    if (f.rightMargin)
        format.rightMargin = std::max(0.0, *f.rightMargin) * kTwips;
    if (f.indent)
        format.indent = *f.indent * kTwips;
    if (f.blockIndent)
        format.blockIndent = std::max(0.0, *f.blockIndent) * kTwips;
    if (f.leading)
        format.leading = *f.leading * kTwips;
    if (f.bullet)
        format.bullet = *f.bullet;
    if (f.tabStops) {
        format.tabStops.clear();
        for (double stop : *f.tabStops)
            format.tabStops.push_back(stop * kTwips);
    }
}

void installTextFormatClass(Machine& machine)
{
    Object* p = machine.newObject();
    defineClass(machine, "TextFormat", textFormatConstructor, p, H, HP);
}

} // namespace swf::script
