#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>
#include <vector>

#include "CoverageGrid.h"
#include "swf/render/raster/LineCoverage.h"

namespace {

using namespace swf::raster;

constexpr int kSize = 64;

rastertest::Grid linesOf(const std::vector<QPointF>& points, bool closed, double width, bool antialias = true)
{
    LineCoverage lines;
    lines.begin(QRect(0, 0, kSize, kSize));
    lines.addLine(points.data(), points.size(), closed, width);
    return rastertest::sweep(lines, kSize, kSize, antialias);
}

// The share of each pixel within half the width of one of the pieces,
// counted on a grid of 16 by 16 points.
rastertest::Grid sampled(const std::vector<QPointF>& points, bool closed, double width)
{
    std::vector<std::pair<QPointF, QPointF>> pieces;
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
        pieces.emplace_back(points[i], points[i + 1]);
    if (closed)
        pieces.emplace_back(points.back(), points.front());
    if (points.size() == 1)
        pieces.emplace_back(points[0], points[0]);
    const auto within = [&](QPointF p) {
        for (const auto& [a, b] : pieces) {
            const QPointF d = b - a;
            const double squared = QPointF::dotProduct(d, d);
            const double t = squared > 0 ? std::clamp(QPointF::dotProduct(p - a, d) / squared, 0.0, 1.0) : 0;
            const QPointF q = p - (a + t * d);
            if (QPointF::dotProduct(q, q) <= width * width / 4)
                return true;
        }
        return false;
    };
    rastertest::Grid grid {kSize, kSize, std::vector<int>(std::size_t(kSize * kSize), 0)};
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            int inside = 0;
            for (int j = 0; j < 16; ++j)
                for (int i = 0; i < 16; ++i)
                    inside += within(QPointF(x + (i + 0.5) / 16, y + (j + 0.5) / 16));
            grid.values[std::size_t(y * kSize + x)] = inside == 256 ? 255 : inside;
        }
    }
    return grid;
}

std::vector<QPointF> turned(std::vector<QPointF> points, double degrees)
{
    const double a = degrees * std::numbers::pi / 180;
    for (QPointF& p : points) {
        const QPointF d = p - QPointF(32, 32);
        p = QPointF(32.3 + d.x() * std::cos(a) - d.y() * std::sin(a), 31.8 + d.x() * std::sin(a) + d.y() * std::cos(a));
    }
    return points;
}

// Against the share of each pixel the lines cover: the same area within a
// couple of per cent, and no pixel far off. Sides along rows or columns
// come out exact; turned ones, round ends and joins a few levels off.
TEST(RasterLineCoverage, EveryPixelGetsNearlyItsShareOfTheLine)
{
    const std::vector<QPointF> level {{12, 32}, {52, 32}};
    const std::vector<QPointF> square {{20, 20}, {44, 20}, {44, 44}, {20, 44}};
    const std::vector<QPointF> zigzag {{10, 40}, {20, 20}, {30, 44}, {40, 22}, {52, 30}};
    struct Case {
        std::vector<QPointF> points;
        bool closed;
    };
    const Case cases[] = {
        {level, false},  {turned(level, 30), false},  {turned(level, 45), false}, {turned(level, 81), false},
        {square, true},  {turned(square, 17), true},  {zigzag, false},            {turned(zigzag, 60), false},
        {{{31.3, 30.6}}, false},
    };
    for (const Case& c : cases) {
        for (const double width : {1.0, 1.5, 2.0, 3.0, 5.0}) {
            const rastertest::Grid exact = sampled(c.points, c.closed, width);
            const rastertest::Grid near = linesOf(c.points, c.closed, width);
            int worst = 0;
            for (std::size_t i = 0; i < exact.values.size(); ++i)
                worst = std::max(worst, std::abs(exact.values[i] - near.values[i]));
            SCOPED_TRACE(testing::Message() << c.points.size() << " points from (" << c.points[0].x() << ", " << c.points[0].y()
                                            << "), width " << width);
            EXPECT_NEAR(near.area(), exact.area(), exact.area() * 0.03 + 0.3);
            // Inside a turn, where each side covers part of a pixel, the
            // side covering more counts: up to a quarter of a pixel short.
            // Dots, round as a pixel can show them, come nearer than that.
            EXPECT_LE(worst, c.points.size() == 2 ? 32 : 80);
        }
    }
}

