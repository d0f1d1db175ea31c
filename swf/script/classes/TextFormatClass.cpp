// TextFormat: a bag of optional character and paragraph settings, each a
// plain property (null when unset) that setTextFormat and friends read.
// The constructor takes the common ones in the reference player's order.

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

void writeFields(Machine& m, Object* o, const TextFormatFields& f)
{
    m.set(o, "font", valueOf(m, f.font));
    m.set(o, "size", valueOf(m, f.size));
    m.set(o, "color", valueOf(m, f.color));
    m.set(o, "bold", valueOf(m, f.bold));
    m.set(o, "italic", valueOf(m, f.italic));
    m.set(o, "underline", valueOf(m, f.underline));
    m.set(o, "url", valueOf(m, f.url));
    m.set(o, "target", valueOf(m, f.target));
    m.set(o, "align", valueOf(m, f.align));
    m.set(o, "leftMargin", valueOf(m, f.leftMargin));
    m.set(o, "rightMargin", valueOf(m, f.rightMargin));
    m.set(o, "indent", valueOf(m, f.indent));
    m.set(o, "leading", valueOf(m, f.leading));
    m.set(o, "blockIndent", valueOf(m, f.blockIndent));
    m.set(o, "bullet", valueOf(m, f.bullet));
    m.set(o, "tabStops", valueOf(m, f.tabStops));
    m.set(o, "display", m.stringValue("block"));
}


// new TextFormat(font, size, color, bold, italic, underline, url, target,
// align, leftMargin, rightMargin, indent, leading)
Value textFormatConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self || !c.constructing)
        return Value();
    TextFormatFields f;
    f.font = text(m, c.arg(0));
    f.size = pixels(m, c.arg(1));
    if (!c.arg(2).isNullish())
        f.color = std::uint32_t(m.toInt32(c.arg(2)));
    f.bold = flag(m, c.arg(3));
    f.italic = flag(m, c.arg(4));
    f.underline = flag(m, c.arg(5));
    f.url = text(m, c.arg(6));
    f.target = text(m, c.arg(7));
    if (!c.arg(8).isNullish())
        f.align = alignNamed(m.toStdString(c.arg(8)));
    f.leftMargin = pixels(m, c.arg(9));
    f.rightMargin = pixels(m, c.arg(10));
    f.indent = pixels(m, c.arg(11));
    f.leading = pixels(m, c.arg(12));
    writeFields(m, self, f);
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
    const double height = std::ceil(laid.textHeight / kTwips);
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
    defineClass(machine, "TextFormat", textFormatConstructor, p, H | Swf6, HP);
    defineMethod(machine, p, "getTextExtent", getTextExtent);
}

} // namespace swf::script
