// TextField: the script face of text fields, whether the timeline placed
// them or createTextField made them. Their properties live on the
// prototype as getters and setters over the field on stage; the clip
// properties (_x, _name ...) they share with movie clips.

#include <algorithm>
#include <cmath>

#include "swf/runtime/EditTextInstance.h"
#include "swf/script/ClipObject.h"
#include "swf/script/Machine.h"
#include "swf/script/TextVariables.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"
#include "swf/script/classes/TextFormats.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

constexpr double kTwips = 20;

enum class Prop {
    Text,
    HtmlText,
    Html,
    AutoSize,
    WordWrap,
    Multiline,
    Border,
    BorderColor,
    Background,
    BackgroundColor,
    EmbedFonts,
    TextColor,
    Selectable,
    Type,
    Variable,
    MaxChars,
    Password,
    Scroll,
    MaxScroll,
    Hscroll,
    MaxHscroll,
    BottomScroll,
    Length,
    TextWidth,
    TextHeight,
    CondenseWhite,
    StyleSheet,
};

struct PropName {
    const char* name;
    Prop prop;
    bool readOnly = false;
};

constexpr PropName kProps[] = {
    {"text", Prop::Text},
    {"htmlText", Prop::HtmlText},
    {"html", Prop::Html},
    {"autoSize", Prop::AutoSize},
    {"wordWrap", Prop::WordWrap},
    {"multiline", Prop::Multiline},
    {"border", Prop::Border},
    {"borderColor", Prop::BorderColor},
    {"background", Prop::Background},
    {"backgroundColor", Prop::BackgroundColor},
    {"embedFonts", Prop::EmbedFonts},
    {"textColor", Prop::TextColor},
    {"selectable", Prop::Selectable},
    {"type", Prop::Type},
    {"variable", Prop::Variable},
    {"maxChars", Prop::MaxChars},
    {"password", Prop::Password},
    {"scroll", Prop::Scroll},
    {"maxscroll", Prop::MaxScroll, true},
    {"hscroll", Prop::Hscroll},
    {"maxhscroll", Prop::MaxHscroll, true},
    {"bottomScroll", Prop::BottomScroll, true},
    {"length", Prop::Length, true},
    {"textWidth", Prop::TextWidth, true},
    {"textHeight", Prop::TextHeight, true},
    {"condenseWhite", Prop::CondenseWhite},
    {"styleSheet", Prop::StyleSheet},
};

// Where a field keeps the style sheet script gave it, hidden.
constexpr const char* kStyleSheetKey = "\x01styleSheet";

ClipHandle thisField(NativeCall& c)
{
    return c.machine.handleOf(c.thisObject());
}

EditTextInstance* fieldOf(NativeCall& c)
{
    const ClipHandle handle = thisField(c);
    return handle ? c.machine.host().textField(handle) : nullptr;
}

QString qText(Machine& m, const Value& v)
{
    return QString::fromStdString(m.toStdString(v));
}

Value text(Machine& m, const QString& s)
{
    return m.stringValue(s.toStdString());
}

std::uint32_t rgbOf(const Color& c)
{
    return std::uint32_t(c.r) << 16 | std::uint32_t(c.g) << 8 | c.b;
}

Color colorOf(Machine& m, const Value& v)
{
    const std::uint32_t rgb = std::uint32_t(m.toInt32(v));
    return {std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb), 255};
}

const char* autoSizeName(const EditText& field)
{
    if (!field.autoSize)
        return "none";
    switch (field.align) {
    case TextAlign::Right: return "right";
    case TextAlign::Center: return "center";
    default: return "left";
    }
}

int pixelsOf(double twips)
{
    return int(std::round(twips / kTwips));
}

// The variable a field shows follows what script writes into the field.
void updateVariable(NativeCall& c, const QString& shown)
{
    const EditTextInstance* field = fieldOf(c);
    const std::string path = field ? field->field().variableName : std::string();
    if (path.empty())
        return;
    Host& host = c.machine.host();
    writeBoundVariable(c.machine, host.parent(thisField(c)), path, text(c.machine, shown));
}

// A plain field bound to a clip's variable shows the variable as it
// stands, read live; an HTML one reads it in as HTML.
bool followsLive(NativeCall& c, const EditTextInstance& field)
{
    const std::string& path = field.field().variableName;
    return !path.empty() && !field.isHtml() && boundToClip(c.machine, c.machine.host().parent(thisField(c)), path);
}

