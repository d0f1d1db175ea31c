// TextField.StyleSheet: named styles, each an object of CSS properties in
// script's spelling, kept in the sheet's hidden `_css`; `_styles` holds
// each turned into the TextFormat a field applies. Styles come from
// setStyle, from CSS text (parseCSS) and from a loaded file (load).

#include <algorithm>

#include "swf/script/ArrayObject.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"
#include "swf/script/classes/Loads.h"
#include "swf/script/classes/TextFormats.h"
#include "swf/text/StyleSheetParser.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

constexpr const char* kCss = "_css";
constexpr const char* kStyles = "_styles";

// The sheet's own table, made hidden on first use.
Object* table(Machine& m, Object* self, const char* name)
{
    Value found;
    if (m.getIfPresent(self, m.intern(name), found) && found.isObject())
        return found.asObject();
    Object* made = m.newObject();
    m.define(self, name, Value::object(made), H);
    return made;
}

std::vector<Value> keysOf(Machine& m, Object* o)
{
    std::vector<Value> keys;
    m.enumerate(o, keys);
    return keys;
}

Object* copyOf(Machine& m, Object* from)
{
    Object* copy = m.newObject();
    for (const Value& key : keysOf(m, from))
        m.set(copy, m.toKey(key), m.get(from, m.toKey(key)));
    return copy;
}

std::string lowered(std::string text)
{
    std::ranges::transform(text, text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// CSS values as TextFormat takes them: "#FF0000" a number, "12px" 12.
std::optional<double> cssNumber(const std::string& value)
{
    std::string digits = value;
    if (digits.ends_with("px") || digits.ends_with("pt"))
        digits.resize(digits.size() - 2);
    char* end = nullptr;
    const double n = std::strtod(digits.c_str(), &end);
    if (end == digits.c_str())
        return std::nullopt;
    return n;
}

std::optional<std::uint32_t> cssColor(const std::string& value)
{
    if (value.size() != 7 || value[0] != '#')
        return std::nullopt;
    char* end = nullptr;
    const unsigned long rgb = std::strtoul(value.c_str() + 1, &end, 16);
    if (end != value.c_str() + 7)
        return std::nullopt;
    return std::uint32_t(rgb);
}

std::string fontFamily(const std::string& family)
{
    const std::string name = lowered(family);
    if (name == "mono")
        return "_typewriter";
    if (name == "sans-serif")
        return "_sans";
    if (name == "serif")
        return "_serif";
    return family;
}

Value transformStyle(Machine& m, const Value& style)
{
    Object* o = style.objectOrNull();
    if (!o)
        return Value::null();
    const auto text = [&](const char* name) -> std::optional<std::string> {
        Value v;
        if (!m.getIfPresent(o, m.intern(name), v) || v.isNullish())
            return std::nullopt;
        return m.toStdString(v);
    };
    TextFormatFields f;
    if (const auto v = text("color"))
        f.color = cssColor(*v);
    if (const auto v = text("fontFamily"))
        f.font = fontFamily(*v);
    if (const auto v = text("fontSize"))
        f.size = cssNumber(*v);
    if (const auto v = text("fontWeight"))
        f.bold = lowered(*v) == "bold";
    if (const auto v = text("fontStyle"))
        f.italic = lowered(*v) == "italic";
    if (const auto v = text("textDecoration"))
        f.underline = lowered(*v) == "underline";
    if (const auto v = text("textAlign")) {
        const std::string align = lowered(*v);
        if (align == "left")
            f.align = TextAlign::Left;
        else if (align == "right")
            f.align = TextAlign::Right;
        else if (align == "center")
            f.align = TextAlign::Center;
        else if (align == "justify")
            f.align = TextAlign::Justify;
    }
    if (const auto v = text("marginLeft"))
        f.leftMargin = cssNumber(*v);
    if (const auto v = text("marginRight"))
        f.rightMargin = cssNumber(*v);
    if (const auto v = text("textIndent"))
        f.indent = cssNumber(*v);
    if (const auto v = text("leading"))
        f.leading = cssNumber(*v);
    return makeTextFormat(m, f);
}

void update(Machine& m, Object* self)
{
    Object* styles = m.newObject();
    m.define(self, kStyles, Value::object(styles), H);
    Object* css = table(m, self, kCss);
    for (const Value& key : keysOf(m, css))
        m.set(styles, m.toKey(key), transformStyle(m, m.get(css, m.toKey(key))));
}

void setStyleOn(Machine& m, Object* self, const Value& name, const Value& style)
{
    Object* css = table(m, self, kCss);
    String* key = m.toKey(Value::string(m.toString(name)));
    if (Object* given = style.objectOrNull())
        m.set(css, key, Value::object(copyOf(m, given)));
    else
        m.remove(css, key);
    update(m, self);
}

// The styles the text defines, as objects by selector; nothing when the
// text is no style sheet.
std::optional<std::vector<std::pair<std::string, Object*>>> parsedStyles(Machine& m, const Value& text)
{
    const auto rules = parseStyleSheet(QString::fromStdString(m.toStdString(text)));
    if (!rules)
        return std::nullopt;
    std::vector<std::pair<std::string, Object*>> out;
    for (const StyleRule& rule : *rules) {
        Object* style = m.newObject();
        for (const auto& [name, value] : rule.declarations)
            m.set(style, name.toStdString(), m.stringValue(value.toStdString()));
        for (const QString& selector : rule.selectors)
            out.emplace_back(lowered(selector.toStdString()), style);
    }
    return out;
}

bool parseInto(Machine& m, Object* self, const Value& text)
{
    const auto styles = parsedStyles(m, text);
    if (!styles)
        return false;
    for (const auto& [selector, style] : *styles)
        setStyleOn(m, self, m.stringValue(selector), Value::object(style));
    return true;
}

Value styleSheetConstructor(NativeCall&)
{
    return Value();
}

Value parse(NativeCall& c)
{
    Object* self = c.thisObject();
    return Value::boolean(self && parseInto(c.machine, self, c.arg(0)));
}

Value parseInternal(NativeCall& c)
{
    Machine& m = c.machine;
    const auto styles = parsedStyles(m, c.arg(0));
    if (!styles)
        return Value::null();
    Object* out = m.newObject();
    for (const auto& [selector, style] : *styles)
        m.set(out, selector, Value::object(style));
    return Value::object(out);
}

Value setStyle(NativeCall& c)
{
    if (Object* self = c.thisObject())
        setStyleOn(c.machine, self, c.arg(0), c.arg(1));
    return Value();
}

Value getStyle(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self)
        return Value();
    Value found;
    Object* css = table(m, self, kCss);
    if (!m.getIfPresent(css, m.toKey(Value::string(m.toString(c.arg(0)))), found) || !found.isObject())
        return Value::null();
    return Value::object(copyOf(m, found.asObject()));
}

Value getStyleNames(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    return self ? Value::object(m.newArray(keysOf(m, table(m, self, kCss)))) : Value();
}

Value clear(NativeCall& c)
{
    Machine& m = c.machine;
    if (Object* self = c.thisObject()) {
        m.define(self, kCss, Value::object(m.newObject()), H);
        m.define(self, kStyles, Value::object(m.newObject()), H);
    }
    return Value();
}

Value updateMethod(NativeCall& c)
{
    if (Object* self = c.thisObject())
        update(c.machine, self);
    return Value();
}

Value transform(NativeCall& c)
{
    return transformStyle(c.machine, c.arg(0));
}

Value copy(NativeCall& c)
{
    Object* from = c.arg(0).objectOrNull();
    return from ? Value::object(copyOf(c.machine, from)) : Value::null();
}

Value parseColor(NativeCall& c)
{
    const auto rgb = cssColor(c.machine.toStdString(c.arg(0)));
    return rgb ? Value::number(*rgb) : Value::null();
}

// The generic family names CSS uses, as the player's device fonts; any
// other value comes back as it was given.
// An object names a family by what its toString answers, when that is
// text; the reference player reads anything else as the object's kind and
// never asks valueOf.
std::string familyText(Machine& m, const Value& family)
{
    Object* object = family.objectOrNull();
    if (!object || m.handleOf(object))
        return m.toStdString(family);
    const Value answer = m.callMethod(family, m.intern("toString"), {});
    if (answer.isString())
        return m.toStdString(answer);
    return object->isFunction() ? "[type Function]" : "[type Object]";
}

Value parseFontFamily(NativeCall& c)
{
    Machine& m = c.machine;
    const std::string family = familyText(m, c.arg(0));
    const std::string mapped = fontFamily(family);
    return mapped == family && !c.arg(0).isObject() ? c.arg(0) : m.stringValue(mapped);
}

Value onData(NativeCall& c)
{
    return defaultOnData(c, [](Machine& m, Object* self, const Value& text) { parseInto(m, self, text); });
}

} // namespace

