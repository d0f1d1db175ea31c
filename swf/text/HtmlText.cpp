#include "swf/text/HtmlText.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <QList>

namespace swf {

namespace {

// Nesting deeper than this is not formatting anyone meant; deeper tags are
// still read past, they just no longer change the format.
constexpr std::size_t kMaxNesting = 256;
constexpr int kPixel = 20; // twips

struct Attribute {
    QString name; // lower case
    QString value;
};

struct Tag {
    QString name; // lower case
    bool closing = false;
    bool selfClosing = false;
    std::vector<Attribute> attributes;

    const QString* attribute(QStringView wanted) const
    {
        for (const auto& a : attributes)
            if (a.name == wanted)
                return &a.value;
        return nullptr;
    }
};

bool isSpace(QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u':'; }

std::optional<QChar> namedEntity(QStringView name)
{
    static constexpr std::pair<const char16_t*, char16_t> kEntities[] = {
        {u"amp", u'&'}, {u"lt", u'<'}, {u"gt", u'>'}, {u"quot", u'"'}, {u"apos", u'\''}, {u"nbsp", u'\u00A0'},
    };
    for (const auto& [entityName, value] : kEntities)
        if (name.compare(QStringView(entityName), Qt::CaseInsensitive) == 0)
            return QChar(value);
    return std::nullopt;
}

// At `pos` stands '&'. Appends what the entity means, or a lone '&' when it
// is not one we know, and returns where reading resumes.
qsizetype readEntity(const QString& s, qsizetype pos, QString& out)
{
    // Entity names are short; looking further would make "&&&&..." quadratic.
    constexpr qsizetype kLongest = 10;
    const qsizetype limit = std::min(s.size(), pos + 1 + kLongest);
    qsizetype end = pos + 1;
    while (end < limit && s[end] != u';' && s[end] != u'&' && s[end] != u'<')
        ++end;
    if (end >= s.size() || s[end] != u';') {
        out += u'&';
        return pos + 1;
    }
    const QStringView name = QStringView(s).mid(pos + 1, end - pos - 1);
    if (name.startsWith(u'#')) {
        bool ok = false;
        const bool hex = name.size() > 1 && (name[1] == u'x' || name[1] == u'X');
        const uint code = hex ? name.mid(2).toUInt(&ok, 16) : name.mid(1).toUInt(&ok, 10);
        if (ok && code > 0 && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF)) {
            const char32_t c = char32_t(code);
            out += QString::fromUcs4(&c, 1);
            return end + 1;
        }
    } else if (const auto c = namedEntity(name)) {
        out += *c;
        return end + 1;
    }
    out += u'&';
    return pos + 1;
}

// At `pos` stands '<'. Fills `tag` and returns the index after '>', or
// nothing when this '<' does not open a tag.
std::optional<qsizetype> readTag(const QString& s, qsizetype pos, Tag& tag)
{
    qsizetype i = pos + 1;
    if (s.mid(i, 3) == u"!--") {
        const qsizetype close = s.indexOf(u"-->", i + 3);
        tag.name.clear();
        return close < 0 ? s.size() : close + 3;
    }
    if (i < s.size() && s[i] == u'/') {
        tag.closing = true;
        ++i;
    }
    const qsizetype nameStart = i;
    while (i < s.size() && isNameChar(s[i]))
        ++i;
    if (i == nameStart)
        return std::nullopt;
    tag.name = s.mid(nameStart, i - nameStart).toLower();
    while (i < s.size()) {
        while (i < s.size() && isSpace(s[i]))
            ++i;
        if (i >= s.size())
            break;
        if (s[i] == u'>')
            return i + 1;
        if (s[i] == u'/') {
            tag.selfClosing = true;
            ++i;
            continue;
        }
        const qsizetype attrStart = i;
        while (i < s.size() && !isSpace(s[i]) && s[i] != u'=' && s[i] != u'>' && s[i] != u'/')
            ++i;
        if (i == attrStart) { // a stray '=' or such
            ++i;
            continue;
        }
        Attribute attribute {s.mid(attrStart, i - attrStart).toLower(), {}};
        while (i < s.size() && isSpace(s[i]))
            ++i;
        if (i < s.size() && s[i] == u'=') {
            ++i;
            while (i < s.size() && isSpace(s[i]))
                ++i;
            if (i < s.size() && (s[i] == u'"' || s[i] == u'\'')) {
                const QChar quote = s[i++];
                const qsizetype close = s.indexOf(quote, i);
                const qsizetype valueEnd = close < 0 ? s.size() : close;
                attribute.value = s.mid(i, valueEnd - i);
                i = close < 0 ? s.size() : close + 1;
            } else {
                const qsizetype valueStart = i;
                while (i < s.size() && !isSpace(s[i]) && s[i] != u'>')
                    ++i;
                attribute.value = s.mid(valueStart, i - valueStart);
            }
        }
        // Entities inside values, as in href="a?b=1&amp;c=2".
        if (attribute.value.contains(u'&')) {
            QString decoded;
            for (qsizetype k = 0; k < attribute.value.size();)
                k = attribute.value[k] == u'&' ? readEntity(attribute.value, k, decoded)
                                               : (decoded += attribute.value[k], k + 1);
            attribute.value = decoded;
        }
        tag.attributes.push_back(std::move(attribute));
    }
    // A tag the input never closes: the rest was its inside.
    return s.size();
}

std::optional<Color> parseColor(const QString& value)
{
    QStringView digits = QStringView(value).trimmed();
    if (digits.startsWith(u'#'))
        digits = digits.mid(1);
    else if (digits.startsWith(u"0x", Qt::CaseInsensitive))
        digits = digits.mid(2);
    bool ok = false;
    const uint rgb = digits.toUInt(&ok, 16);
    if (!ok || digits.size() > 6)
        return std::nullopt;
    return Color {std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb), 255};
}

