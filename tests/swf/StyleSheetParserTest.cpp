#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "swf/text/StyleSheetParser.h"

namespace {

// Rules as "sel,sel{name=value;...}" joined, or "refused".
std::string describe(const QString& css)
{
    const auto rules = swf::parseStyleSheet(css);
    if (!rules)
        return "refused";
    std::string out;
    for (const swf::StyleRule& rule : *rules) {
        for (std::size_t i = 0; i < rule.selectors.size(); ++i)
            out += (i ? "," : "") + rule.selectors[i].toStdString();
        out += '{';
        for (const auto& [name, value] : rule.declarations)
            out += name.toStdString() + '=' + value.toStdString() + ';';
        out += '}';
    }
    return out;
}

} // namespace

TEST(StyleSheetParser, ReadsRulesAndRefusesWhatIsNoSheet)
{
    struct Case {
        const char* css;
        std::string expected;
    };
    const std::vector<Case> cases {
        {"test {\n  test: test;\n}\n", "test{test=test;}"},
        {"p, .note { font-family: sans-serif; color:#FF0000 }", "p,.note{fontFamily=sans-serif;color=#FF0000;}"},
        {"/* a comment */ a { text-decoration: underline; } b {}", "a{textDecoration=underline;}b{}"},
        {"", ""},
        {"p { color: red;", "refused"},
        {"p { color }", "refused"},
        {"stray text", "refused"},
        {", { a: b }", "refused"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(describe(c.css), c.expected) << c.css;
}