// The field's style sheet as the HTML reader asks for it: each
// selector's TextFormat, from the sheet's table of them.
HtmlStyles stylesOf(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    Value sheet;
    if (!self || !m.getIfPresent(self, m.intern(kStyleSheetKey), sheet) || !sheet.isObject())
        return {};
    const Value styles = m.get(sheet, m.intern("_styles"));
    if (!styles.isObject())
        return {};
    return [&m, styles](const QString& selector, CharFormat& format, ParagraphFormat& paragraph) {
        Value style;
        if (!m.getIfPresent(styles.asObject(), m.intern(selector.toLower().toStdString()), style) || !style.isObject())
            return;
        const TextFormatFields fields = readTextFormat(m, style);
        applyTo(fields, format);
        applyTo(fields, paragraph);
    };
}

Value getProperty(NativeCall& c)
{
    Machine& m = c.machine;
    EditTextInstance* field = fieldOf(c);
    if (!field)
        return Value();
    // A field bound to a clip's variable reads as the variable stands now,
    // not as it stood at the last frame; its text is the variable's.
    const Prop prop = Prop(c.callee ? c.callee->tag() : 0);
    const ClipHandle parent = m.host().parent(thisField(c));
    const std::string path = field->field().variableName;
    if (prop == Prop::Text && followsLive(c, *field)) {
        if (const std::optional<Value> value = readBoundVariable(m, parent, path))
            return m.stringValue(m.toStdString(*value));
    } else if (!path.empty() && (field->isHtml() || boundToClip(m, parent, path))) {
        syncBoundField(m, parent, *field, false);
    }
    if (!(field = fieldOf(c)))
        return Value();
    const EditText& f = field->field();
    switch (prop) {
    case Prop::Text: return text(m, field->shownText());
    case Prop::HtmlText: return text(m, field->htmlText());
    case Prop::Html: return Value::boolean(field->isHtml());
    case Prop::AutoSize: return m.stringValue(autoSizeName(f));
    case Prop::WordWrap: return Value::boolean(f.wordWrap);
    case Prop::Multiline: return Value::boolean(f.multiline);
    case Prop::Border: return Value::boolean(field->hasBorder());
    case Prop::BorderColor: return Value::number(rgbOf(field->borderColor()));
    case Prop::Background: return Value::boolean(field->hasBackground());
    case Prop::BackgroundColor: return Value::number(rgbOf(field->backgroundColor()));
    case Prop::EmbedFonts: return Value::boolean(f.useOutlines);
    case Prop::TextColor: {
        Color color = field->newCharFormat().color;
        field->content().visitCharFormats(0, 0, [&](const CharFormat& format) { color = format.color; });
        return Value::number(rgbOf(color));
    }
    case Prop::Selectable: return Value::boolean(!f.noSelect);
    case Prop::Type: return m.stringValue(f.readOnly ? "dynamic" : "input");
    case Prop::Variable: return f.variableName.empty() ? Value::null() : m.stringValue(f.variableName);
    case Prop::MaxChars: return f.maxLength && *f.maxLength > 0 ? Value::number(*f.maxLength) : Value::null();
    case Prop::Password: return Value::boolean(f.password);
    case Prop::Scroll: return Value::number(field->scroll());
    case Prop::MaxScroll: return Value::number(field->maxScroll());
    case Prop::Hscroll: return Value::number(field->hscroll());
    case Prop::MaxHscroll: return Value::number(field->maxHscroll());
    case Prop::BottomScroll: return Value::number(field->bottomScroll());
    case Prop::Length: return Value::number(double(field->text().size()));
    case Prop::TextWidth: return Value::number(pixelsOf(field->layout()->textWidth));
    case Prop::TextHeight: return Value::number(pixelsOf(field->layout()->textHeight));
    case Prop::CondenseWhite: return Value::boolean(field->condenseWhite());
    case Prop::StyleSheet: {
        Value sheet;
        Object* self = c.thisObject();
        return self && m.getIfPresent(self, m.intern(kStyleSheetKey), sheet) ? sheet : Value();
    }
    }
    return Value();
}

