#include "swf/text/TextRestriction.h"

#include <algorithm>

#include <QList>

namespace swf {

namespace {

struct Rule {
    char32_t first = 0;
    char32_t last = 0;
    bool allow = true;
};

std::vector<Rule> readRules(const std::vector<char32_t>& s, bool& startsRefusing, bool& refuses)
{
    std::vector<Rule> rules;
    bool allow = true;
    startsRefusing = !s.empty() && s.front() == U'^';
    refuses = false;
    const auto literal = [&](std::size_t& i) {
        if (s[i] == U'\\' && i + 1 < s.size())
            ++i;
        return s[i];
    };
    for (std::size_t i = 0; i < s.size() && rules.size() < TextRestriction::kMaxRules; ++i) {
        if (s[i] == U'^') {
            allow = !allow;
            refuses = true;
            continue;
        }
        const char32_t first = literal(i);
        char32_t last = first;
        // A dash between two characters makes a range; anywhere else it is
        // itself.
        if (i + 2 < s.size() && s[i + 1] == U'-') {
            i += 2;
            last = literal(i);
        }
        rules.push_back({std::min(first, last), std::max(first, last), allow});
    }
    return rules;
}

std::vector<char32_t> codePoints(const QString& text)
{
    const QList<uint> ucs4 = text.toUcs4();
    return std::vector<char32_t>(ucs4.begin(), ucs4.end());
}

} // namespace

TextRestriction::TextRestriction(const QString& text)
    : m_everything(false)
{
    bool startsRefusing = false;
    bool refuses = false;
    const std::vector<Rule> rules = readRules(codePoints(text), startsRefusing, refuses);
    m_foldsCase = !refuses;
    // The rules overlap; flattened once into stretches, a keystroke costs a
    // binary search however long the string.
    std::vector<char32_t> edges {0};
    for (const Rule& rule : rules) {
        edges.push_back(rule.first);
        if (rule.last < 0x10FFFF)
            edges.push_back(rule.last + 1);
    }
    std::ranges::sort(edges);
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    for (const char32_t from : edges) {
        bool allowed = startsRefusing;
        for (const Rule& rule : rules)
            if (from >= rule.first && from <= rule.last)
                allowed = rule.allow;
        if (m_stretches.empty() || m_stretches.back().allowed != allowed)
            m_stretches.push_back({from, allowed});
    }
}

bool TextRestriction::allows(char32_t c) const
{
    if (m_everything)
        return true;
    const auto after = std::ranges::upper_bound(m_stretches, c, {}, &Stretch::from);
    return after != m_stretches.begin() && std::prev(after)->allowed;
}

std::optional<char32_t> TextRestriction::admit(char32_t c) const
{
    if (allows(c))
        return c;
    if (!m_foldsCase)
        return std::nullopt;
    const char32_t upper = QChar::toUpper(c);
    if (upper != c && allows(upper))
        return upper;
    const char32_t lower = QChar::toLower(c);
    if (lower != c && allows(lower))
        return lower;
    return std::nullopt;
}

QString TextRestriction::filter(const QString& text) const
{
    if (m_everything)
        return text;
    QString out;
    out.reserve(text.size());
    for (const char32_t c : codePoints(text))
        if (const std::optional<char32_t> taken = admit(c)) {
            const char32_t one = *taken;
            out += QString::fromUcs4(&one, 1);
        }
    return out;
}

} // namespace swf
