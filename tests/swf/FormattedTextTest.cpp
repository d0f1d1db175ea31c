#include <gtest/gtest.h>

#include "swf/text/FormattedText.h"

TEST(FormattedText, MovieTextIsUtf8OrElseLatin1)
{
    EXPECT_EQ(swf::decodeMovieText("caf\xC3\xA9"), QString::fromUtf8("café"));
    // Old movies store the system code page; one stray byte must not lose the rest.
    EXPECT_EQ(swf::decodeMovieText("caf\xE9 cr\xE8me"), QString::fromUtf8("café crème"));
    EXPECT_EQ(swf::decodeMovieText(std::string_view("a\0b", 3)), QString("a") + QChar(0) + "b");
}
