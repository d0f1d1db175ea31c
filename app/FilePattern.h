#pragma once

#include <QString>
#include <QStringList>

namespace app {

// A file list's wildcard pattern: '*' stands for any run of characters, '?'
// for one, letters match without regard to case, and several patterns may
// be joined with ';'. So "*.*swf" takes every name holding a dot followed,
// at any distance, by a final "swf".
class FilePattern {
public:
    explicit FilePattern(const QString& pattern = QStringLiteral("*.*"));

    bool matches(QStringView name) const;
    QString text() const { return m_text; }

    static bool isPattern(const QString& text);

private:
    QString m_text;
    QStringList m_parts;
};

} // namespace app