Value setProperty(NativeCall& c)
{
    Machine& m = c.machine;
    EditTextInstance* field = fieldOf(c);
    if (!field)
        return Value();
    const Value v = c.arg(0);
    const auto setFlag = [&](bool EditText::* member) {
        const bool on = m.toBoolean(v);
        field->editField([&](EditText& f) { f.*member = on; });
    };
    switch (Prop(c.callee ? c.callee->tag() : 0)) {
    case Prop::Text:
        // A clip's variable takes the text alone; the field shows it from
        // the next look on, and keeps its own text for a later binding.
        if (followsLive(c, *field)) {
            updateVariable(c, qText(m, v));
            break;
        }
        field->setText(qText(m, v));
        updateVariable(c, field->shownText());
        break;
    case Prop::HtmlText:
        field->setHtmlText(qText(m, v), stylesOf(c));
        updateVariable(c, field->shownText());
        break;
    case Prop::StyleSheet:
        if (Object* self = c.thisObject())
            m.define(self, kStyleSheetKey, v, H);
        break;
    case Prop::Html: field->setHtml(m.toBoolean(v)); break;
    case Prop::AutoSize: {
        // true is "left", false "none"; other text than the four names
        // turns it off.
        std::string mode = v.isBoolean() ? (v.asBoolean() ? "left" : "none") : m.toStdString(v);
        std::ranges::transform(mode, mode.begin(), [](unsigned char ch) { return char(std::tolower(ch)); });
        const std::optional<Rect> sized = field->field().autoSize ? field->laidOutBounds() : std::nullopt;
        field->editField([&](EditText& f) {
            f.autoSize = mode == "left" || mode == "right" || mode == "center";
            // Turned off, it keeps the size its text gave it, if it was
            // laid out (drawn, or its size asked for) since.
            if (sized && !f.autoSize)
                f.bounds = *sized;
            // The edge a field growing to its text holds still; the
            // paragraphs keep their own alignment.
            if (f.autoSize)
                f.align = mode == "right" ? TextAlign::Right : mode == "center" ? TextAlign::Center : TextAlign::Left;
        });
        break;
    }
    case Prop::WordWrap: setFlag(&EditText::wordWrap); break;
    case Prop::Multiline: setFlag(&EditText::multiline); break;
    case Prop::Border: field->setBorder(m.toBoolean(v), field->borderColor()); break;
    case Prop::BorderColor: field->setBorder(field->hasBorder(), colorOf(m, v)); break;
    case Prop::Background: field->setBackground(m.toBoolean(v), field->backgroundColor()); break;
    case Prop::BackgroundColor: field->setBackground(field->hasBackground(), colorOf(m, v)); break;
    case Prop::EmbedFonts: setFlag(&EditText::useOutlines); break;
    case Prop::TextColor: {
        const Color color = colorOf(m, v);
        field->editContent([&](FieldText& content) { content.editCharFormats(0, content.size(), [&](CharFormat& f) { f.color = color; }); });
        CharFormat format = field->newCharFormat();
        format.color = color;
        field->setNewFormat(format, field->newParagraphFormat());
        break;
    }
    case Prop::Selectable: {
        const bool on = m.toBoolean(v);
        field->editField([&](EditText& f) { f.noSelect = !on; });
        break;
    }
    case Prop::Type: {
        // Only the two names change it.
        const std::string type = m.toStdString(v);
        if (type == "input" || type == "dynamic")
            field->editField([&](EditText& f) { f.readOnly = type == "dynamic"; });
        break;
    }
    case Prop::Variable: {
        const std::string name = v.isNullish() ? std::string() : m.toStdString(v);
        field->editField([&](EditText& f) { f.variableName = name; });
        EditTextInstance* still = fieldOf(c);
        const ClipHandle parent = m.host().parent(thisField(c));
        // A clip's variable that is set is read live and left out of the
        // field's own text; one not set yet takes that text.
        if (still && !(boundToClip(m, parent, name) && readBoundVariable(m, parent, name)))
            syncBoundField(m, parent, *still, true);
        break;
    }
    case Prop::MaxChars: {
        const double n = m.toInteger(v);
        field->editField([&](EditText& f) {
            if (v.isNullish() || !(n > 0))
                f.maxLength.reset();
            else
                f.maxLength = std::uint16_t(std::min(n, 65535.0));
        });
        break;
    }
    case Prop::Password: setFlag(&EditText::password); break;
    case Prop::Scroll:
    case Prop::Hscroll: {
        const double n = m.toInteger(v);
        if (!std::isfinite(n))
            break;
        const int clamped = int(std::clamp(n, -1e9, 1e9));
        if (Prop(c.callee->tag()) == Prop::Scroll)
            field->setScroll(clamped);
        else
            field->setHscroll(clamped);
        break;
    }
    case Prop::CondenseWhite: field->setCondenseWhite(m.toBoolean(v)); break;
    default: break; // read-only
    }
    return Value();
}

