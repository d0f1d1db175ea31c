#include <gtest/gtest.h>

#include "TextBodies.h"
#include "swf/define/EditText.h"

using namespace texttest;

namespace {

struct FieldDesign {
    std::uint16_t flags = 0; // first flag byte high, second low
    std::uint16_t fontId = 0;
    std::string fontClass;
    std::uint16_t height = 0;
    swf::Color color;
    std::uint16_t maxLength = 0;
    std::uint8_t align = 0;
    std::uint16_t left = 0, right = 0, indent = 0;
    std::int16_t leading = 0;
    std::string variable;
    std::string text;
};

enum : std::uint16_t {
    kHasText = 0x8000, kWordWrap = 0x4000, kMultiline = 0x2000, kPassword = 0x1000, kReadOnly = 0x0800,
    kHasColor = 0x0400, kHasMaxLength = 0x0200, kHasFont = 0x0100, kHasFontClass = 0x0080, kAutoSize = 0x0040,
    kHasLayout = 0x0020, kNoSelect = 0x0010, kBorder = 0x0008, kWasStatic = 0x0004, kHtml = 0x0002, kUseOutlines = 0x0001,
};

Bytes fieldBody(const FieldDesign& s)
{
    Bytes body = swftest::BitWriter().ub(14, 5).sb(-20, 14).sb(4000, 14).sb(0, 14).sb(600, 14).finish();
    put8(body, std::uint8_t(s.flags >> 8));
    put8(body, std::uint8_t(s.flags));
    if (s.flags & kHasFont)
        put16(body, s.fontId);
    if (s.flags & kHasFontClass)
        putString(body, s.fontClass);
    if (s.flags & (kHasFont | kHasFontClass))
        put16(body, s.height);
    if (s.flags & kHasColor)
        body.insert(body.end(), {s.color.r, s.color.g, s.color.b, s.color.a});
    if (s.flags & kHasMaxLength)
        put16(body, s.maxLength);
    if (s.flags & kHasLayout) {
        put8(body, s.align);
        put16(body, s.left);
        put16(body, s.right);
        put16(body, s.indent);
        put16(body, std::uint16_t(s.leading));
    }
    putString(body, s.variable);
    if (s.flags & kHasText)
        putString(body, s.text);
    return body;
}

FieldDesign everything()
{
    FieldDesign s;
    s.flags = 0xFFFF;
    s.fontId = 3;
    s.fontClass = "Fonts.Body";
    s.height = 360;
    s.color = {10, 20, 30, 40};
    s.maxLength = 12;
    s.align = 2;
    s.left = 40;
    s.right = 60;
    s.indent = 80;
    s.leading = -20;
    s.variable = "_root.score";
    s.text = "caf\xC3\xA9";
    return s;
}

} // namespace

TEST(EditText, EveryFieldAndFlagIsRead)
{
    const auto field = swf::readEditText(fieldBody(everything()));
    ASSERT_TRUE(field) << field.error();
    const swf::EditText& f = field.value();
    EXPECT_EQ(f.bounds.xMin, -20);
    EXPECT_EQ(f.bounds.yMax, 600);
    EXPECT_TRUE(f.wordWrap && f.multiline && f.password && f.readOnly && f.autoSize && f.noSelect && f.border
                && f.wasStatic && f.html && f.useOutlines && f.hasLayout);
    EXPECT_EQ(f.fontId, 3);
    EXPECT_EQ(f.fontClass, "Fonts.Body");
    EXPECT_EQ(f.height, 360);
    EXPECT_EQ(f.color, (swf::Color {10, 20, 30, 40}));
    EXPECT_EQ(f.maxLength, 12);
    EXPECT_EQ(f.align, swf::TextAlign::Center);
    EXPECT_EQ(f.leftMargin, 40);
    EXPECT_EQ(f.rightMargin, 60);
    EXPECT_EQ(f.indent, 80);
    EXPECT_EQ(f.leading, -20);
    EXPECT_EQ(f.variableName, "_root.score");
    EXPECT_EQ(f.initialText, "caf\xC3\xA9");
}

TEST(EditText, CutShortIsRefusedUntilTheTextWhoseEndMayBeMissing)
{
    const Bytes whole = fieldBody(everything());
    const std::size_t textStart = whole.size() - 6; // "café" is five bytes and a zero
    for (std::size_t length = 0; length < textStart; ++length)
        EXPECT_FALSE(swf::readEditText(std::span<const std::uint8_t>(whole).first(length))) << length;
    const auto unterminated = swf::readEditText(std::span<const std::uint8_t>(whole).first(whole.size() - 2));
    ASSERT_TRUE(unterminated);
    EXPECT_EQ(unterminated.value().initialText, "caf\xC3");

    // An alignment no version defines reads as left.
    FieldDesign odd = everything();
    odd.align = 9;
    EXPECT_EQ(swf::readEditText(fieldBody(odd)).value().align, swf::TextAlign::Left);
}
