#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

#include <QColor>

#include "swf/render/raster/Paint.h"

namespace {

using namespace swf::raster;

QGradientStops stops(std::initializer_list<std::pair<double, QColor>> list)
{
    QGradientStops result;
    for (const auto& [position, color] : list)
        result.append({position, color});
    return result;
}

// A row of `width` pixels painted fully covered over transparent black.
std::vector<std::uint32_t> paintRow(const Paint& paint, int width, int y = 0)
{
    std::vector<std::uint32_t> row(std::size_t(width), 0);
    const std::vector<std::uint8_t> mask(std::size_t(width), 255);
    paint.blend(row.data(), 0, y, width, mask.data());
    return row;
}

// The gradient square (-16384..16384) squeezed onto pixels 0..256 along x.
QTransform acrossPixels() { return QTransform::fromScale(256.0 / 32768, 256.0 / 32768) * QTransform::fromTranslate(128, 128); }

TEST(RasterPaint, RampsRunBetweenStopsAndHoldTheEndsBeyondThem)
{
    const Ramp ramp = buildRamp(stops({{0.25, QColor(255, 0, 0)}, {0.75, QColor(0, 0, 255)}}));
    EXPECT_EQ(ramp[0], 0xffff0000u);
    EXPECT_EQ(ramp[60], 0xffff0000u);
    EXPECT_EQ(ramp[200], 0xff0000ffu);
    EXPECT_EQ(ramp[255], 0xff0000ffu);
    EXPECT_NEAR(qRed(ramp[128]), 127, 2);
    EXPECT_NEAR(qBlue(ramp[128]), 128, 2);
    // Colours are premultiplied: half-transparent white is half grey.
    const Ramp faded = buildRamp(stops({{0, QColor(255, 255, 255, 128)}, {1, QColor(255, 255, 255, 128)}}));
    EXPECT_EQ(faded[100], qPremultiply(qRgba(255, 255, 255, 128)));
    EXPECT_EQ(buildRamp({})[7], 0u);
}

TEST(RasterPaint, SpreadModesPadRepeatOrReflectPastTheSquare)
{
    const Ramp ramp = buildRamp(stops({{0, QColor(0, 0, 0)}, {1, QColor(255, 255, 255)}}));
    // Half the size: the square covers pixels 64..192 of a 256-pixel row.
    const QTransform half = QTransform::fromScale(128.0 / 32768, 1) * QTransform::fromTranslate(128, 0);
    const auto pad = paintRow(Paint::gradient(ramp, GradientShape::Linear, GradientSpread::Pad, 0, half), 256);
    const auto repeat = paintRow(Paint::gradient(ramp, GradientShape::Linear, GradientSpread::Repeat, 0, half), 256);
    const auto reflect = paintRow(Paint::gradient(ramp, GradientShape::Linear, GradientSpread::Reflect, 0, half), 256);
    EXPECT_EQ(qRed(pad[10]), 0);
    EXPECT_EQ(qRed(pad[250]), 255);
    EXPECT_NEAR(qRed(pad[128]), 128, 2);
    // A quarter of the way into the next square: a quarter up the ramp
    // again, or a quarter down it.
    EXPECT_NEAR(qRed(repeat[224]), 64, 3);
    EXPECT_NEAR(qRed(reflect[224]), 191, 3);
    EXPECT_NEAR(qRed(repeat[32]), 191, 3);
    EXPECT_NEAR(qRed(reflect[32]), 64, 3);
}

TEST(RasterPaint, PaddedLinearRampsReadEveryEntryInOrderAtAnyScaleAndDirection)
{
    // Each entry its own blue, so a pixel tells which entry it read.
    Ramp ramp {};
    for (int i = 0; i < 256; ++i)
        ramp[std::size_t(i)] = 0xff000000u | std::uint32_t(i);
    const int width = 300;
    for (const double pixelsAcross : {0.5, 3.0, 40.0, 255.0, 256.0, 300.0, 2000.0, 1e5}) {
        for (const double start : {-500.0, -1.0, 0.0, 0.5, 37.0, 299.0, 800.0}) {
            for (const bool mirrored : {false, true}) {
                SCOPED_TRACE(testing::Message() << pixelsAcross << " px from " << start << (mirrored ? " mirrored" : ""));
                // The square laid from `start` over `pixelsAcross` pixels,
                // running right to left when mirrored.
                const double scale = (mirrored ? -pixelsAcross : pixelsAcross) / 32768;
                const double centre = start + pixelsAcross / 2;
                const QTransform toDevice = QTransform::fromScale(scale, 1) * QTransform::fromTranslate(centre, 0);
                const auto row = paintRow(Paint::gradient(ramp, GradientShape::Linear, GradientSpread::Pad, 0, toDevice), width);
                for (int x = 0; x < width; ++x) {
                    const double along = (x + 0.5 - start) / pixelsAcross;
                    const double t = std::clamp(mirrored ? 1 - along : along, 0.0, 1.0);
                    const int read = int(row[std::size_t(x)] & 0xff);
                    ASSERT_NEAR(read, t * 255, 1.01) << "pixel " << x;
                    if (x > 0) {
                        const int before = int(row[std::size_t(x - 1)] & 0xff);
                        ASSERT_TRUE(mirrored ? read <= before : read >= before) << "pixel " << x;
                    }
                }
            }
        }
    }
}

TEST(RasterPaint, PaddedRadialRampsReadEachPixelsDistanceFromTheCentre)
{
    Ramp ramp {};
    for (int i = 0; i < 256; ++i)
        ramp[std::size_t(i)] = 0xff000000u | std::uint32_t(i);
    const int width = 203; // not a whole number of fours
    for (const double radius : {3.0, 40.0, 150.0}) {
        for (const double angle : {0.0, 0.7}) {
            SCOPED_TRACE(testing::Message() << "radius " << radius << " turned " << angle);
            const QPointF centre(97.3, 11.6);
            const QTransform toDevice =
                QTransform().rotateRadians(angle).scale(radius / 16384, radius / 16384) * QTransform::fromTranslate(centre.x(), centre.y());
            const Paint paint = Paint::gradient(ramp, GradientShape::Radial, GradientSpread::Pad, 0, toDevice);
            for (const int y : {0, 11, 40}) {
                const auto row = paintRow(paint, width, y);
                for (int x = 0; x < width; ++x) {
                    const double distance = std::hypot(x + 0.5 - centre.x(), y + 0.5 - centre.y());
                    ASSERT_NEAR(int(row[std::size_t(x)] & 0xff), std::min(distance / radius, 1.0) * 255, 1.01) << x << "," << y;
                }
            }
        }
    }
}

TEST(RasterPaint, RadialAndFocalGradientsCountFromTheirCentres)
{
    const Ramp ramp = buildRamp(stops({{0, QColor(255, 0, 0)}, {1, QColor(0, 0, 255)}}));
    const Paint radial = Paint::gradient(ramp, GradientShape::Radial, GradientSpread::Pad, 0, acrossPixels());
    const auto middle = paintRow(radial, 256, 128);
    EXPECT_GT(qRed(middle[128]), 250);
    EXPECT_GT(qBlue(middle[0]), 250);
    EXPECT_NEAR(qRed(middle[64]), 128, 3); // half the radius out
    EXPECT_EQ(middle[64], middle[191]); // pixel centres 63.5 either side

    // The focal point moved halfway to the right edge starts the ramp there.
    const Paint focal = Paint::gradient(ramp, GradientShape::Focal, GradientSpread::Pad, 0.5, acrossPixels());
    const auto row = paintRow(focal, 256, 128);
    EXPECT_GT(qRed(row[192]), 250);
    EXPECT_GT(qRed(row[160]), qRed(row[96]));
    // Degenerate matrices and focal points on the rim draw, and stay in range.
    for (const QTransform& flat : {QTransform(0, 0, 0, 0, 5, 5), QTransform(1e30, 0, 0, 1e30, 0, 0)})
        for (const GradientShape shape : {GradientShape::Linear, GradientShape::Radial, GradientShape::Focal})
            (void)paintRow(Paint::gradient(ramp, shape, GradientSpread::Reflect, 1.0, flat), 64);
}

TEST(RasterPaint, CoverageBlendsOverWhateverIsThereInWholeRowsOrPieces)
{
    // Random colours and coverage laid over random pixels, once as a whole
    // row and once in short pieces: the results agree, and agree with the
    // arithmetic.
    std::mt19937 random(7);
    std::vector<std::uint32_t> background(64);
    std::vector<std::uint8_t> mask(64);
    for (int i = 0; i < 64; ++i) {
        const int alpha = int(random() % 256);
        background[std::size_t(i)] = qPremultiply(qRgba(int(random() % 256), int(random() % 256), int(random() % 256), alpha));
        mask[std::size_t(i)] = std::uint8_t(i % 5 == 0 ? 255 : i % 7 == 0 ? 0 : random() % 256);
    }
    for (const std::uint32_t color : {0xff3080c0u, qPremultiply(qRgba(200, 100, 50, 90))}) {
        const Paint paint = Paint::solid(color);
        auto whole = background;
        paint.blend(whole.data(), 0, 0, 64, mask.data());
        // In pieces of one to seven pixels: whole groups of four and the
        // odd ones left over.
        auto pieces = background;
        for (int i = 0, length = 1; i < 64; i += length, length = length % 7 + 1) {
            length = std::min(length, 64 - i);
            paint.blend(pieces.data() + i, i, 0, length, mask.data() + i);
        }
        EXPECT_EQ(whole, pieces);
        for (int i = 0; i < 64; ++i) {
            const double coverage = mask[std::size_t(i)] / 255.0;
            const double sourceAlpha = qAlpha(color) * coverage;
            const double expected = qRed(color) * coverage + qRed(background[std::size_t(i)]) * (1 - sourceAlpha / 255);
            EXPECT_NEAR(qRed(whole[std::size_t(i)]), expected, 1.5) << i;
        }
    }
    // A ramp laid at partial coverage mixes its own colours in the same way.
    const Ramp ramp = buildRamp(stops({{0, QColor(255, 0, 0)}, {1, QColor(0, 0, 255)}}));
    const QTransform across = QTransform::fromScale(64.0 / 32768, 1) * QTransform::fromTranslate(32, 0);
    const Paint gradient = Paint::gradient(ramp, GradientShape::Linear, GradientSpread::Pad, 0, across);
    const auto colors = paintRow(gradient, 64);
    auto mixed = background;
    gradient.blend(mixed.data(), 0, 0, 64, mask.data());
    for (int i = 0; i < 64; ++i) {
        const double coverage = mask[std::size_t(i)] / 255.0;
        const double expected = qBlue(colors[std::size_t(i)]) * coverage + qBlue(background[std::size_t(i)]) * (1 - coverage);
        EXPECT_NEAR(qBlue(mixed[std::size_t(i)]), expected, 1.5) << i;
    }

    // Fully covered opaque colour replaces; a clear one leaves all alone.
    auto row = background;
    const std::vector<std::uint8_t> full(64, 255);
    Paint::solid(0xff102030u).blend(row.data(), 0, 0, 64, full.data());
    EXPECT_EQ(row, std::vector<std::uint32_t>(64, 0xff102030u));
    row = background;
    Paint::solid(0).blend(row.data(), 0, 0, 64, full.data());
    EXPECT_EQ(row, background);
}

} // namespace