std::optional<double> parsePixels(const QString* value)
{
    if (!value)
        return std::nullopt;
    bool ok = false;
    const double pixels = value->trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(pixels))
        return std::nullopt;
    return std::clamp(pixels, -8192.0, 8192.0) * kPixel;
}

class HtmlParser {
public:
    HtmlParser(const CharFormat& base, const ParagraphFormat& baseParagraph, const HtmlStyles& styles, bool tagBreaks)
        : m_chars {base}
        , m_paragraphs {baseParagraph}
        , m_styles(styles)
        , m_tagBreaks(tagBreaks)
    {
    }

    std::vector<Paragraph> parse(const QString& s)
    {
        QString text;
        for (qsizetype i = 0; i < s.size();) {
            const QChar c = s[i];
            if (c == u'<') {
                Tag tag;
                if (const auto next = readTag(s, i, tag)) {
                    flushText(text);
                    if (!tag.name.isEmpty())
                        handle(tag);
                    i = *next;
                    continue;
                }
                text += c;
                ++i;
            } else if (c == u'&') {
                i = readEntity(s, i, text);
            } else if (c == u'\r' || c == u'\n') {
                // Each ends a paragraph; a CR is a break script's text
                // leaves out.
                flushText(text);
                breakParagraph(c == u'\r');
                ++i;
            } else {
                text += c;
                ++i;
            }
        }
        flushText(text);
        if (!m_current.spans.empty() || !m_pendingCloseBreak)
            finishParagraph();
        return std::move(m_done);
    }

private:
    void flushText(QString& text)
    {
        if (text.isEmpty())
            return;
        if (m_current.spans.empty())
            m_current.format = m_paragraphs.back();
        TextSpan* last = m_current.spans.empty() ? nullptr : &m_current.spans.back();
        if (last && last->format == m_chars.back() && last->paragraph == m_paragraphs.back())
            last->text += text;
        else
            m_current.spans.push_back({text, m_chars.back(), m_paragraphs.back()});
        text.clear();
        m_pendingCloseBreak = false;
    }

    // The break takes the paragraph settings in force where it stands.
    void finishParagraph(bool silent = false)
    {
        if (m_current.spans.empty())
            m_current.format = m_paragraphs.back();
        m_current.breakFormat = m_paragraphs.back();
        m_current.silentBreak = silent;
        m_done.push_back(std::move(m_current));
        m_current = {};
    }