void installStyleSheetClass(Machine& machine)
{
    const Value textField = machine.get(Value::object(machine.global()), machine.intern("TextField"));
    Object* owner = textField.objectOrNull();
    if (!owner)
        return;
    Object* p = machine.newObject();
    Function* constructor = machine.newNative(styleSheetConstructor);
    initializeFunction(machine, constructor, HP);
    machine.define(constructor, machine.names().prototype, Value::object(p), HP);
    machine.define(p, machine.names().constructor, Value::object(constructor), HP);
    // Players before version 7 had no style sheets.
    machine.define(owner, "StyleSheet", Value::object(constructor), HP | Swf7);

    struct Entry {
        const char* name;
        NativeFunction native;
    };
    static const Entry kMethods[] {
        {"_copy", copy}, {"clear", clear}, {"doTransform", transform}, {"getStyle", getStyle}, {"getStyleNames", getStyleNames},
        {"onData", onData}, {"onLoad", ignoreOnLoad}, {"setStyle", setStyle}, {"transform", transform},
    };
    for (const Entry& e : kMethods)
        defineScriptMethod(machine, p, e.name, e.native, HP);
    // These the reference player has as natives, without a prototype.
    defineMethod(machine, p, "parseCSSFontFamily", parseFontFamily, HP);
    defineMethod(machine, p, "parseCSSInternal", parseInternal, HP);
    defineMethod(machine, p, "parseColor", parseColor, HP);
    defineMethod(machine, p, "update", updateMethod, HP);
    Function* parseFunction = defineScriptMethod(machine, p, "parse", parse, HP);
    machine.define(p, "parseCSS", Value::object(parseFunction), HP);
    defineMethod(machine, p, "load", loadMethod, HP);
}

} // namespace swf::script
