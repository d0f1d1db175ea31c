#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include <QPainterPath>

#include "CoverageGrid.h"
#include "swf/render/raster/Coverage.h"
#include "swf/render/raster/Outline.h"

namespace {

using swf::raster::Coverage;
using swf::raster::Winding;

using rastertest::Grid;
using rastertest::sweep;

std::vector<QPointF> square(double left, double top, double size, bool clockwise = true)
{
    std::vector<QPointF> points {{left, top}, {left + size, top}, {left + size, top + size}, {left, top + size}};
    if (!clockwise)
        std::reverse(points.begin(), points.end());
    return points;
}

TEST(RasterCoverage, PixelAlignedSquaresCoverExactlyTheirPixels)
{
    Coverage coverage;
    coverage.begin(QRect(0, 0, 20, 20));
    const auto points = square(4, 5, 6);
    coverage.addContour(points.data(), points.size());
    const Grid grid = sweep(coverage, 20, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(grid.at(x, y), x >= 4 && x < 10 && y >= 5 && y < 11 ? 255 : 0) << x << "," << y;
}

TEST(RasterCoverage, CoveredAreaMatchesTheShapeWhateverItsPlaceOrTurn)
{
    // A triangle off the pixel grid and a wide, thin sliver that crosses
    // many cells per row: the shares add up to the true area.
    const std::vector<std::vector<QPointF>> shapes {
        {{3.3, 2.7}, {27.9, 9.1}, {11.4, 26.6}},
        {{1.2, 10.1}, {38.7, 12.9}, {38.7, 13.4}, {1.2, 10.6}},
    };
    for (const auto& shape : shapes) {
        double area = 0;
        for (std::size_t i = 0, j = shape.size() - 1; i < shape.size(); j = i++)
            area += shape[j].x() * shape[i].y() - shape[i].x() * shape[j].y();
        area = std::abs(area) / 2;
        for (bool reversed : {false, true}) {
            auto points = shape;
            if (reversed)
                std::reverse(points.begin(), points.end());
            Coverage coverage;
            coverage.begin(QRect(0, 0, 40, 30));
            coverage.addContour(points.data(), points.size());
            EXPECT_NEAR(sweep(coverage, 40, 30).area(), area, area * 0.01 + 0.5);
        }
    }
}

// The area of a convex polygon inside the pixel at (x, y): the polygon cut
// by each of the pixel's four sides in turn.
double areaInPixel(std::vector<QPointF> polygon, int x, int y)
{
    const auto cut = [&](auto inside, auto crossing) {
        std::vector<QPointF> kept;
        for (std::size_t i = 0; i < polygon.size(); ++i) {
            const QPointF a = polygon[i];
            const QPointF b = polygon[(i + 1) % polygon.size()];
            if (inside(a))
                kept.push_back(a);
            if (inside(a) != inside(b))
                kept.push_back(crossing(a, b));
        }
        polygon = kept;
    };
    const auto along = [](QPointF a, QPointF b, double t) { return a + (b - a) * t; };
    cut([&](QPointF p) { return p.x() >= x; }, [&](QPointF a, QPointF b) { return along(a, b, (x - a.x()) / (b.x() - a.x())); });
    cut([&](QPointF p) { return p.x() <= x + 1; }, [&](QPointF a, QPointF b) { return along(a, b, (x + 1 - a.x()) / (b.x() - a.x())); });
    cut([&](QPointF p) { return p.y() >= y; }, [&](QPointF a, QPointF b) { return along(a, b, (y - a.y()) / (b.y() - a.y())); });
    cut([&](QPointF p) { return p.y() <= y + 1; }, [&](QPointF a, QPointF b) { return along(a, b, (y + 1 - a.y()) / (b.y() - a.y())); });
    double area = 0;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++)
        area += polygon[j].x() * polygon[i].y() - polygon[i].x() * polygon[j].y();
    return polygon.size() < 3 ? 0 : std::abs(area) / 2;
}

TEST(RasterCoverage, EveryPixelGetsItsOwnShareOfTheShape)
{
    // Rectangles turned from upright to flat, so that their sides cross a
    // row within one pixel, over a pixel edge, or across many pixels, and
    // lean either way; each pixel's coverage is the area of the shape
    // inside it.
    for (const double turn : {0.0, 0.004, 0.05, 0.3, 0.6, 0.785, 1.0, 1.45, 1.5708, 2.2, 3.0}) {
        SCOPED_TRACE(turn);
        const QPointF centre(20.37, 18.61);
        const QPointF u(std::cos(turn), std::sin(turn));
        const QPointF v(-u.y(), u.x());
        const std::vector<QPointF> shape {centre - u * 14.2 - v * 9.7, centre + u * 14.2 - v * 9.7, centre + u * 14.2 + v * 9.7,
                                          centre - u * 14.2 + v * 9.7};
        Coverage coverage;
        coverage.begin(QRect(0, 0, 41, 38));
        coverage.addContour(shape.data(), shape.size());
        const Grid grid = sweep(coverage, 41, 38);
        for (int y = 0; y < 38; ++y)
            for (int x = 0; x < 41; ++x)
                ASSERT_NEAR(grid.at(x, y), areaInPixel(shape, x, y) * 255, 2.0) << x << "," << y;
    }
}

TEST(RasterCoverage, WindingRulesDecideHolesAndPolygonsAddUp)
{
    const auto outer = square(2, 2, 16);
    const auto inner = square(6, 6, 8);
    for (const Winding winding : {Winding::NonZero, Winding::EvenOdd}) {
        Coverage coverage;
        coverage.begin(QRect(0, 0, 20, 20));
        coverage.addContour(outer.data(), outer.size());
        coverage.addContour(inner.data(), inner.size());
        const Grid grid = sweep(coverage, 20, 20, winding);
        EXPECT_EQ(grid.at(4, 4), 255);
        EXPECT_EQ(grid.at(10, 10), winding == Winding::NonZero ? 255 : 0);
    }
    // Three deep is odd again, in the rows where the winding passes two.
    {
        Coverage coverage;
        coverage.begin(QRect(0, 0, 20, 20));
        for (int i = 0; i < 3; ++i)
            coverage.addContour(outer.data(), outer.size());
        const Grid grid = sweep(coverage, 20, 20, Winding::EvenOdd);
        EXPECT_EQ(grid.at(10, 10), 255);
        EXPECT_EQ(grid.at(3, 17), 255);
    }
    // Polygons turned either way add to each other, never cancel.
    Coverage coverage;
    coverage.begin(QRect(0, 0, 20, 20));
    const auto a = square(2, 2, 10, true);
    const auto b = square(6, 6, 10, false);
    coverage.addPolygon(a.data(), a.size());
    coverage.addPolygon(b.data(), b.size());
    const Grid grid = sweep(coverage, 20, 20);
    EXPECT_EQ(grid.at(8, 8), 255);
    EXPECT_EQ(grid.at(3, 3), 255);
    EXPECT_EQ(grid.at(15, 15), 255);
    EXPECT_EQ(grid.at(15, 3), 0);
}

// One square walked over and over: past 32,896 walks its sums would no
// longer fit in 32 bits. Nonzero stays covered; even-odd goes by parity.
TEST(RasterCoverage, SquareWalkedTensOfThousandsOfTimesNeverWraps)
{
    const auto walk = square(4, 4, 8);
    // A plain square beside the walked one, in the same rows, is not
    // disturbed by what the walks leave.
    const auto beside = square(13, 6, 2);
    for (const int walks : {32'897, 65'793, 65'794, 140'001}) {
        for (const Winding winding : {Winding::NonZero, Winding::EvenOdd}) {
            Coverage coverage;
            coverage.begin(QRect(0, 0, 16, 16));
            for (int i = 0; i < walks; ++i)
                coverage.addContour(walk.data(), walk.size());
            coverage.addContour(beside.data(), beside.size());
            const Grid grid = sweep(coverage, 16, 16, winding);
            const int inside = winding == Winding::EvenOdd && walks % 2 == 0 ? 0 : 255;
            EXPECT_EQ(grid.at(4, 4), inside) << walks;
            EXPECT_EQ(grid.at(11, 11), inside) << walks;
            EXPECT_EQ(grid.at(12, 7), 0) << walks;
            EXPECT_EQ(grid.at(13, 7), 255) << walks;
            EXPECT_EQ(grid.at(3, 7), 0) << walks;
            EXPECT_DOUBLE_EQ(grid.area(), (inside ? 64 : 0) + 4) << walks;
        }
    }
}

TEST(RasterCoverage, ShapesReachingPastTheClipStillFillWhatIsInside)
{
    // The clip sits at (10, 10); the square starts left of and above it.
    Coverage coverage;
    coverage.begin(QRect(10, 10, 20, 20));
    const auto points = square(-50, -50, 70.5);
    coverage.addContour(points.data(), points.size());
    Grid grid {20, 20, std::vector<int>(400, 0)};
    coverage.sweep(Winding::NonZero, true, [&](int x, int y, int length, const std::uint8_t* mask) {
        ASSERT_GE(x, 10);
        ASSERT_LE(x + length, 30);
        ASSERT_GE(y, 10);
        ASSERT_LT(y, 30);
        for (int i = 0; i < length; ++i)
            grid.values[std::size_t((y - 10) * 20 + x - 10 + i)] = mask[i];
    });
    EXPECT_EQ(grid.at(0, 0), 255);
    EXPECT_EQ(grid.at(9, 9), 255);
    EXPECT_NEAR(grid.at(10, 5), 128, 1); // the half pixel at x = 20.5
    EXPECT_EQ(grid.at(11, 5), 0);
    EXPECT_EQ(grid.at(5, 11), 0);

    // Wholly outside on any side: nothing.
    for (const auto& outside : {square(-30, 15, 10), square(40, 15, 10), square(15, -30, 10), square(15, 40, 10)}) {
        coverage.begin(QRect(10, 10, 20, 20));
        coverage.addContour(outside.data(), outside.size());
        int spans = 0;
        coverage.sweep(Winding::NonZero, true, [&](int, int, int, const std::uint8_t*) { ++spans; });
        EXPECT_EQ(spans, 0);
    }

    // What a sweep stored past the right edge is gone by the next outline,
    // even one over a wider clip where those cells show.
    for (const double left : {26.25, 28.5, 29.9}) {
        coverage.begin(QRect(10, 10, 20, 20));
        const auto across = square(left, 12, 6);
        coverage.addContour(across.data(), across.size());
        coverage.sweep(Winding::NonZero, true, [](int, int, int, const std::uint8_t*) {});
        coverage.begin(QRect(0, 0, 40, 40));
        const auto small = square(1, 1, 2);
        coverage.addContour(small.data(), small.size());
        EXPECT_DOUBLE_EQ(sweep(coverage, 40, 40).area(), 4.0) << left;
    }
}

TEST(RasterCoverage, HostileCoordinatesAndAbandonedOutlinesLeaveNothingBehind)
{
    constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
    constexpr double kInf = std::numeric_limits<double>::infinity();
    Coverage coverage;
    coverage.begin(QRect(0, 0, 16, 16));
    const std::vector<QPointF> wild {{kNan, 1}, {5, kInf}, {1e300, -1e300}, {-1e300, 1e300}, {3, 3}};
    coverage.addContour(wild.data(), wild.size());
    (void)sweep(coverage, 16, 16); // no crash, no hang; what it draws is moot

    // A corner a hair above the bottom edge lands on it once rounded to
    // single precision; nothing may be stored for the row below the clip
    // (raster_sanitized_tests, these tests under the sanitizers, sees any
    // such write).
    coverage.begin(QRect(0, 0, 16, 16));
    const double hair = 16 - 1e-9;
    const std::vector<QPointF> under {{2, hair}, {6, hair}, {6, 20}, {2, 20}};
    coverage.addContour(under.data(), under.size());
    EXPECT_LT(sweep(coverage, 16, 16).area(), 0.01);

    // An outline begun and dropped without a sweep does not show in the next.
    const auto big = square(0, 0, 16);
    coverage.begin(QRect(0, 0, 16, 16));
    coverage.addContour(big.data(), big.size());
    coverage.begin(QRect(0, 0, 16, 16));
    const auto small = square(2, 2, 2);
    coverage.addContour(small.data(), small.size());
    EXPECT_DOUBLE_EQ(sweep(coverage, 16, 16).area(), 4.0);
}

TEST(RasterCoverage, WithoutAntialiasingPixelsAreInOrOut)
{
    Coverage coverage;
    coverage.begin(QRect(0, 0, 30, 30));
    const std::vector<QPointF> triangle {{3.3, 2.7}, {27.9, 9.1}, {11.4, 26.6}};
    coverage.addContour(triangle.data(), triangle.size());
    const Grid grid = sweep(coverage, 30, 30, Winding::NonZero, false);
    for (int v : grid.values)
        EXPECT_TRUE(v == 0 || v == 255);
    EXPECT_NEAR(grid.area(), 268.05, 15); // the true area
}

TEST(RasterOutline, CurvesStayWithinAFractionOfAPixelAndRunsKnowWhetherTheyClose)
{
    QPainterPath path;
    path.moveTo(0, 0);
    path.quadTo(50, 100, 100, 0);
    path.lineTo(0, 0);
    swf::raster::Outline outline;
    swf::raster::flatten(path, QTransform(), QRectF(-1000, -1000, 2000, 2000), outline);
    ASSERT_EQ(outline.runs.size(), 1u);
    EXPECT_TRUE(outline.runs[0].closed);
    // The curve is the parabola y = x (100 - x) / 50; its pieces start and
    // end on it.
    int onCurve = 0;
    for (std::size_t i = 0; i < outline.runs[0].count; ++i) {
        const QPointF p = outline.points[outline.runs[0].first + i];
        const double expected = p.x() * (100 - p.x()) / 50;
        EXPECT_NEAR(p.y(), expected, 0.01);
        onCurve += p.y() > 0;
    }
    EXPECT_GT(onCurve, 8);

    QPainterPath open;
    open.moveTo(0, 0);
    open.lineTo(10, 0);
    open.moveTo(20, 0);
    open.lineTo(30, 5);
    swf::raster::flatten(open, QTransform(), QRectF(-1000, -1000, 2000, 2000), outline);
    ASSERT_EQ(outline.runs.size(), 2u);
    EXPECT_FALSE(outline.runs[0].closed);
    EXPECT_FALSE(outline.runs[1].closed);

    // A matrix that blows the curve up to absurd size still gets a bounded
    // number of pieces.
    swf::raster::flatten(path, QTransform::fromScale(1e12, 1e12), QRectF(-1e15, -1e15, 2e15, 2e15), outline);
    EXPECT_LE(outline.points.size(), 300u);

    // Curves off to one side of the view are not cut up; the one crossing
    // it still is.
    QPainterPath row;
    row.moveTo(-500, 0);
    row.quadTo(-450, 100, -400, 0);
    row.quadTo(0, 100, 400, 0);
    row.lineTo(-500, 0);
    swf::raster::flatten(row, QTransform(), QRectF(-100, -10, 200, 200), outline);
    const auto inView = std::count_if(outline.points.begin(), outline.points.end(), [](QPointF p) { return p.x() > -400; });
    const auto leftOfView = std::count_if(outline.points.begin(), outline.points.end(), [](QPointF p) { return p.x() < -400; });
    EXPECT_GT(inView, 8);
    EXPECT_EQ(leftOfView, 2); // where it starts and ends: the first curve went straight across
}

} // namespace

