#include "app/FilePattern.h"

namespace app {

namespace {

bool sameLetter(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

// Iterative wildcard match with one backtrack point: linear in practice and
// never recursive, whatever the pattern.
bool wildcardMatch(QStringView pattern, QStringView name)
{
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype starAt = -1;
    qsizetype resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() && (pattern[p] == QLatin1Char('?') || sameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starAt >= 0) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

} // namespace

FilePattern::FilePattern(const QString& pattern)
    : m_text(pattern)
    , m_parts(pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts))
{
}

bool FilePattern::matches(QStringView name) const
{
    for (const QString& part : m_parts) {
        if (wildcardMatch(part, name))
            return true;
    }
    return false;
}

bool FilePattern::isPattern(const QString& text)
{
    return text.contains(QLatin1Char('*')) || text.contains(QLatin1Char('?'));
}

} // namespace app