TEST(RasterLineCoverage, SidesAlongRowsAreExactAndThePixelsBetweenUntouched)
{
    // Two pixels wide along row edges, three along pixel middles.
    const rastertest::Grid two = linesOf({{8, 20}, {56, 20}}, false, 2);
    const rastertest::Grid three = linesOf({{8, 40.5}, {56, 40.5}}, false, 3);
    for (int x = 10; x < 54; ++x) {
        EXPECT_EQ(two.at(x, 18), 0);
        EXPECT_EQ(two.at(x, 19), 255);
        EXPECT_EQ(two.at(x, 20), 255);
        EXPECT_EQ(two.at(x, 21), 0);
        EXPECT_EQ(three.at(x, 38), 0);
        for (int y = 39; y <= 41; ++y)
            EXPECT_EQ(three.at(x, y), 255);
        EXPECT_EQ(three.at(x, 42), 0);
    }
    const rastertest::Grid ring = linesOf({{10, 10}, {54, 10}, {54, 54}, {10, 54}}, true, 2);
    for (int y = 12; y < 52; ++y)
        for (int x = 12; x < 52; ++x)
            ASSERT_EQ(ring.at(x, y), 0) << x << ", " << y;
    // Without anti-aliasing a pixel is in or out.
    for (const int v : linesOf({{5, 7}, {50, 41}}, false, 2, false).values)
        EXPECT_TRUE(v == 0 || v == 255) << v;
}

// A store keeping some rows works out those rows as the whole clip does.
TEST(RasterLineCoverage, KeptRowsComeOutAsInTheWholeClip)
{
    const std::vector<QPointF> points {{3.3, 60.2}, {30.7, 2.9}, {61.1, 33.3}, {12.4, 35.6}};
    const rastertest::Grid whole = linesOf(points, true, 2.5);
    LineCoverage lines;
    for (const int band : {1, 7, 16, 33}) {
        std::vector<int> joined(std::size_t(kSize * kSize), 0);
        for (int top = 0; top < kSize; top += band) {
            lines.begin(QRect(0, 0, kSize, kSize), top, top + band);
            lines.addLine(points.data(), points.size(), true, 2.5);
            lines.sweep(true, [&](int x, int y, int length, const std::uint8_t* mask) {
                ASSERT_GE(y, top);
                ASSERT_LT(y, top + band);
                for (int i = 0; i < length; ++i)
                    joined[std::size_t(y * kSize + x + i)] = mask[i];
            });
        }
        EXPECT_EQ(joined, whole.values) << band;
    }
}

TEST(RasterLineCoverage, FarAndBrokenPointsAreSafeAndNothingOutlivesItsSweep)
{
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    // A line from far out to far out still covers what crosses the clip;
    // from farther than any number keeps a pixel's place, no more than
    // the rows it can reach.
    const rastertest::Grid far = linesOf({{-1e7, 10}, {1e7, 10}}, false, 2);
    for (int x = 0; x < kSize; ++x) {
        EXPECT_EQ(far.at(x, 9), 255);
        EXPECT_EQ(far.at(x, 10), 255);
    }
    EXPECT_DOUBLE_EQ(far.area(), 2 * kSize);
    EXPECT_LE(linesOf({{-1e300, -1e300}, {1e300, 1e300}}, false, 2).area(), 4 * kSize);
    // Pieces with a point that is not one are left out; the rest stay.
    EXPECT_NEAR(linesOf({{10, 30}, {kNaN, 5}, {10, 50}, {40, 50}}, false, 2).area(), 30 * 2 + 3.14, 1);
    EXPECT_EQ(linesOf({{10, 30}, {kInfinity, 30}}, false, 2).area(), 0);
    EXPECT_EQ(linesOf({{10, 30}, {40, 30}}, false, kInfinity).area(), 0);
    EXPECT_EQ(linesOf({{10, 30}, {40, 30}}, false, kNaN).area(), 0);

    // A line begun and given up on leaves nothing behind for the next one,
    // however much wider the next clip is.
    LineCoverage lines;
    lines.begin(QRect(0, 0, 20, 20));
    const std::vector<QPointF> cross {{-5, 3}, {26, 17}, {2, 30}};
    lines.addLine(cross.data(), cross.size(), false, 3);
    lines.begin(QRect(0, 0, kSize, kSize));
    const std::vector<QPointF> dot {{50, 50}};
    lines.addLine(dot.data(), 1, false, 2);
    EXPECT_NEAR(rastertest::sweep(lines, kSize, kSize).area(), 3.14, 0.3);
    EXPECT_EQ(rastertest::sweep(lines, kSize, kSize).area(), 0);
}

} // namespace