// The [begin, end) a format method's leading arguments give: none for the
// whole text, one for a single character.
struct Range {
    qsizetype begin = 0;
    qsizetype end = 0;
    bool valid = true;
};

Range rangeOf(Machine& m, std::span<const Value> args, qsizetype size)
{
    const auto index = [&](const Value& v) {
        const double n = m.toInteger(v);
        return std::isfinite(n) ? qsizetype(std::clamp(n, -1.0, double(size) + 1)) : qsizetype(-1);
    };
    if (args.empty())
        return {0, size};
    // A start before the text is its start when an end is given.
    const qsizetype begin = args.size() > 1 ? std::max<qsizetype>(index(args[0]), 0) : index(args[0]);
    const qsizetype end = args.size() > 1 ? std::min(index(args[1]), size) : begin + 1;
    if (begin < 0 || begin >= size || end <= begin)
        return {0, 0, false};
    return {begin, end};
}

Value setTextFormat(NativeCall& c)
{
    Machine& m = c.machine;
    EditTextInstance* field = fieldOf(c);
    if (!field || c.count() == 0)
        return Value();
    const std::size_t formatAt = std::min<std::size_t>(c.count(), 3) - 1;
    const Value format = c.arg(formatAt);
    if (!format.isObject())
        return Value();
    const TextFormatFields fields = readTextFormat(m, format);
    const Range r = rangeOf(m, c.args.first(formatAt), field->text().size());
    if (!r.valid)
        return Value();
    field->editContent([&](FieldText& content) {
        content.editCharFormats(r.begin, r.end, [&](CharFormat& f) { applyTo(fields, f); });
        content.editParagraphFormats(r.begin, r.end, [&](ParagraphFormat& f) { applyTo(fields, f); });
    });
    return Value();
}

Value getTextFormat(NativeCall& c)
{
    Machine& m = c.machine;
    const EditTextInstance* field = fieldOf(c);
    if (!field)
        return Value();
    const FieldText& content = field->content();
    const Range r = rangeOf(m, c.args.first(std::min<std::size_t>(c.count(), 2)), content.size());
    TextFormatFields chars;
    TextFormatFields paragraphs;
    if (!r.valid)
        return makeTextFormat(m, {});
    if (content.size() == 0) {
        chars = fieldsOf(field->newCharFormat(), field->fontName());
        paragraphs = fieldsOf(field->newParagraphFormat());
    }
    bool first = true;
    content.visitCharFormats(r.begin, r.end, [&](const CharFormat& f) {
        intersect(chars, fieldsOf(f, field->fontName()), first);
        first = false;
    });
    first = true;
    content.visitParagraphFormats(r.begin, r.end, [&](const ParagraphFormat& f) {
        intersect(paragraphs, fieldsOf(f), first);
        first = false;
    });
    return makeTextFormat(m, combined(chars, paragraphs));
}

Value setNewTextFormat(NativeCall& c)
{
    EditTextInstance* field = fieldOf(c);
    if (!field || !c.arg(0).isObject())
        return Value();
    const TextFormatFields fields = readTextFormat(c.machine, c.arg(0));
    CharFormat format = field->newCharFormat();
    ParagraphFormat paragraph = field->newParagraphFormat();
    applyTo(fields, format);
    applyTo(fields, paragraph);
    field->setNewFormat(format, paragraph);
    return Value();
}

Value getNewTextFormat(NativeCall& c)
{
    const EditTextInstance* field = fieldOf(c);
    if (!field)
        return Value();
    return makeTextFormat(c.machine, combined(fieldsOf(field->newCharFormat(), field->fontName()), fieldsOf(field->newParagraphFormat())));
}