// Fills the rasterizer may sweep by the nonzero rule although they ask for
// even-odd: whenever it says so, the two rules must give the same bytes.
TEST(RasterOutline, OnlyOutlinesWoundAtMostOnceSkipTheEvenOddRule)
{
    struct Case {
        const char* name;
        QPainterPath path;
        bool once;
    };
    const auto polygon = [](std::initializer_list<QPointF> points) {
        QPainterPath path;
        path.addPolygon(QPolygonF(QList<QPointF>(points)));
        path.closeSubpath();
        return path;
    };
    QPainterPath ellipse;
    ellipse.addEllipse(QRectF(3.3, 4.1, 30.2, 17.7));
    QPainterPath twoSquares;
    twoSquares.addRect(2, 2, 20, 20);
    twoSquares.addRect(6, 6, 8, 8);
    std::vector<Case> cases {
        {"ellipse", ellipse, true},
        {"C opening left", polygon({{2, 2}, {30, 2}, {30, 30}, {2, 30}, {2, 24}, {24, 24}, {24, 8}, {2, 8}}), true},
        {"two lobes crossing", polygon({{16, 2}, {30, 16}, {4, 34}, {12, 16}}), true},
        {"U opening up", polygon({{2, 2}, {8, 2}, {8, 24}, {26, 24}, {26, 2}, {32, 2}, {32, 32}, {2, 32}}), false},
        {"star", polygon({{18, 1}, {28.6, 33.5}, {1, 13.4}, {35, 13.4}, {7.4, 33.5}}), false},
        {"square in a square", twoSquares, false},
    };
    for (int turn = 0; turn < 24; ++turn) {
        QPainterPath rect;
        rect.addRect(QRectF(0, 0, 23.5, 11.25));
        const QTransform place = QTransform::fromTranslate(18.3, 17.7).rotate(turn * 15.5).translate(-11.7, -5.6);
        cases.push_back({"turned rectangle", place.map(rect), true});
    }
    bool differ = false;
    for (const Case& entry : cases) {
        swf::raster::Outline outline;
        swf::raster::flatten(entry.path, QTransform(), QRectF(-100, -100, 300, 300), outline);
        EXPECT_EQ(swf::raster::windsAtMostOnce(outline), entry.once) << entry.name;
        Grid rules[2];
        for (const Winding winding : {Winding::NonZero, Winding::EvenOdd}) {
            Coverage coverage;
            coverage.begin(QRect(0, 0, 40, 40));
            for (const swf::raster::Outline::Run& run : outline.runs)
                coverage.addContour(outline.points.data() + run.first, run.count);
            rules[int(winding == Winding::EvenOdd)] = sweep(coverage, 40, 40, winding);
        }
        if (entry.once) {
            EXPECT_EQ(rules[0].values, rules[1].values) << entry.name;
        } else {
            differ |= rules[0].values != rules[1].values;
        }
    }
    EXPECT_TRUE(differ); // the star's middle is wound twice

    swf::raster::Outline broken;
    broken.points = {{2, 2}, {30, 2}, {30, std::numeric_limits<double>::quiet_NaN()}, {2, 30}};
    broken.runs = {{0, 4, true}};
    EXPECT_FALSE(swf::raster::windsAtMostOnce(broken));
}
