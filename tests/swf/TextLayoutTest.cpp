#include <gtest/gtest.h>

#include "TextBodies.h"
#include "swf/text/TextLayout.h"
#include "swf/text/HtmlText.h"

#include <QFontDatabase>

using namespace texttest;

namespace {

// Block font at 400 twips: every character 200 wide, ascent 312.5, descent 87.5.
constexpr double kChar = 200;
constexpr double kAscent = 312.5;
constexpr double kDescent = 87.5;

class TextLayoutTest : public ::testing::Test {
protected:
    swf::Font font = swf::readFont(48, fontBody(blockFont()), 10).value();

    // A field whose text area (inside the gutters) is `inner` twips wide.
    swf::EditText field(double inner, bool wrap = true)
    {
        swf::EditText f;
        f.bounds = {1000, 1000 + std::int32_t(inner + 2 * swf::kTextGutter), 500, 5000};
        f.height = 400;
        f.useOutlines = true;
        f.wordWrap = wrap;
        f.multiline = true;
        return f;
    }

    swf::TextLayout lay(const swf::EditText& f, const QString& text)
    {
        return swf::layoutText(f, swf::plainParagraphs(text, swf::baseCharFormat(f), swf::baseParagraphFormat(f)), &font);
    }

    static std::vector<QString> lineTexts(const swf::TextLayout& layout)
    {
        std::vector<QString> texts;
        for (const auto& line : layout.lines) {
            QString text;
            for (const auto& run : line.runs)
                text += run.text;
            texts.push_back(text);
        }
        return texts;
    }
};

} // namespace

