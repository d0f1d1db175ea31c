#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "swf/text/FieldText.h"

namespace {

// Paragraphs as "L:" or "R:" for their alignment, joined by '|', with
// bold stretches in *stars*: enough to see where formats fall.
std::string describe(const swf::FieldText& text)
{
    std::string out;
    for (const swf::Paragraph& p : text.paragraphs()) {
        if (!out.empty())
            out += '|';
        out += p.format.align == swf::TextAlign::Right ? "R:" : "L:";
        for (const swf::TextSpan& span : p.spans)
            out += span.format.bold ? "*" + span.text.toStdString() + "*" : span.text.toStdString();
    }
    return out;
}

swf::FieldText twoParagraphs()
{
    swf::ParagraphFormat right;
    right.align = swf::TextAlign::Right;
    return swf::FieldText(swf::plainParagraphs("abc\rdef", {}, right));
}

} // namespace

TEST(FieldText, EditsKeepFormatsWithTheirCharacters)
{
    swf::CharFormat bold;
    bold.bold = true;
    const swf::ParagraphFormat left;
    const auto makeBold = [](swf::CharFormat& f) { f.bold = true; };
    const auto alignLeft = [](swf::ParagraphFormat& f) { f.align = swf::TextAlign::Left; };
    struct Case {
        const char* name;
        std::function<void(swf::FieldText&)> edit;
        std::string expected;
        const char* text;
    };
    const std::vector<Case> cases {
        {"nothing changed", [](swf::FieldText&) {}, "R:abc|R:def", "abc\rdef"},
        {"insert takes its own format", [&](swf::FieldText& t) { t.replace(1, 1, "X", bold, left); }, "R:a*X*bc|R:def", "aXbc\rdef"},
        {"each break begins a paragraph, kept as given", [&](swf::FieldText& t) { t.replace(3, 3, "\nx\ry", {}, left); },
         "R:abc|L:x|L:y|R:def", "abc\nx\ry\rdef"},
        {"a removed break joins paragraphs, the first's format stays", [&](swf::FieldText& t) { t.replace(2, 5, "", {}, left); },
         "R:abef", "abef"},
        {"a range past the end is clamped", [&](swf::FieldText& t) { t.replace(6, 99, "Z", {}, left); }, "R:abc|R:deZ", "abc\rdeZ"},
        {"formats across a break", [&](swf::FieldText& t) { t.editCharFormats(2, 5, makeBold); }, "R:ab*c*|R:*d*ef", "abc\rdef"},
        {"a paragraph shows as its first character", [&](swf::FieldText& t) { t.editParagraphFormats(4, 5, alignLeft); },
         "R:abc|L:def", "abc\rdef"},
        {"a later character's paragraph format does not show", [&](swf::FieldText& t) { t.editParagraphFormats(5, 7, alignLeft); },
         "R:abc|R:def", "abc\rdef"},
        {"all text replaced", [&](swf::FieldText& t) { t.replace(0, 7, "", {}, left); }, "R:", ""},
    };
    for (const Case& c : cases) {
        swf::FieldText text = twoParagraphs();
        c.edit(text);
        EXPECT_EQ(describe(text), c.expected) << c.name;
        EXPECT_EQ(text.text(), QString(c.text)) << c.name;
    }
}

TEST(FieldText, RangesReportEachFormatTheyCross)
{
    swf::FieldText text = twoParagraphs();
    text.editCharFormats(1, 2, [](swf::CharFormat& f) { f.bold = true; });
    std::vector<bool> seen;
    text.visitCharFormats(0, 3, [&](const swf::CharFormat& f) { seen.push_back(f.bold); });
    EXPECT_EQ(seen, (std::vector<bool> {false, true, false}));
    seen.clear();
    text.visitCharFormats(1, 1, [&](const swf::CharFormat& f) { seen.push_back(f.bold); });
    EXPECT_EQ(seen, (std::vector<bool> {true})); // an empty range reports the character at it
}

TEST(FieldText, ParagraphFormatsReadBackPerCharacter)
{
    swf::FieldText text = twoParagraphs();
    text.editParagraphFormats(1, 2, [](swf::ParagraphFormat& f) { f.bullet = true; });
    std::vector<bool> seen;
    for (qsizetype i = 0; i < text.size(); ++i)
        text.visitParagraphFormats(i, i + 1, [&](const swf::ParagraphFormat& f) { seen.push_back(f.bullet); });
    EXPECT_EQ(seen, (std::vector<bool> {false, true, false, false, false, false, false}));
}

TEST(FieldText, ReplacedCarriageReturnsBreakSilently)
{
    // As replaceText takes them: LF becomes a CR script sees, CR a break
    // that counts in the length and ends a paragraph but reads as nothing.
    swf::FieldText text("ab", {}, {});
    const auto replace = [&](const char* inserted) { text.replace(1, 1, inserted, {}, {}, swf::FieldText::Breaks::AsReplaced); };
    replace("\nc");
    EXPECT_EQ(text.shownText(), QString("a\rcb"));
    EXPECT_EQ(text.size(), 4);
    replace("\rd");
    EXPECT_EQ(text.shownText(), QString("ad\rcb"));
    EXPECT_EQ(text.size(), 6);
    EXPECT_EQ(text.paragraphs().size(), 3u);
    // Removing a silent break removes it from the count.
    text.replace(1, 2, "", {}, {});
    EXPECT_EQ(text.shownText(), QString("ad\rcb"));
    EXPECT_EQ(text.size(), 5);
    EXPECT_EQ(text.paragraphs().size(), 2u);
}

TEST(FieldText, ParagraphsJoinTextOfOneCharacterFormat)
{
    swf::FieldText text("ab\r\rc", {}, {});
    text.editParagraphFormats(1, 2, [](swf::ParagraphFormat& f) { f.bullet = true; });
    text.editCharFormats(3, 4, [](swf::CharFormat& f) { f.bold = true; });
    const std::vector<swf::Paragraph> paragraphs = text.paragraphs();
    ASSERT_EQ(paragraphs.size(), 3u);
    ASSERT_EQ(paragraphs[0].spans.size(), 1u);
    EXPECT_EQ(paragraphs[0].spans[0].text, QString("ab"));
    // An empty line keeps the format of the break that ends it.
    ASSERT_EQ(paragraphs[1].spans.size(), 1u);
    EXPECT_TRUE(paragraphs[1].spans[0].text.isEmpty());
    EXPECT_TRUE(paragraphs[1].spans[0].format.bold);
}
