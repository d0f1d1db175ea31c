#include "html/GeneratePage.h"

#include <QDir>
#include <QFile>

namespace html {

namespace {

const QString kTitleEnd = QStringLiteral("</title><body>");
// What follows the path in Text6: the value's closing quote and the tag's end.
const QString kValueEnd = QStringLiteral("\" >");

// A path as text inside an element or a quoted attribute. Line breaks are
// written as references too, so that the page keeps its seven lines.
QString escapedPath(const QString& path)
{
    QString escaped = path.toHtmlEscaped();
    escaped.replace(QLatin1Char('\r'), QStringLiteral("&#13;"));
    escaped.replace(QLatin1Char('\n'), QStringLiteral("&#10;"));
    return escaped;
}

// Text6 as the main window builds it; anything else there is all path.
QString escapedValueLine(const QString& text6)
{
    if (text6.endsWith(kValueEnd))
        return escapedPath(text6.chopped(kValueEnd.size())) + kValueEnd;
    return escapedPath(text6);
}

} // namespace

QString pageFileName(const QString& folder, const QString& baseName)
{
    const QString name = baseName + QStringLiteral(".HTML");
    // A doubled separator at a root would name another path on Linux.
    if (folder.endsWith(QDir::separator()) || folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QDir::separator() + name;
}

PageResult GeneratePage(const QString& folder, const QString& baseName, const PageTemplate& page)
{
    PageResult result;
    result.path = pageFileName(folder, baseName);

    const QString lines[] = {
        page.Text2,
        escapedPath(page.Text3) + kTitleEnd,
        page.Text4,
        page.Text5,
        escapedValueLine(page.Text6),
        page.Text7,
        page.Text8,
    };
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";

    QFile file(result.path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() || !file.flush()) {
        result.reason = file.errorString();
        return result;
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        result.reason = file.errorString();
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace html
