#include "swf/text/TextLayout.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include <QFontDatabase>
#include <QGuiApplication>
#include <QSet>

#include "swf/text/HtmlText.h"

namespace swf {

namespace {

// Where no tab stops are set, tabs go to every half inch.
constexpr double kDefaultTabStop = 720;
constexpr std::size_t kNoBreak = std::size_t(-1);
constexpr std::size_t kMaxKeptLines = 10000;

QString fontName(const std::string& stored) { return decodeMovieText(stored); }

class FaceCache {
public:
    FaceCache(const EditText& field, const Font* fieldFont, std::vector<TextFace>& faces)
        : m_fieldFont(fieldFont)
        , m_outlines(field.useOutlines && fieldFont && fieldFont->hasOutlines())
        , m_faces(faces)
    {
    }

    std::size_t faceFor(const CharFormat& format)
    {
        const bool bold = format.bold || (m_fieldFont && m_fieldFont->bold);
        const bool italic = format.italic || (m_fieldFont && m_fieldFont->italic);
        // An embedded font draws the same whatever face or style HTML asks for.
        const auto key = m_outlines ? std::make_tuple(std::string(), format.size, false, false)
                                    : std::make_tuple(format.face, format.size, bold, italic);
        if (const auto found = m_index.find(key); found != m_index.end())
            return found->second;
        m_faces.push_back(m_outlines ? embeddedFace(format.size) : deviceFace(format, bold, italic));
        m_index.emplace(key, m_faces.size() - 1);
        return m_faces.size() - 1;
    }

private:
    TextFace embeddedFace(double size) const
    {
        TextFace face;
        face.embedded = m_fieldFont;
        face.size = size;
        const double scale = size / m_fieldFont->emSquare;
        if (m_fieldFont->hasLayout) {
            face.ascent = m_fieldFont->ascent * scale;
            face.descent = m_fieldFont->descent * scale;
        } else {
            face.ascent = size * 0.9;
            face.descent = size * 0.2;
        }
        return face;
    }

    TextFace deviceFace(const CharFormat& format, bool bold, bool italic) const
    {
        TextFace face;
        face.size = format.size;
        if (!deviceFontsAvailable()) {
            // Keep lines where Arial would put them; nothing will be drawn.
            face.ascent = format.size * 0.905;
            face.descent = format.size * 0.212;
            return face;
        }
        QString name = QString::fromStdString(format.face);
        if (name.isEmpty() && m_fieldFont)
            name = fontName(m_fieldFont->name);
        QFont font;
        font.setFamilies(deviceFamilies(name));
        // Measured in twips: a pixel size of the twip count keeps the
        // metrics precise and the painter's transform scales it down.
        font.setPixelSize(std::max(1, int(std::lround(format.size))));
        font.setBold(bold);
        font.setItalic(italic);
        font.setKerning(false);
        font.setHintingPreference(QFont::PreferNoHinting);
        face.metrics.emplace(font);
        face.device = font;
        face.ascent = face.metrics->ascent();
        face.descent = face.metrics->descent();
        return face;
    }

    const Font* m_fieldFont;
    bool m_outlines;
    std::vector<TextFace>& m_faces;
    std::map<std::tuple<std::string, double, bool, bool>, std::size_t> m_index;
};

struct Item {
    std::size_t span = 0;
    qsizetype start = 0;
    qsizetype offset = 0; // from the paragraph's start
    qsizetype length = 0;
    std::size_t face = 0;
    double advance = 0;
    bool space = false;
    bool tab = false;
};

// Lines wait here for the final width before alignment places them.
struct PendingLine {
    double leftBase = 0;  // gutter, margins, indents, bullet
    double rightBase = 0; // gutter and right margin
    TextAlign align = TextAlign::Left;
};

class LineBuilder {
public:
    LineBuilder(const EditText& field, FaceCache& faces, TextLayout& layout, std::vector<PendingLine>& pending, std::size_t firstLine)
        : m_field(field)
        , m_faces(faces)
        , m_layout(layout)
        , m_pending(pending)
        , m_y(field.bounds.yMin + kTextGutter)
        , m_firstLine(firstLine)
    {
    }

