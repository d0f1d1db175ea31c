#pragma once

// The seven-line page that embeds the current movie, written beside the
// program for the desktop to open.

#include <QString>

namespace html {

// The template lines as the main window's boxes hold them. Text3 is the
// movie path; Text6 is the path followed by a quote, a blank and ">".
struct PageTemplate {
    QString Text2;
    QString Text3;
    QString Text4;
    QString Text5;
    QString Text6;
    QString Text7;
    QString Text8;
};

struct PageResult {
    bool ok = false;
    QString path;   // the page's full name, written or not
    QString reason; // why it could not be written
};

// folder, a separator, baseName and ".HTML"; a folder that already ends in
// a separator gets no second one.
QString pageFileName(const QString& folder, const QString& baseName);

// Creates or truncates the page and writes the seven lines, each ending in
// CR LF, as UTF-8. The movie path is written as HTML text, with &, <, >
// and " escaped, so that no path can break the markup or add to it; the
// fixed lines are written as they are.
PageResult GeneratePage(const QString& folder, const QString& baseName, const PageTemplate& page);

} // namespace html