    void breakParagraph(bool silent = false)
    {
        finishParagraph(silent);
        m_pendingCloseBreak = false;
    }

    // A closing </p> or </li> ends its paragraph; if nothing follows, that
    // break makes no empty line after it.
    void closeParagraph()
    {
        finishParagraph();
        m_pendingCloseBreak = true;
    }

    void handle(const Tag& tag)
    {
        const QString& name = tag.name;
        if (name == u"br") {
            if (m_tagBreaks)
                breakParagraph();
            return;
        }
        if (name == u"tab") {
            QString tab(u'\t');
            flushText(tab);
            return;
        }
        if (tag.closing) {
            close(name);
            return;
        }
        if (name == u"p" || name == u"li" || name == u"textformat") {
            ParagraphFormat format = m_paragraphs.back();
            if (m_styles && name != u"textformat" && !tag.selfClosing) {
                // A style sheet's character settings for a paragraph hold
                // until it closes.
                CharFormat styled = m_chars.back();
                applyStyles(tag, styled, format);
                pushCharTag(name, std::move(styled));
            }
            if (name == u"p") {
                // A paragraph opens on the line it is on; only its close
                // breaks, and only once however many were opened.
                if (const QString* align = tag.attribute(u"align"))
                    format.align = parseAlign(*align, format.align);
                m_paragraphOpen = true;
            } else if (name == u"li") {
                // A list item begins a line of its own.
                if (m_tagBreaks && !m_current.spans.empty())
                    breakParagraph();
                format.bullet = true;
            } else {
                applyTextFormat(tag, format);
            }
            if (tag.selfClosing) {
                if (name != u"textformat")
                    closeTag(name);
                return;
            }
            pushParagraph(name, std::move(format));
            return;
        }
        CharFormat format = m_chars.back();
        if (name == u"b") {
            format.bold = true;
        } else if (name == u"i") {
            format.italic = true;
        } else if (name == u"u") {
            format.underline = true;
        } else if (name == u"font") {
            applyFont(tag, format);
        } else if (name == u"a") {
            if (const QString* href = tag.attribute(u"href"))
                format.url = href->toStdString();
            if (const QString* target = tag.attribute(u"target"))
                format.target = target->toStdString();
        } else if (!m_styles) {
            return; // unknown tags keep their text and change nothing
        }
        if (m_styles) {
            // Paragraph settings of a style on a run of text have nowhere to go.
            ParagraphFormat ignored;
            applyStyles(tag, format, ignored);
        }
        if (!tag.selfClosing)
            pushCharTag(name, std::move(format));
    }

    // A closing </p> breaks when a paragraph is open, </li> always; a
    // field that runs tags together breaks at neither.
    void closeTag(const QString& name)
    {
        const bool breaks = name == u"li" || (name == u"p" && m_paragraphOpen);
        if (name == u"p")
            m_paragraphOpen = false;
        if (breaks && m_tagBreaks)
            closeParagraph();
    }

    void close(const QString& name)
    {
        if (name == u"p" || name == u"li" || name == u"textformat") {
            if (name != u"textformat")
                closeTag(name);
            popTag(m_paragraphTags, m_paragraphs, name);
            if (!m_styles || name == u"textformat")
                return;
        }
        popTag(m_charTags, m_chars, name);
    }

    // The tag's own style, then its class's, as style sheets cascade.
    void applyStyles(const Tag& tag, CharFormat& format, ParagraphFormat& paragraph) const
    {
        m_styles(tag.name, format, paragraph);
        if (const QString* className = tag.attribute(u"class"))
            m_styles(u'.' + className->toLower(), format, paragraph);
    }

    void pushParagraph(const QString& name, ParagraphFormat format)
    {
        if (m_paragraphTags.size() >= kMaxNesting)
            return;
        m_paragraphTags.push_back(name);
        m_paragraphs.push_back(std::move(format));
    }

