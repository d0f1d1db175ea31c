#include <gtest/gtest.h>

#include "platform/Twips.h"

TEST(Twips, FifteenTwipsMakeOnePixelAndRoundingIsSymmetric)
{
    struct Case {
        int twips;
        int pixels;
    };
    const Case cases[] = {{0, 0}, {15, 1}, {9540, 636}, {6555, 437}, {7, 0}, {8, 1}, {-480, -32}, {-8, -1}};
    for (const Case& c : cases)
        EXPECT_EQ(platform::twipsToPixels(c.twips), c.pixels) << c.twips;
}

TEST(Twips, RectConvertsEveryEdge)
{
    EXPECT_EQ(platform::twipsRect(2400, 1140, 7005, 4515), QRect(160, 76, 467, 301));
}