    void add(const Paragraph& paragraph, const CharFormat& emptyFormat)
    {
        m_paragraph = &paragraph;
        m_items.clear();
        qsizetype offset = 0;
        for (std::size_t s = 0; s < paragraph.spans.size(); ++s) {
            const TextSpan& span = paragraph.spans[s];
            const std::size_t face = m_faces.faceFor(span.format);
            for (qsizetype i = 0; i < span.text.size();) {
                const qsizetype length = span.text[i].isHighSurrogate() && i + 1 < span.text.size() ? 2 : 1;
                const QStringView character = QStringView(span.text).mid(i, length);
                Item item {s, i, offset, length, face, 0, character[0] == u' ' || character[0] == u'\u00A0', character[0] == u'\t'};
                offset += length;
                if (!item.tab)
                    item.advance = m_layout.faces[face].advance(character);
                m_items.push_back(item);
                i += length;
            }
        }
        m_emptyFace = m_faces.faceFor(paragraph.spans.empty() ? emptyFormat : paragraph.spans.front().format);
        m_paragraphLength = offset;
        breakLines();
        m_paragraphStart += offset + 1; // and its break
    }

    double bottom() const { return m_y; }
    double widest() const { return m_widest; }
    double lastLeading() const { return m_lastLeading; }

private:
    double bulletIndent() const
    {
        return m_paragraph->format.bullet ? m_layout.faces[m_emptyFace].size * 1.5 : 0;
    }

    double leftBase(bool first) const
    {
        const ParagraphFormat& f = m_paragraph->format;
        return kTextGutter + f.leftMargin + f.blockIndent + (first ? f.indent : 0) + bulletIndent();
    }

    double rightBase() const { return kTextGutter + m_paragraph->format.rightMargin; }

    double available(bool first) const { return m_field.bounds.width() - leftBase(first) - rightBase(); }

    double tabAdvance(double x) const
    {
        for (double stop : m_paragraph->format.tabStops)
            if (stop > x)
                return stop - x;
        return (std::floor(x / kDefaultTabStop) + 1) * kDefaultTabStop - x;
    }

    // Greedy: a line takes characters until one would cross the right edge,
    // then breaks after the last space, or before that character if the
    // word alone is wider than the line. Every character is measured once
    // and moved to a new line at most once.
    void breakLines()
    {
        const std::size_t n = m_items.size();
        m_xs.assign(n, 0);
        m_advances.assign(n, 0);
        std::size_t lineStart = 0;
        std::size_t lastBreak = kNoBreak;
        bool first = true;
        double x = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const Item& item = m_items[i];
            const double advance = item.tab ? tabAdvance(x) : item.advance;
            if (m_field.wordWrap && !item.space && !item.tab && i > lineStart && x + advance > available(first)) {
                const std::size_t cut = lastBreak != kNoBreak && lastBreak > lineStart ? lastBreak : i;
                emitLine(lineStart, cut, first, false);
                first = false;
                lineStart = cut;
                lastBreak = kNoBreak;
                x = 0;
                for (std::size_t k = cut; k < i; ++k) {
                    m_xs[k] = x;
                    x += m_advances[k];
                }
            }
            m_xs[i] = x;
            m_advances[i] = advance;
            x += advance;
            if (item.space || item.tab)
                lastBreak = i + 1;
        }
        emitLine(lineStart, n, first, true);
    }

    void emitLine(std::size_t from, std::size_t to, bool first, bool lastOfParagraph)
    {
        LaidLine line;
        std::size_t end = to;
        while (end > from && (m_items[end - 1].space || m_items[end - 1].tab))
            --end;
        line.width = end > from ? m_xs[end - 1] + m_advances[end - 1] : 0;
        for (std::size_t k = from; k < to; ++k) {
            line.ascent = std::max(line.ascent, m_layout.faces[m_items[k].face].ascent);
            line.descent = std::max(line.descent, m_layout.faces[m_items[k].face].descent);
        }
        if (from == to) {
            line.ascent = m_layout.faces[m_emptyFace].ascent;
            line.descent = m_layout.faces[m_emptyFace].descent;
        }

        const ParagraphFormat& format = m_paragraph->format;
        const double top = m_field.bounds.yMin + kTextGutter;
        const std::size_t index = m_layout.lineBottoms.size();
        line.firstChar = m_paragraphStart + (from < m_items.size() ? m_items[from].offset : m_paragraphLength);
        line.endChar = m_paragraphStart + (to < m_items.size() ? m_items[to].offset : m_paragraphLength);
        m_layout.lineStarts.push_back(line.firstChar);
        m_widest = std::max(m_widest, line.width);
        if (index < m_firstLine || !keepsLine()) {
            // Still measured, so the text's height stays true for scrolling.
            m_y += line.ascent + line.descent + format.leading;
            m_lastLeading = format.leading;
            m_layout.lineBottoms.push_back(m_y - top);
            if (index + 1 == m_firstLine)
                m_scrolledOff = m_y - top;
            return;
        }
        if (format.align == TextAlign::Justify && !lastOfParagraph && m_field.wordWrap)
            justify(from, end, available(first) - line.width, line.width);

        for (std::size_t k = from; k < to; ++k) {
            const Item& item = m_items[k];
            if (line.runs.empty() || m_lastSpan != item.span) {
                line.runs.push_back({item.face, m_paragraph->spans[item.span].format, {}, {}, {}, 0});
                m_lastSpan = item.span;
            }
            LaidRun& run = line.runs.back();
            run.starts.push_back(run.text.size());
            run.text += QStringView(m_paragraph->spans[item.span].text).mid(item.start, item.length);
            run.xs.push_back(m_xs[k]);
            run.width = m_xs[k] + m_advances[k] - run.xs.front();
        }
        line.bullet = format.bullet && first;
        line.baseline = m_y + line.ascent;
        m_y = line.baseline + line.descent + format.leading;
        line.baseline -= m_scrolledOff;
        m_lastLeading = format.leading;
        m_layout.lineBottoms.push_back(m_y - top);
        m_layout.lines.push_back(std::move(line));
        m_pending.push_back({leftBase(first), rightBase(), format.align});
    }

