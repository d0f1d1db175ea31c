#pragma once

// The CSS that TextField.StyleSheet reads: rules of comma-separated
// selectors and "name: value;" declarations, comments dropped. Property
// names come back in script's spelling (font-family as fontFamily). One
// pass, no backtracking, so hostile text costs no more than its length.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QString>

namespace swf {

struct StyleRule {
    std::vector<QString> selectors;
    std::vector<std::pair<QString, QString>> declarations;
};

// Nothing when the text is not a style sheet (an unclosed rule, a
// declaration without its colon, text outside any rule).
std::optional<std::vector<StyleRule>> parseStyleSheet(const QString& css);

// "font-family" as script names it: "fontFamily".
QString scriptPropertyName(QStringView cssName);

} // namespace swf
