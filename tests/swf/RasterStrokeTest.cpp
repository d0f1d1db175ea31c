#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "CoverageGrid.h"
#include "swf/render/raster/Stroker.h"

namespace {

using namespace swf::raster;

using Drawn = rastertest::Grid;

Drawn strokeOf(const std::vector<QPointF>& points, bool closed, const Pen& pen, int size = 64)
{
    Outline outline;
    outline.points = points;
    outline.runs.push_back({0, points.size(), closed});
    Coverage coverage;
    coverage.begin(QRect(0, 0, size, size));
    stroke(outline, pen, coverage);
    return rastertest::sweep(coverage, size, size);
}

Pen pen(double width, swf::CapStyle cap, swf::JoinStyle join = swf::JoinStyle::Round, double miterLimit = 3)
{
    return {width, cap, cap, join, miterLimit, false};
}

TEST(RasterStroke, CapsAddWhatTheirShapeCovers)
{
    const std::vector<QPointF> line {{10, 20}, {30, 20}};
    EXPECT_NEAR(strokeOf(line, false, pen(4, swf::CapStyle::None)).area(), 80, 0.5);
    EXPECT_NEAR(strokeOf(line, false, pen(4, swf::CapStyle::Square)).area(), 96, 0.5);
    EXPECT_NEAR(strokeOf(line, false, pen(4, swf::CapStyle::Round)).area(), 80 + std::numbers::pi * 4, 0.8);
    // Each end keeps its own cap.
    const Pen mixed {4, swf::CapStyle::Square, swf::CapStyle::None, swf::JoinStyle::Round, 3, false};
    const Drawn drawn = strokeOf(line, false, mixed);
    EXPECT_NEAR(drawn.area(), 88, 0.5);
    EXPECT_EQ(drawn.at(8, 20), 255);
    EXPECT_EQ(drawn.at(31, 20), 0);
}

TEST(RasterStroke, JoinsFillTheOuterCornerAsTheirStyleSays)
{
    // A square outline, corners at whole pixels, four pixels wide.
    const std::vector<QPointF> box {{10, 10}, {40, 10}, {40, 40}, {10, 40}, {10, 10}};
    const Drawn miter = strokeOf(box, true, pen(4, swf::CapStyle::Round, swf::JoinStyle::Miter));
    const Drawn bevel = strokeOf(box, true, pen(4, swf::CapStyle::Round, swf::JoinStyle::Bevel));
    const Drawn round = strokeOf(box, true, pen(4, swf::CapStyle::Round, swf::JoinStyle::Round));
    // The outer corner pixel: filled by the miter, cut off by the bevel.
    EXPECT_EQ(miter.at(8, 8), 255);
    EXPECT_EQ(bevel.at(8, 8), 0);
    EXPECT_GT(round.at(8, 8), 0);
    EXPECT_LT(round.at(8, 8), 128);
    EXPECT_NEAR(miter.area(), 34 * 34 - 26 * 26, 1); // the ring between the offset squares
    EXPECT_NEAR(bevel.area(), miter.area() - 4 * 2, 0.5);
    EXPECT_NEAR(round.area(), miter.area() - 4 * (4 - std::numbers::pi), 0.5);
    // Closed: no cap sticks out at the first corner.
    EXPECT_EQ(miter.at(7, 10), 0);
    // Inside the square nothing is drawn.
    EXPECT_EQ(miter.at(25, 25), 0);
}

TEST(RasterStroke, SharpCornersPastTheMiterLimitAreBevelled)
{
    // A spike whose miter reaches about 4.1 half widths out.
    const std::vector<QPointF> spike {{20, 50}, {30, 10}, {40, 50}};
    const Drawn limited = strokeOf(spike, false, pen(4, swf::CapStyle::None, swf::JoinStyle::Miter, 3));
    const Drawn generous = strokeOf(spike, false, pen(4, swf::CapStyle::None, swf::JoinStyle::Miter, 10));
    const auto rowAbove = [](const Drawn& drawn) {
        int sum = 0;
        for (int x = 20; x < 40; ++x)
            sum += drawn.at(x, 6);
        return sum;
    };
    EXPECT_EQ(rowAbove(limited), 0);
    EXPECT_GT(rowAbove(generous), 100);
}

TEST(RasterStroke, ALonePointIsADotOnlyWithCapsThatHaveArea)
{
    const std::vector<QPointF> point {{20, 20}};
    EXPECT_NEAR(strokeOf(point, false, pen(6, swf::CapStyle::Round)).area(), std::numbers::pi * 9, 1);
    EXPECT_NEAR(strokeOf(point, false, pen(6, swf::CapStyle::Square)).area(), 36, 0.5);
    EXPECT_EQ(strokeOf(point, false, pen(6, swf::CapStyle::None)).area(), 0);
}

TEST(RasterStroke, OverlappingPiecesNeverDarkenPastFullAndDoublingBackIsSafe)
{
    // Back and forth over the same line many times.
    std::vector<QPointF> zigzag;
    for (int i = 0; i < 20; ++i)
        zigzag.push_back(i % 2 ? QPointF(50, 30) : QPointF(10, 30));
    const Drawn drawn = strokeOf(zigzag, false, pen(3, swf::CapStyle::Round));
    for (int v : drawn.values)
        EXPECT_LE(v, 255);
    EXPECT_EQ(drawn.at(30, 30), 255);
    EXPECT_EQ(drawn.at(30, 34), 0);
}

TEST(RasterStroke, ClosedOutlinesAreRingsWithTheirJoinsWhicheverWayRound)
{
    // A 20-pixel square, 4 wide: the ring between the squares 2 out and 2
    // in, its outer corners rounded, mitred or cut. Set half a pixel off,
    // the hole's corners fall in the middle of pixels, which must come
    // out three quarters covered, not darker.
    const double ring = 24 * 24 - 16 * 16;
    const double corner = 4 - std::numbers::pi; // what rounding takes off each outer corner
    const std::vector<QPointF> square {{20, 20}, {40, 20}, {40, 40}, {20, 40}, {20, 20}};
    const std::vector<QPointF> backwards(square.rbegin(), square.rend());
    std::vector<QPointF> offset;
    for (const QPointF& point : square)
        offset.push_back(point + QPointF(0.5, 0.5));
    for (const QPointF holeCorner : {QPointF(22, 22), QPointF(38, 22), QPointF(38, 38), QPointF(22, 38)})
        EXPECT_EQ(strokeOf(offset, true, pen(4, swf::CapStyle::Round)).at(int(holeCorner.x()), int(holeCorner.y())), 191);
    for (const auto& outline : {square, backwards, offset}) {
        EXPECT_NEAR(strokeOf(outline, true, pen(4, swf::CapStyle::Round, swf::JoinStyle::Miter)).area(), ring, 0.5);
        EXPECT_NEAR(strokeOf(outline, true, pen(4, swf::CapStyle::Round, swf::JoinStyle::Round)).area(), ring - 4 * corner, 0.8);
        EXPECT_NEAR(strokeOf(outline, true, pen(4, swf::CapStyle::Round, swf::JoinStyle::Bevel)).area(), ring - 4 * 2, 0.5);
        // The hole stays a hole, and the middle of each side is solid.
        const Drawn drawn = strokeOf(outline, true, pen(4, swf::CapStyle::Round));
        EXPECT_EQ(drawn.at(30, 30), 0);
        EXPECT_EQ(drawn.at(30, 20), 255);
        EXPECT_EQ(drawn.at(20, 30), 255);
    }
}

TEST(RasterStroke, RepeatedPointsNeitherLoseNorAddJoins)
{
    const std::vector<QPointF> bend {{10, 10}, {40, 10}, {40, 40}};
    const std::vector<QPointF> stutter {{10, 10}, {10, 10}, {40, 10}, {40, 10}, {40, 40}, {40, 40}};
    for (const swf::JoinStyle join : {swf::JoinStyle::Round, swf::JoinStyle::Miter, swf::JoinStyle::Bevel}) {
        const Pen thick = pen(6, swf::CapStyle::Round, join);
        EXPECT_EQ(strokeOf(bend, false, thick).values, strokeOf(stutter, false, thick).values);
    }
    // Closed: the corner where the outline closes is joined too.
    const std::vector<QPointF> triangle {{10, 10}, {50, 10}, {30, 40}, {10, 10}};
    const std::vector<QPointF> doubled {{10, 10}, {50, 10}, {50, 10}, {30, 40}, {10, 10}, {10, 10}};
    const Pen round = pen(6, swf::CapStyle::None, swf::JoinStyle::Round);
    EXPECT_EQ(strokeOf(triangle, true, round).values, strokeOf(doubled, true, round).values);
    // A run that never moves is a dot.
    EXPECT_NEAR(strokeOf({{20, 20}, {20, 20}}, false, pen(6, swf::CapStyle::Round)).area(), std::numbers::pi * 9, 0.8);
}

} // namespace
