#include <gtest/gtest.h>

#include "ImageCompare.h"

namespace {

QImage filled(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

} // namespace

TEST(ImageCompare, SmallChannelDifferencesMatchLargeOnesDoNot)
{
    const QImage reference = filled({10, 10}, QColor(100, 100, 100));
    EXPECT_TRUE(compareImages(filled({10, 10}, QColor(103, 97, 100)), reference).passes());
    EXPECT_FALSE(compareImages(filled({10, 10}, QColor(104, 100, 100)), reference).passes());
}

TEST(ImageCompare, AShiftedEdgeMatchesThroughTheNeighbourhood)
{
    QImage reference = filled({20, 20}, Qt::white);
    QImage shifted = filled({20, 20}, Qt::white);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 10; ++x)
            reference.setPixelColor(x, y, Qt::black);
        for (int x = 0; x < 11; ++x)
            shifted.setPixelColor(x, y, Qt::black);
    }
    EXPECT_EQ(compareImages(shifted, reference).badFraction, 0.0);

    // Missing content is not excused.
    const ImageComparison missing = compareImages(filled({20, 20}, Qt::white), reference);
    EXPECT_NEAR(missing.badFraction, 0.45, 0.01); // the edge column itself is excused
    EXPECT_FALSE(missing.passes());
}

TEST(ImageCompare, OneBadPixelInAThousandIsAllowed)
{
    const QImage reference = filled({100, 10}, Qt::white);
    QImage rendered = reference;
    rendered.setPixelColor(50, 5, Qt::black);
    EXPECT_TRUE(compareImages(rendered, reference).passes());
    rendered.setPixelColor(51, 5, Qt::black);
    EXPECT_FALSE(compareImages(rendered, reference).passes());
}

TEST(ImageCompare, SizesMustAgree)
{
    EXPECT_FALSE(compareImages(filled({10, 10}, Qt::red), filled({10, 11}, Qt::red)).passes());
}