TEST_F(TextLayoutTest, WrapBreaksAfterSpacesAndSplitsWordsLongerThanALine)
{
    struct Case {
        double inner;
        const char* text;
        std::vector<QString> lines;
    };
    const Case cases[] = {
        {1500, "aaa bbb ccc", {"aaa bbb ", "ccc"}},
        {1400, "aaa bbb ccc", {"aaa bbb ", "ccc"}}, // exactly full still fits
        {1399, "aaa bbb ccc", {"aaa ", "bbb ", "ccc"}},
        {1000, "abcabcabc", {"abcab", "cabc"}},
        {1000, "ab   cabcabc", {"ab   ", "cabca", "bc"}},
        {100, "abc", {"a", "b", "c"}},  // narrower than one character: one each
        {1000, "a\rb\n\nc", {"a", "b", "", "c"}},
        {1000, "", {""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(lineTexts(lay(field(c.inner), c.text)), c.lines) << c.text << " in " << c.inner;

    EXPECT_EQ(lineTexts(lay(field(1000, false), "aaa bbb ccc ddd")), std::vector<QString> {"aaa bbb ccc ddd"});
}

TEST_F(TextLayoutTest, LinesStackByAscentDescentAndLeading)
{
    swf::EditText f = field(1000);
    f.leading = 60;
    const auto layout = lay(f, "a\rb\rc");
    ASSERT_EQ(layout.lines.size(), 3u);
    EXPECT_DOUBLE_EQ(layout.lines[0].baseline, 500 + swf::kTextGutter + kAscent);
    EXPECT_DOUBLE_EQ(layout.lines[1].baseline, layout.lines[0].baseline + kDescent + 60 + kAscent);
    EXPECT_DOUBLE_EQ(layout.textHeight, 3 * (kAscent + kDescent) + 2 * 60);
    EXPECT_DOUBLE_EQ(layout.lines[0].x, 1000 + swf::kTextGutter);
    EXPECT_EQ(layout.lines[0].runs[0].xs, (std::vector<double> {0}));
}

TEST_F(TextLayoutTest, AlignmentMarginsAndIndent)
{
    swf::EditText f = field(2000);
    const double left = 1000 + swf::kTextGutter;
    auto firstX = [&](swf::TextAlign align) {
        f.align = align;
        return lay(f, "abc").lines[0].x;
    };
    EXPECT_DOUBLE_EQ(firstX(swf::TextAlign::Left), left);
    EXPECT_DOUBLE_EQ(firstX(swf::TextAlign::Right), left + 2000 - 3 * kChar);
    EXPECT_DOUBLE_EQ(firstX(swf::TextAlign::Center), left + (2000 - 3 * kChar) / 2);
    // Trailing spaces do not push right-aligned text off its edge.
    f.align = swf::TextAlign::Right;
    EXPECT_DOUBLE_EQ(lay(f, "abc  ").lines[0].x, left + 2000 - 3 * kChar);

    f.align = swf::TextAlign::Left;
    f.leftMargin = 100;
    f.rightMargin = 300;
    f.indent = 60;
    const auto indented = lay(f, "aaaa bbbb cc");
    ASSERT_EQ(indented.lines.size(), 2u); // 1600 of text room less 60 of indent
    EXPECT_DOUBLE_EQ(indented.lines[0].x, left + 160);
    EXPECT_DOUBLE_EQ(indented.lines[1].x, left + 100);
}

TEST_F(TextLayoutTest, JustifySpreadsInnerSpacesExceptOnTheLastLine)
{
    swf::EditText f = field(1500);
    f.align = swf::TextAlign::Justify;
    const auto layout = lay(f, "aaa bbb ccc");
    ASSERT_EQ(layout.lines.size(), 2u);
    const auto& xs = layout.lines[0].runs[0].xs;
    EXPECT_DOUBLE_EQ(xs[4], 4 * kChar + 100); // the room of 100 goes to the one inner space
    EXPECT_DOUBLE_EQ(layout.lines[1].runs[0].xs[1], kChar);
}

TEST_F(TextLayoutTest, AutoSizeFitsTheFieldToItsTextFromTheHeldEdge)
{
    swf::EditText f = field(4000, false);
    f.autoSize = true;
    const auto left = lay(f, "abc");
    EXPECT_EQ(left.bounds.xMin, 1000);
    EXPECT_EQ(left.bounds.width(), std::int32_t(3 * kChar + 2 * swf::kTextGutter));
    EXPECT_EQ(left.bounds.height(), std::int32_t(std::ceil(kAscent + kDescent + 2 * swf::kTextGutter)));

    f.align = swf::TextAlign::Right;
    const auto right = lay(f, "abc");
    EXPECT_EQ(right.bounds.xMax, f.bounds.xMax);
    EXPECT_DOUBLE_EQ(right.lines[0].x, right.bounds.xMin + swf::kTextGutter);

    f.align = swf::TextAlign::Center;
    const auto centre = lay(f, "abc");
    EXPECT_NEAR(centre.bounds.xMin + centre.bounds.width() / 2.0, f.bounds.xMin + f.bounds.width() / 2.0, 1);

    // Wrapping fields keep their width and grow downwards only.
    swf::EditText wrapping = field(1000);
    wrapping.autoSize = true;
    const auto tall = lay(wrapping, "aaaa bbbb cccc");
    EXPECT_EQ(tall.bounds.width(), wrapping.bounds.width());
    EXPECT_EQ(tall.lines.size(), 3u);
    EXPECT_GT(tall.bounds.height(), 3 * (kAscent + kDescent));
}

TEST_F(TextLayoutTest, MixedSizesShareALineAndMissingGlyphsTakeNoRoom)
{
    swf::EditText f = field(4000);
    const auto paragraphs = swf::parseHtmlText("a<font size='40'>b</font>zc", swf::baseCharFormat(f), swf::baseParagraphFormat(f));
    const auto layout = swf::layoutText(f, paragraphs, &font);
    ASSERT_EQ(layout.lines.size(), 1u);
    EXPECT_DOUBLE_EQ(layout.lines[0].ascent, kAscent * 2);
    EXPECT_DOUBLE_EQ(layout.lines[0].descent, kDescent * 2);
    ASSERT_EQ(layout.lines[0].runs.size(), 3u);
    EXPECT_DOUBLE_EQ(layout.lines[0].runs[2].xs[1], kChar + 2 * kChar); // 'z' is not in the font
    EXPECT_DOUBLE_EQ(layout.lines[0].width, 4 * kChar);
}

TEST(TextLayout, AHugeWordWrapsInBoundedTimeKeepingOnlyVisibleLines)
{
    swf::EditText f;
    f.bounds = {0, 2000, 0, 2000};
    f.wordWrap = true;
    const QString word(100000, u'm');
    const auto layout = swf::layoutText(f, swf::plainParagraphs(word, swf::baseCharFormat(f), {}), nullptr);
    ASSERT_FALSE(layout.lines.empty());
    EXPECT_LT(layout.lines.size(), 20u);
    for (const auto& line : layout.lines)
        EXPECT_LE(line.width, 2000 - 2 * swf::kTextGutter);
    // Every line still counts towards the height: thousands of 12 px lines.
    EXPECT_GT(layout.textHeight, 1000.0 * 240);

    f.autoSize = true;
    const auto grown = swf::layoutText(f, swf::plainParagraphs(word, swf::baseCharFormat(f), {}), nullptr);
    EXPECT_GT(grown.lines.size(), 1000u);
    EXPECT_DOUBLE_EQ(grown.textHeight, layout.textHeight);
    EXPECT_GT(grown.bounds.height(), 1000 * 240);
}

TEST(DeviceFamilies, KnownNamesMapToTwinsAndUnknownOnesFallThroughToTheDefault)
{
    const QStringList sans = swf::deviceFamilies("Arial");
    ASSERT_FALSE(sans.isEmpty());
    EXPECT_EQ(sans.front(), "Nimbus Sans");
    EXPECT_EQ(swf::deviceFamilies("_typewriter").front(), "Nimbus Mono PS");

    // A made-up face is never handed to the font system, whose fallback
    // cache would keep it for good; the list ends in the default serif.
    const QStringList madeUp = swf::deviceFamilies("Zq9 Not A Font, \x01\x02, ,_serif");
    EXPECT_FALSE(madeUp.contains("Zq9 Not A Font"));
    EXPECT_EQ(madeUp.front(), "Nimbus Roman");

    // Installed families pass through under the movie's spelling.
    const QStringList installed = QFontDatabase::families();
    ASSERT_FALSE(installed.isEmpty());
    EXPECT_EQ(swf::deviceFamilies(installed.back().toUpper()).front(), installed.back().toUpper());
}