    void pushCharTag(const QString& name, CharFormat format)
    {
        if (m_charTags.size() >= kMaxNesting)
            return;
        m_charTags.push_back(name);
        m_chars.push_back(std::move(format));
    }

    // Closes the innermost open tag of that name and any opened inside it,
    // as browsers forgive <b><i>x</b>. A close with no open tag is ignored.
    template<typename Format>
    static void popTag(std::vector<QString>& tags, std::vector<Format>& formats, const QString& name)
    {
        const auto open = std::find(tags.rbegin(), tags.rend(), name);
        if (open == tags.rend())
            return;
        const std::size_t keep = std::size_t(tags.rend() - open) - 1;
        tags.resize(keep);
        formats.resize(keep + 1);
    }

    static TextAlign parseAlign(const QString& value, TextAlign fallback)
    {
        const QString v = value.trimmed().toLower();
        if (v == u"left")
            return TextAlign::Left;
        if (v == u"right")
            return TextAlign::Right;
        if (v == u"center")
            return TextAlign::Center;
        if (v == u"justify")
            return TextAlign::Justify;
        return fallback;
    }

    static void applyFont(const Tag& tag, CharFormat& format)
    {
        if (const QString* face = tag.attribute(u"face"))
            format.face = face->trimmed().toStdString();
        if (const QString* color = tag.attribute(u"color"))
            if (const auto parsed = parseColor(*color))
                format.color = {parsed->r, parsed->g, parsed->b, format.color.a};
        if (const QString* size = tag.attribute(u"size")) {
            const QString v = size->trimmed();
            bool ok = false;
            const double pixels = v.toDouble(&ok);
            if (ok && std::isfinite(pixels)) {
                // "+2" and "-2" are relative to the size in force.
                const bool relative = v.startsWith(u'+') || v.startsWith(u'-');
                const double twips = relative ? format.size + pixels * kPixel : pixels * kPixel;
                format.size = std::clamp(twips, 0.0, 127.0 * 20 * 8);
            }
        }
    }

    static void applyTextFormat(const Tag& tag, ParagraphFormat& format)
    {
        if (const auto v = parsePixels(tag.attribute(u"leftmargin")))
            format.leftMargin = std::max(0.0, *v);
        if (const auto v = parsePixels(tag.attribute(u"rightmargin")))
            format.rightMargin = std::max(0.0, *v);
        if (const auto v = parsePixels(tag.attribute(u"indent")))
            format.indent = *v;
        if (const auto v = parsePixels(tag.attribute(u"blockindent")))
            format.blockIndent = std::max(0.0, *v);
        if (const auto v = parsePixels(tag.attribute(u"leading")))
            format.leading = *v;
        if (const QString* stops = tag.attribute(u"tabstops")) {
            format.tabStops.clear();
            // Only so many stops can matter on one line.
            constexpr std::size_t kMaxStops = 64;
            for (const auto& part : QStringView(*stops).split(u',')) {
                if (format.tabStops.size() >= kMaxStops)
                    break;
                bool ok = false;
                const double pixels = part.trimmed().toDouble(&ok);
                if (ok && std::isfinite(pixels) && pixels >= 0)
                    format.tabStops.push_back(std::min(pixels, 8192.0) * kPixel);
            }
            std::sort(format.tabStops.begin(), format.tabStops.end());
        }
    }

    std::vector<CharFormat> m_chars;
    std::vector<QString> m_charTags;
    std::vector<ParagraphFormat> m_paragraphs;
    std::vector<QString> m_paragraphTags;
    Paragraph m_current;
    std::vector<Paragraph> m_done;
    bool m_pendingCloseBreak = false;
    bool m_paragraphOpen = false;
    const HtmlStyles& m_styles;
    bool m_tagBreaks;
};

} // namespace

std::vector<Paragraph> parseHtmlText(const QString& html, const CharFormat& base, const ParagraphFormat& baseParagraph,
                                     const HtmlStyles& styles, bool tagBreaks)
{
    return HtmlParser(base, baseParagraph, styles, tagBreaks).parse(html);
}

} // namespace swf
