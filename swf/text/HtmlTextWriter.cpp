#include "swf/text/HtmlTextWriter.h"

#include <cmath>

#include <QStringList>

namespace swf {

namespace {

constexpr double kPixel = 20; // twips

QString escaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&': out += u"&amp;"; break;
        case u'<': out += u"&lt;"; break;
        case u'>': out += u"&gt;"; break;
        case u'"': out += u"&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

QString pixels(double twips)
{
    return QString::number(std::round(twips / kPixel));
}

QString alignName(TextAlign align)
{
    switch (align) {
    case TextAlign::Right: return QStringLiteral("RIGHT");
    case TextAlign::Center: return QStringLiteral("CENTER");
    case TextAlign::Justify: return QStringLiteral("JUSTIFY");
    case TextAlign::Left: break;
    }
    return QStringLiteral("LEFT");
}

QString colorText(const Color& c)
{
    return QStringLiteral("#%1").arg((c.r << 16) | (c.g << 8) | c.b, 6, 16, QLatin1Char('0')).toUpper();
}

void writeSpan(QString& out, const TextSpan& span, const QString& fieldFont)
{
    const CharFormat& f = span.format;
    const QString face = f.face.empty() ? (fieldFont.isEmpty() ? QStringLiteral("Times New Roman") : fieldFont) : QString::fromStdString(f.face);
    out += QStringLiteral("<FONT FACE=\"%1\" SIZE=\"%2\" COLOR=\"%3\" LETTERSPACING=\"0\" KERNING=\"0\">")
               .arg(escaped(face), pixels(f.size), colorText(f.color));
    QString close = QStringLiteral("</FONT>");
    if (!f.url.empty()) {
        out += QStringLiteral("<A HREF=\"%1\" TARGET=\"%2\">").arg(escaped(QString::fromStdString(f.url)), escaped(QString::fromStdString(f.target)));
        close.prepend(QStringLiteral("</A>"));
    }
    const std::pair<bool, const char*> styles[] = {{f.bold, "B"}, {f.italic, "I"}, {f.underline, "U"}};
    for (const auto& [on, tag] : styles) {
        if (!on)
            continue;
        out += QStringLiteral("<%1>").arg(QLatin1String(tag));
        close.prepend(QStringLiteral("</%1>").arg(QLatin1String(tag)));
    }
    out += escaped(span.text);
    out += close;
}

} // namespace

QString writeHtmlText(const std::vector<Paragraph>& paragraphs, const QString& fieldFont)
{
    QString out;
    for (const Paragraph& p : paragraphs) {
        // The empty line after a last break is not written.
        if (&p == &paragraphs.back() && &p != &paragraphs.front() && p.spans.empty())
            break;
        const ParagraphFormat& f = p.format;
        const bool block = f.leftMargin != 0 || f.rightMargin != 0 || f.indent != 0 || f.blockIndent != 0 || f.leading != 0 || !f.tabStops.empty();
        if (block) {
            out += QStringLiteral("<TEXTFORMAT");
            const std::pair<const char*, double> values[] = {{"LEFTMARGIN", f.leftMargin}, {"RIGHTMARGIN", f.rightMargin},
                                                             {"INDENT", f.indent},         {"BLOCKINDENT", f.blockIndent},
                                                             {"LEADING", f.leading}};
            for (const auto& [name, value] : values)
                if (value != 0)
                    out += QStringLiteral(" %1=\"%2\"").arg(QLatin1String(name), pixels(value));
            if (!f.tabStops.empty()) {
                QStringList stops;
                for (double stop : f.tabStops)
                    stops += pixels(stop);
                out += QStringLiteral(" TABSTOPS=\"%1\"").arg(stops.join(u','));
            }
            out += u'>';
        }
        out += f.bullet ? QStringLiteral("<LI>") : QStringLiteral("<P ALIGN=\"%1\">").arg(alignName(f.align));
        for (const TextSpan& span : p.spans)
            writeSpan(out, span, fieldFont);
        out += f.bullet ? QStringLiteral("</LI>") : QStringLiteral("</P>");
        if (block)
            out += QStringLiteral("</TEXTFORMAT>");
    }
    return out;
}

} // namespace swf