    // Lines below the field are never drawn, so only their height is kept;
    // a field that grows to fit keeps as many as anyone could look at.
    bool keepsLine() const
    {
        if (m_field.autoSize)
            return m_layout.lines.size() < kMaxKeptLines;
        return m_y - m_scrolledOff <= m_field.bounds.yMax;
    }

    // Spreads the room left on a line over its inner spaces.
    void justify(std::size_t from, std::size_t end, double room, double& width)
    {
        if (room <= 0)
            return;
        std::size_t spaces = 0;
        for (std::size_t k = from; k < end; ++k)
            spaces += m_items[k].space ? 1 : 0;
        if (spaces == 0)
            return;
        const double extra = room / double(spaces);
        double shift = 0;
        for (std::size_t k = from; k < end; ++k) {
            m_xs[k] += shift;
            if (m_items[k].space) {
                shift += extra;
                m_advances[k] += extra;
            }
        }
        width += room;
    }

    const EditText& m_field;
    FaceCache& m_faces;
    TextLayout& m_layout;
    std::vector<PendingLine>& m_pending;
    const Paragraph* m_paragraph = nullptr;
    std::vector<Item> m_items;
    std::vector<double> m_xs;
    std::vector<double> m_advances;
    std::size_t m_emptyFace = 0;
    std::size_t m_lastSpan = 0;
    double m_y = 0;
    double m_lastLeading = 0;
    std::size_t m_firstLine = 0;
    double m_scrolledOff = 0; // the height of the lines above the first shown
    double m_widest = 0;
    qsizetype m_paragraphStart = 0;
    qsizetype m_paragraphLength = 0;
};

// An edge moved by a measured length, kept where twips can still be added
// to it; a field sized to a hostile text does not wrap around.
std::int32_t grow(std::int32_t edge, double length)
{
    constexpr double kFar = 1 << 30;
    return std::int32_t(std::clamp(edge + std::ceil(length), -kFar, kFar));
}

} // namespace

std::optional<std::size_t> TextFace::glyphFor(char32_t c) const
{
    if (!embedded || c > 0xFFFF || (!embedded->unicodeCodes && c > 0xFF))
        return std::nullopt;
    return embedded->glyphForCode(std::uint16_t(c));
}

double TextFace::advance(QStringView character) const
{
    if (!embedded)
        return metrics ? metrics->horizontalAdvance(character.toString()) : size * 0.5;
    const auto glyph = glyphFor(character.size() == 2 ? QChar::surrogateToUcs4(character[0], character[1]) : character[0].unicode());
    if (!glyph)
        return 0; // the reference skips characters the font does not carry
    const double scale = size / embedded->emSquare;
    if (*glyph < embedded->advances.size())
        return embedded->advances[*glyph] * scale;
    return embedded->glyphs[*glyph].boundingRect().right() * scale;
}

bool deviceFontsAvailable() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

bool installedFamily(const QString& name)
{
    static const QSet<QString> installed = [] {
        QSet<QString> families;
        for (const QString& family : QFontDatabase::families())
            families.insert(family.toLower());
        return families;
    }();
    return installed.contains(name.toLower());
}

