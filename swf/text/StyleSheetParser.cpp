#include "swf/text/StyleSheetParser.h"

#include <QList>

namespace swf {

namespace {

// More than any sheet written by hand; hostile text stops here.
constexpr std::size_t kMaxRules = 4096;
constexpr std::size_t kMaxDeclarations = 256;

QString withoutComments(const QString& css)
{
    QString out;
    out.reserve(css.size());
    for (qsizetype i = 0; i < css.size(); ++i) {
        if (css[i] == u'/' && i + 1 < css.size() && css[i + 1] == u'*') {
            const qsizetype end = css.indexOf(QStringLiteral("*/"), i + 2);
            if (end < 0)
                break;
            i = end + 1;
            out += u' ';
            continue;
        }
        out += css[i];
    }
    return out;
}

std::optional<std::vector<std::pair<QString, QString>>> parseDeclarations(QStringView body)
{
    std::vector<std::pair<QString, QString>> out;
    for (QStringView part : body.split(u';')) {
        part = part.trimmed();
        if (part.isEmpty())
            continue;
        const qsizetype colon = part.indexOf(u':');
        if (colon <= 0)
            return std::nullopt;
        if (out.size() >= kMaxDeclarations)
            break;
        out.emplace_back(scriptPropertyName(part.first(colon).trimmed()), part.mid(colon + 1).trimmed().toString());
    }
    return out;
}

} // namespace

QString scriptPropertyName(QStringView cssName)
{
    QString out;
    bool upper = false;
    for (const QChar c : cssName) {
        if (c == u'-') {
            upper = true;
            continue;
        }
        out += upper ? c.toUpper() : c;
        upper = false;
    }
    return out;
}

std::optional<std::vector<StyleRule>> parseStyleSheet(const QString& source)
{
    const QString css = withoutComments(source);
    std::vector<StyleRule> rules;
    qsizetype at = 0;
    while (true) {
        const qsizetype open = css.indexOf(u'{', at);
        if (open < 0) {
            if (!QStringView(css).mid(at).trimmed().isEmpty())
                return std::nullopt;
            return rules;
        }
        const qsizetype close = css.indexOf(u'}', open + 1);
        if (close < 0)
            return std::nullopt;
        StyleRule rule;
        for (QStringView selector : QStringView(css).mid(at, open - at).split(u',')) {
            selector = selector.trimmed();
            if (selector.isEmpty())
                return std::nullopt;
            rule.selectors.push_back(selector.toString());
        }
        auto declarations = parseDeclarations(QStringView(css).mid(open + 1, close - open - 1));
        if (!declarations || rule.selectors.empty())
            return std::nullopt;
        rule.declarations = std::move(*declarations);
        if (rules.size() < kMaxRules)
            rules.push_back(std::move(rule));
        at = close + 1;
    }
}

} // namespace swf