Value replaceText(NativeCall& c)
{
    Machine& m = c.machine;
    EditTextInstance* field = fieldOf(c);
    if (!field || c.count() < 3)
        return Value();
    const double begin = m.toInteger(c.arg(0));
    const double end = m.toInteger(c.arg(1));
    const qsizetype size = field->text().size();
    // A range that starts outside the text or runs backwards does nothing.
    if (!(begin >= 0) || !(end >= begin) || begin > double(size))
        return Value();
    field->replaceText(qsizetype(begin), qsizetype(std::min(end, double(size))), qText(m, c.arg(2)), FieldText::Breaks::AsReplaced);
    updateVariable(c, field->shownText());
    return Value();
}

Value replaceSel(NativeCall& c)
{
    Machine& m = c.machine;
    EditTextInstance* field = fieldOf(c);
    if (!field || c.count() == 0)
        return Value();
    const qsizetype begin = field->selectionBegin();
    const QString inserted = qText(m, c.arg(0));
    field->replaceText(begin, field->selectionEnd(), inserted);
    // The caret ends after what went in.
    field->setSelection(begin + inserted.size(), begin + inserted.size());
    updateVariable(c, field->shownText());
    return Value();
}

Value removeTextField(NativeCall& c)
{
    if (fieldOf(c))
        c.machine.host().removeMovieClip(thisField(c));
    return Value();
}

Value getDepth(NativeCall& c)
{
    if (!fieldOf(c))
        return Value();
    return Value::number(c.machine.host().depth(thisField(c)));
}

// MovieClip.createTextField(name, depth, x, y, width, height): the new
// field from version 8, nothing before.
Value createTextField(NativeCall& c)
{
    Machine& m = c.machine;
    const ClipHandle parent = m.handleOf(c.thisObject());
    if (!parent || c.count() < 6)
        return Value();
    const auto number = [&](std::size_t i) {
        const double n = m.toInteger(c.arg(i));
        return std::isfinite(n) ? n : 0.0;
    };
    const double depth = std::clamp(number(1), -2147483648.0, 2147483647.0);
    const HostRect area {number(2), number(3), number(2) + number(4), number(3) + number(5)};
    const ClipHandle made = m.host().createTextField(parent, m.toStdString(c.arg(0)), int(depth), area);
    if (!made || m.version() < 8)
        return Value();
    return m.clipValue(made);
}

Value textFieldConstructor(NativeCall&)
{
    return Value();
}

} // namespace

void installTextFieldClass(Machine& machine)
{
    Builtins& b = machine.builtins();
    b.textFieldPrototype = machine.newObject();
    Object* p = b.textFieldPrototype;
    defineClass(machine, "TextField", textFieldConstructor, p, H | Swf6, HP);
    for (const PropName& each : kProps)
        defineAccessor(machine, p, each.name, getProperty, each.readOnly ? nullptr : setProperty, HP, int(each.prop));
    struct Entry {
        const char* name;
        NativeFunction native;
        std::uint32_t flags = HP;
    };
    // replaceText came with version 7; older movies do not see it.
    static const Entry kMethods[] {
        {"setTextFormat", setTextFormat}, {"getTextFormat", getTextFormat}, {"setNewTextFormat", setNewTextFormat},
        {"getNewTextFormat", getNewTextFormat}, {"replaceText", replaceText, HP | Swf7}, {"replaceSel", replaceSel},
        {"removeTextField", removeTextField}, {"getDepth", getDepth},
    };
    for (const Entry& e : kMethods)
        defineMethod(machine, p, e.name, e.native, e.flags);
    // What the display side does not use, movies still read back.
    machine.define(p, "antiAliasType", machine.stringValue("normal"), H);
    machine.define(p, "gridFitType", machine.stringValue("pixel"), H);
    machine.define(p, "sharpness", Value::number(0), H);
    machine.define(p, "thickness", Value::number(0), H);
    machine.define(p, "restrict", Value::null(), H);
    machine.define(p, "mouseWheelEnabled", Value::boolean(true), H);

    if (Object* clips = b.movieClipPrototype)
        defineMethod(machine, clips, "createTextField", createTextField, HP);
    registerNative(machine, 104, 200, createTextField);
}

} // namespace swf::script