QStringList deviceFamilies(const QString& name)
{
    // Metric twins of the fonts the reference player found on its desktop
    // come first, so lines break where the author saw them break.
    static const QStringList kSans {"Nimbus Sans", "Liberation Sans", "Arial", "DejaVu Sans"};
    static const QStringList kSerif {"Nimbus Roman", "Liberation Serif", "Times New Roman", "DejaVu Serif"};
    static const QStringList kMono {"Nimbus Mono PS", "Liberation Mono", "Courier New", "DejaVu Sans Mono"};
    static const QStringList kWideSans {"DejaVu Sans", "Verdana"};
    QStringList families;
    // A face may list alternatives: "Arial, Helvetica, _sans".
    for (const QString& part : name.split(u',', Qt::SkipEmptyParts)) {
        const QString wanted = part.trimmed();
        const QString key = wanted.toLower();
        if (key == u"_sans" || key == u"arial" || key == u"helvetica")
            families += kSans;
        else if (key == u"_serif" || key == u"times new roman" || key == u"times")
            families += kSerif;
        else if (key == u"_typewriter" || key == u"courier new" || key == u"courier")
            families += kMono;
        else if (key == u"verdana" || key == u"tahoma")
            families += kWideSans;
        // DejaVu grew from Bitstream Vera and keeps its shapes and widths.
        else if (key == u"bitstream vera sans")
            families += QStringLiteral("DejaVu Sans");
        else if (key == u"bitstream vera serif")
            families += QStringLiteral("DejaVu Serif");
        else if (key == u"bitstream vera sans mono")
            families += QStringLiteral("DejaVu Sans Mono");
        // A face this machine lacks is left out rather than handed on: the
        // font system would look up and keep fallbacks for every made-up
        // name a movie carries, and the next family serves just the same.
        else if (installedFamily(wanted))
            families += wanted;
    }
    // Unknown or missing faces fall back to the default text format's font.
    families += kSerif;
    families.removeDuplicates();
    return families;
}

TextLayout layoutText(const EditText& field, const std::vector<Paragraph>& paragraphs, const Font* fieldFont, std::size_t firstLine,
                      double scrolledAcross)
{
    TextLayout layout;
    layout.bounds = field.bounds;
    if (field.border) {
        layout.border = Color {0, 0, 0, 255};
        layout.background = Color {255, 255, 255, 255};
    }
    FaceCache faces(field, fieldFont, layout.faces);
    std::vector<PendingLine> pending;
    LineBuilder builder(field, faces, layout, pending, firstLine);
    const CharFormat base = baseCharFormat(field);
    for (const Paragraph& paragraph : paragraphs)
        builder.add(paragraph, base);

    const double top = field.bounds.yMin + kTextGutter;
    layout.textHeight = layout.lineBottoms.empty() ? 0 : builder.bottom() - builder.lastLeading() - top;
    layout.textWidth = builder.widest();
    double widest = 0;
    for (std::size_t i = 0; i < layout.lines.size(); ++i) {
        widest = std::max(widest, pending[i].leftBase + layout.lines[i].width + pending[i].rightBase);
    }

    if (field.autoSize) {
        // The reference player sizes fields in whole pixels, rounding up.
        const auto wholePixels = [](double twips) { return std::ceil(twips / 20) * 20; };
        layout.bounds.yMax = grow(layout.bounds.yMin, wholePixels(layout.textHeight + 2 * kTextGutter));
        if (!field.wordWrap) {
            // The field keeps the edge its alignment holds still.
            const std::int32_t width = grow(0, wholePixels(widest));
            if (field.align == TextAlign::Right) {
                layout.bounds.xMin = grow(layout.bounds.xMax, -width);
            } else if (field.align == TextAlign::Center) {
                const std::int32_t centre = field.bounds.xMin + field.bounds.width() / 2;
                layout.bounds.xMin = grow(centre, -width / 2);
                layout.bounds.xMax = grow(layout.bounds.xMin, width);
            } else {
                layout.bounds.xMax = grow(layout.bounds.xMin, width);
            }
        }
    }

    const double width = layout.bounds.width();
    for (std::size_t i = 0; i < layout.lines.size(); ++i) {
        LaidLine& line = layout.lines[i];
        const double room = width - pending[i].leftBase - pending[i].rightBase - line.width;
        double offset = 0;
        if (pending[i].align == TextAlign::Right)
            offset = room;
        else if (pending[i].align == TextAlign::Center)
            offset = room / 2;
        line.x = layout.bounds.xMin + pending[i].leftBase + offset - scrolledAcross;
        if (line.bullet)
            line.bulletX = line.x - line.ascent * 0.9;
    }
    return layout;
}

std::shared_ptr<const TextLayout> layoutField(const EditText& field, const QString& text, bool html, std::shared_ptr<const Font> fieldFont)
{
    const CharFormat base = baseCharFormat(field);
    const ParagraphFormat paragraph = baseParagraphFormat(field);
    std::vector<Paragraph> paragraphs = html ? parseHtmlText(text, base, paragraph) : plainParagraphs(text, base, paragraph);
    if (field.password)
        for (Paragraph& p : paragraphs)
            for (auto& span : p.spans)
                span.text.fill(u'*');
    auto layout = std::make_shared<TextLayout>(layoutText(field, paragraphs, fieldFont.get()));
    layout->font = std::move(fieldFont);
    return layout;
}

} // namespace swf
