#include <gtest/gtest.h>

#include "swf/render/BlendMode.h"

using namespace swf;

namespace {

QRgb composite(QRgb backdrop, QRgb source, BlendMode mode)
{
    QImage dest(2, 2, QImage::Format_ARGB32_Premultiplied);
    dest.fill(backdrop);
    QImage layer(2, 2, QImage::Format_ARGB32_Premultiplied);
    layer.fill(source);
    compositeLayer(dest, layer, mode);
    return dest.pixel(1, 1);
}

::testing::AssertionResult near(QRgb got, QRgb expected)
{
    const int tolerance = 1;
    if (std::abs(qRed(got) - qRed(expected)) <= tolerance && std::abs(qGreen(got) - qGreen(expected)) <= tolerance
        && std::abs(qBlue(got) - qBlue(expected)) <= tolerance && std::abs(qAlpha(got) - qAlpha(expected)) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << std::hex << "got " << got << ", expected " << expected;
}

TEST(BlendMode, ALayerSmallerThanItsSurfaceLandsWhereItIsPlaced)
{
    QImage layer(2, 2, QImage::Format_ARGB32_Premultiplied);
    layer.fill(qRgb(0, 0, 255));
    for (BlendMode mode : {BlendMode::Normal, BlendMode::Alpha}) {
        QImage dest(6, 4, QImage::Format_ARGB32_Premultiplied);
        dest.fill(qRgb(255, 0, 0));
        // Placed partly off the surface: only the overlap is drawn.
        compositeLayer(dest, layer, mode, QPoint(5, 1));
        const QRgb inside = dest.pixel(5, 1);
        const QRgb outside = dest.pixel(1, 1);
        if (mode == BlendMode::Normal) {
            EXPECT_EQ(inside, qRgb(0, 0, 255));
            EXPECT_EQ(outside, qRgb(255, 0, 0));
            EXPECT_EQ(dest.pixel(5, 3), qRgb(255, 0, 0));
        } else {
            // Alpha keeps the backdrop where the layer is opaque and clears
            // it everywhere else, outside the layer included.
            EXPECT_EQ(inside, qRgb(255, 0, 0));
            EXPECT_EQ(qAlpha(outside), 0);
        }
    }
}

TEST(BlendMode, EachModeOnAPairOfOpaquePixels)
{
    const QRgb backdrop = qRgb(200, 100, 40);
    const QRgb source = qRgb(100, 200, 80);
    struct Case {
        BlendMode mode;
        QRgb expected;
    };
    const Case cases[] {
        {BlendMode::Normal, source},
        {BlendMode::Layer, source},
        {BlendMode::Multiply, qRgb(78, 78, 13)},
        {BlendMode::Screen, qRgb(222, 222, 107)},
        {BlendMode::Lighten, qRgb(200, 200, 80)},
        {BlendMode::Darken, qRgb(100, 100, 40)},
        {BlendMode::Difference, qRgb(100, 100, 40)},
        {BlendMode::Add, qRgb(255, 255, 120)},
        {BlendMode::Subtract, qRgb(100, 0, 0)},
        {BlendMode::Invert, qRgb(55, 155, 215)},
        // Overlay asks the backdrop: light red screens, darker green and blue multiply.
        {BlendMode::Overlay, qRgb(188, 157, 25)},
        // Hard light asks the source: its light green screens.
        {BlendMode::HardLight, qRgb(157, 188, 25)},
        // An opaque source keeps all of the backdrop, and erases all of it.
        {BlendMode::Alpha, backdrop},
        {BlendMode::Erase, 0u},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(near(composite(backdrop, source, c.mode), c.expected)) << "mode " << int(c.mode);
}

TEST(BlendMode, PartialCoverage)
{
    const QRgb opaqueGrey = qRgb(100, 100, 100);
    const QRgb halfWhite = qPremultiply(qRgba(255, 255, 255, 128));
    const QRgb halfRed = qPremultiply(qRgba(255, 0, 0, 128));
    const QRgb faintYellow = qRgba(51, 51, 0, 51);
    const QRgb faintCyan = qRgba(0, 51, 51, 51);
    struct Case {
        const char* name;
        BlendMode mode;
        QRgb backdrop;
        QRgb source;
        QRgb expected;
    };
    const Case cases[] {
        {"normal mixes by coverage", BlendMode::Normal, opaqueGrey, halfWhite, qRgb(178, 178, 178)},
        {"half an invert", BlendMode::Invert, opaqueGrey, halfWhite, qRgb(128, 128, 128)},
        {"invert onto nothing is white, whatever the source", BlendMode::Invert, 0u, halfRed,
         qRgba(128, 128, 128, 128)},
        {"invert onto a faint backdrop", BlendMode::Invert, faintYellow, faintCyan, qRgba(82, 82, 51, 92)},
        {"add sums faint colours past their combined coverage", BlendMode::Add, faintYellow, faintCyan,
         qRgba(51, 102, 51, 102)},
        {"add saturates", BlendMode::Add, halfWhite, halfWhite, qRgba(255, 255, 255, 255)},
        {"alpha keeps half", BlendMode::Alpha, opaqueGrey, halfWhite, qRgba(50, 50, 50, 128)},
        {"erase removes half", BlendMode::Erase, opaqueGrey, halfWhite, qRgba(50, 50, 50, 127)},
        {"multiply onto nothing is the source", BlendMode::Multiply, 0u, halfWhite, halfWhite},
        {"difference onto nothing is the source", BlendMode::Difference, 0u, halfWhite, halfWhite},
        {"screen of two halves", BlendMode::Screen, halfWhite, halfWhite, qRgba(192, 192, 192, 192)},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(near(composite(c.backdrop, c.source, c.mode), c.expected)) << c.name;
}

TEST(BlendMode, AnUncoveredPixelLeavesTheBackdropInEveryModeButAlpha)
{
    const QRgb backdrop = qPremultiply(qRgba(10, 150, 250, 200));
    for (int mode = int(BlendMode::Normal); mode <= int(BlendMode::HardLight); ++mode) {
        const QRgb expected = BlendMode(mode) == BlendMode::Alpha ? 0u : backdrop;
        EXPECT_EQ(composite(backdrop, 0u, BlendMode(mode)), expected) << "mode " << mode;
    }
}

TEST(BlendMode, UnknownBytesReadAsNormal)
{
    struct Case {
        std::uint8_t byte;
        BlendMode mode;
    };
    const Case cases[] {{0, BlendMode::Normal},   {1, BlendMode::Normal},     {3, BlendMode::Multiply},
                        {14, BlendMode::HardLight}, {15, BlendMode::Normal}, {255, BlendMode::Normal}};
    for (const auto& c : cases)
        EXPECT_EQ(blendModeFromByte(c.byte), c.mode) << int(c.byte);
}

TEST(BlendMode, MismatchedSizesDrawOnlyTheOverlap)
{
    QImage dest(4, 4, QImage::Format_ARGB32_Premultiplied);
    dest.fill(qRgb(1, 2, 3));
    QImage layer(8, 2, QImage::Format_ARGB32_Premultiplied);
    layer.fill(qRgb(200, 200, 200));
    compositeLayer(dest, layer, BlendMode::Add);
    EXPECT_EQ(dest.pixel(3, 1), qRgb(201, 202, 203));
    EXPECT_EQ(dest.pixel(3, 3), qRgb(1, 2, 3));
}

} // namespace
