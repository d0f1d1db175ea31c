#include "swf/text/FormattedText.h"

#include <QStringDecoder>

namespace swf {

QString Paragraph::plainText() const
{
    QString text;
    for (const auto& span : spans)
        text += span.text;
    return text;
}

CharFormat baseCharFormat(const EditText& field)
{
    CharFormat format;
    format.size = field.height;
    if (field.color)
        format.color = *field.color;
    return format;
}

ParagraphFormat baseParagraphFormat(const EditText& field)
{
    ParagraphFormat format;
    format.align = field.align;
    format.leftMargin = field.leftMargin;
    format.rightMargin = field.rightMargin;
    format.indent = field.indent;
    format.leading = field.leading;
    return format;
}

QString decodeMovieText(std::string_view bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

std::vector<Paragraph> plainParagraphs(const QString& text, const CharFormat& format, const ParagraphFormat& paragraph)
{
    std::vector<Paragraph> paragraphs;
    qsizetype start = 0;
    auto finish = [&](qsizetype end) {
        Paragraph p {paragraph, {}};
        if (end > start)
            p.spans.push_back({text.mid(start, end - start), format});
        paragraphs.push_back(std::move(p));
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        finish(i);
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    finish(text.size());
    return paragraphs;
}

} // namespace swf
