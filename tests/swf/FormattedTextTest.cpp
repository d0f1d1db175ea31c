#include <gtest/gtest.h>

#include "swf/text/FormattedText.h"

TEST(FormattedText, MovieTextIsUtf8OrElseLatin1)
{
    EXPECT_EQ(swf::decodeMovieText("caf\xC3\xA9"), QString::fromUtf8("café"));
    // Old movies store the system code page; one stray byte must not lose the rest.
    EXPECT_EQ(swf::decodeMovieText("caf\xE9 cr\xE8me"), QString::fromUtf8("café crème"));
    EXPECT_EQ(swf::decodeMovieText(std::string_view("a\0b", 3)), QString("a") + QChar(0) + "b");
}

TEST(FormattedText, FieldFormatsComeFromTheTag)
{
    swf::EditText field;
    field.height = 360;
    field.color = swf::Color {1, 2, 3, 4};
    field.align = swf::TextAlign::Justify;
    field.leftMargin = 10;
    field.rightMargin = 20;
    field.indent = 30;
    field.leading = -40;
    const swf::CharFormat chars = swf::baseCharFormat(field);
    EXPECT_EQ(chars.size, 360);
    EXPECT_EQ(chars.color, (swf::Color {1, 2, 3, 4}));
    const swf::ParagraphFormat paragraph = swf::baseParagraphFormat(field);
    EXPECT_EQ(paragraph.align, swf::TextAlign::Justify);
    EXPECT_EQ(paragraph.leftMargin, 10);
    EXPECT_EQ(paragraph.rightMargin, 20);
    EXPECT_EQ(paragraph.indent, 30);
    EXPECT_EQ(paragraph.leading, -40);
}
