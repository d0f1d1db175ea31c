#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <numbers>

#include "swf/render/Filter.h"

using namespace swf;

namespace {

constexpr QRgb kRed = 0xFFFF0000;

QImage layerOf(int width, int height)
{
    QImage layer(width, height, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    return layer;
}

QImage layerWithSquare(int size, QRect square, QRgb color = kRed)
{
    QImage layer = layerOf(size, size);
    for (int y = square.top(); y <= square.bottom(); ++y)
        for (int x = square.left(); x <= square.right(); ++x)
            layer.setPixel(x, y, color);
    return layer;
}

std::int64_t totalAlpha(const QImage& image)
{
    std::int64_t sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += qAlpha(image.pixel(x, y));
    return sum;
}

QRect coverage(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                box |= QRect(x, y, 1, 1);
    return box;
}

Filter blur(double amount, int passes)
{
    Filter f;
    f.type = FilterType::Blur;
    f.blurX = f.blurY = amount;
    f.passes = passes;
    return f;
}

Filter shadow(double degrees, double distance)
{
    Filter f;
    f.type = FilterType::DropShadow;
    f.color = {0, 0, 0, 255};
    f.angle = degrees * std::numbers::pi / 180;
    f.distance = distance;
    f.passes = 1;
    return f;
}

Filter glow(double amount)
{
    Filter f;
    f.type = FilterType::Glow;
    f.color = {0, 255, 0, 255};
    f.blurX = f.blurY = amount;
    f.passes = 1;
    return f;
}

Filter colorMatrix(std::vector<float> terms)
{
    Filter f;
    f.type = FilterType::ColorMatrix;
    f.matrix = std::move(terms);
    return f;
}

const std::vector<float> kIdentityMatrix {1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};

TEST(BlurFilter, SpreadsWithinItsMarginsAndKeepsTheTotalAlpha)
{
    const std::vector filters {blur(8, 3)};
    const QMargins margins = filterMargins(filters, 1, 1);
    EXPECT_EQ(margins, QMargins(12, 12, 12, 12)); // a box of 8 reaches 4 a pass
    const QRect square(margins.left(), margins.top(), 10, 10);
    QImage layer = layerWithSquare(10 + 2 * 12, square);
    const auto before = totalAlpha(layer);
    applyFilters(layer, filters, 1, 1);
    EXPECT_NEAR(double(totalAlpha(layer)), double(before), before * 0.01);
    EXPECT_GT(coverage(layer).width(), 20);
    EXPECT_LT(qAlpha(layer.pixel(square.topLeft())), qAlpha(layer.pixel(square.center())) / 2);
    EXPECT_GT(qAlpha(layer.pixel(square.center())), 100);
    EXPECT_EQ(qGreen(layer.pixel(square.center())) + qBlue(layer.pixel(square.center())), 0);
}

TEST(BlurFilter, NothingToDoLeavesTheLayerAlone)
{
    const QImage original = layerWithSquare(20, {5, 5, 6, 6});
    for (const Filter& f : {blur(0, 3), blur(1, 3), blur(10, 0), blur(-5, 2), blur(std::nan(""), 2)}) {
        QImage layer = original;
        applyFilters(layer, {f}, 1, 1);
        EXPECT_EQ(layer, original) << "blur " << f.blurX << " passes " << f.passes;
    }
}

TEST(BlurFilter, ScalesWithTheDrawingScaleAndGrowsSmoothly)
{
    EXPECT_EQ(filterMargins({blur(4, 1)}, 2, 3), QMargins(4, 6, 4, 6));
    // A quarter pixel more blur must show, not wait for the next whole pixel.
    QImage a = layerWithSquare(30, {10, 10, 10, 10});
    QImage b = a;
    applyFilters(a, {blur(5, 1)}, 1, 1);
    applyFilters(b, {blur(5.5, 1)}, 1, 1);
    EXPECT_LT(qAlpha(b.pixel(10, 15)), qAlpha(a.pixel(10, 15)));
}

TEST(DropShadowFilter, OffsetFollowsTheAngle)
{
    struct Case {
        double degrees;
        QPoint shift;
    };
    const Case cases[] {{45, {3, 3}}, {0, {4, 0}}, {90, {0, 4}}, {180, {-4, 0}}, {270, {0, -4}}};
    for (const auto& c : cases) {
        Filter f = shadow(c.degrees, 4);
        f.compositeSource = false; // the shadow alone
        const QRect square(10, 10, 8, 8);
        QImage layer = layerWithSquare(40, square);
        applyFilters(layer, {f}, 1, 1);
        EXPECT_EQ(coverage(layer), square.translated(c.shift)) << c.degrees << " degrees";
        EXPECT_EQ(layer.pixel(square.translated(c.shift).center()), 0xFF000000u);
    }
}

TEST(DropShadowFilter, MarginsLeanTheShadowsWay)
{
    Filter f = shadow(45, 4);
    f.blurX = f.blurY = 4;
    EXPECT_EQ(filterMargins({f}, 1, 1), QMargins(0, 0, 5, 5));
    f.inner = true;
    EXPECT_EQ(filterMargins({f}, 1, 1), QMargins());
}

TEST(DropShadowFilter, SourceDrawnOverTheShadowUnlessKnockedOut)
{
    const QRect square(10, 10, 8, 8);
    QImage plain = layerWithSquare(40, square);
    applyFilters(plain, {shadow(45, 4)}, 1, 1);
    EXPECT_EQ(plain.pixel(square.center()), kRed);
    EXPECT_EQ(plain.pixel(square.bottomRight() + QPoint(2, 2)), 0xFF000000u);

    Filter knockout = shadow(45, 4);
    knockout.knockout = true;
    QImage knocked = layerWithSquare(40, square);
    applyFilters(knocked, {knockout}, 1, 1);
    EXPECT_EQ(knocked.pixel(square.center()), 0u);
    EXPECT_EQ(knocked.pixel(square.bottomRight() + QPoint(2, 2)), 0xFF000000u);
}

TEST(DropShadowFilter, InnerShadowFallsInsideTheLitEdge)
{
    Filter f = shadow(45, 3);
    f.inner = true;
    const QRect square(10, 10, 10, 10);
    QImage layer = layerWithSquare(40, square);
    applyFilters(layer, {f}, 1, 1);
    EXPECT_EQ(coverage(layer), square);
    EXPECT_EQ(layer.pixel(square.topLeft()), 0xFF000000u);
    EXPECT_EQ(layer.pixel(square.bottomRight()), kRed);

    f.knockout = true;
    QImage knocked = layerWithSquare(40, square);
    applyFilters(knocked, {f}, 1, 1);
    EXPECT_EQ(knocked.pixel(square.topLeft()), 0xFF000000u);
    EXPECT_EQ(knocked.pixel(square.bottomRight()), 0u);
}

TEST(GlowFilter, SurroundsTheObjectAndStrengthThickensIt)
{
    const QRect square(12, 12, 6, 6);
    QImage weak = layerWithSquare(30, square);
    applyFilters(weak, {glow(6)}, 1, 1);
    EXPECT_EQ(weak.pixel(square.center()), kRed);
    const QPoint outside = square.topLeft() - QPoint(2, 0);
    const int weakAlpha = qAlpha(weak.pixel(outside));
    EXPECT_GT(weakAlpha, 0);
    EXPECT_EQ(qGreen(weak.pixel(outside)), weakAlpha);

    Filter strong = glow(6);
    strong.strength = 2;
    QImage thick = layerWithSquare(30, square);
    applyFilters(thick, {strong}, 1, 1);
    EXPECT_NEAR(qAlpha(thick.pixel(outside)), std::min(255, 2 * weakAlpha), 2);
}

TEST(BevelFilter, HighlightFacesBackAlongTheAngleOnTheChosenSide)
{
    Filter f;
    f.type = FilterType::Bevel;
    f.color = {0, 0, 0, 255};           // shadow
    f.highlight = {255, 255, 255, 255}; // highlight
    f.angle = std::numbers::pi / 4;
    f.distance = 2;
    f.strength = 1;
    f.passes = 1;
    const QRect square(10, 10, 12, 12);
    const QPoint outsideTopLeft = square.topLeft() - QPoint(1, 1);
    const QPoint outsideBottomRight = square.bottomRight() + QPoint(1, 1);
    struct Case {
        const char* name;
        bool inner;
        bool onTop;
        QRgb topLeft, bottomRight, beyondTopLeft, beyondBottomRight;
    };
    const Case cases[] {
        {"inner", true, false, 0xFFFFFFFF, 0xFF000000, 0, 0},
        {"outer", false, false, kRed, kRed, 0xFFFFFFFF, 0xFF000000},
        {"full", false, true, 0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000},
    };
    for (const auto& c : cases) {
        f.inner = c.inner;
        f.onTop = c.onTop;
        QImage layer = layerWithSquare(40, square);
        applyFilters(layer, {f}, 1, 1);
        EXPECT_EQ(layer.pixel(square.topLeft()), c.topLeft) << c.name;
        EXPECT_EQ(layer.pixel(square.bottomRight()), c.bottomRight) << c.name;
        EXPECT_EQ(layer.pixel(outsideTopLeft), c.beyondTopLeft) << c.name;
        EXPECT_EQ(layer.pixel(outsideBottomRight), c.beyondBottomRight) << c.name;
        EXPECT_EQ(layer.pixel(square.center()), kRed) << c.name;
    }
}

TEST(GradientGlowFilter, TheObjectsStrengthPicksTheLastColour)
{
    Filter f;
    f.type = FilterType::GradientGlow;
    f.gradient = {{{255, 255, 255, 0}, 0}, {{0, 0, 255, 255}, 255}};
    f.blurX = f.blurY = 2;
    f.passes = 1;
    f.onTop = true; // full: the glow covers the object as well
    const QRect square(10, 10, 10, 10);
    QImage layer = layerWithSquare(30, square);
    applyFilters(layer, {f}, 1, 1);
    EXPECT_EQ(layer.pixel(square.center()), 0xFF0000FFu);
    EXPECT_EQ(layer.pixel(1, 1), 0u);
}

TEST(ColorMatrixFilter, IdentityAndKnownMatrices)
{
    const QRgb half = qPremultiply(qRgba(200, 100, 50, 128));
    struct Case {
        const char* name;
        std::vector<float> terms;
        QRgb input;
        QRgb expected; // straight
    };
    const Case cases[] {
        {"identity", kIdentityMatrix, half, qRgba(200, 100, 50, 128)},
        {"swap red and blue", {0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0}, kRed, qRgba(0, 0, 255, 255)},
        {"offsets fill the empty", {1, 0, 0, 0, 10, 0, 1, 0, 0, 20, 0, 0, 1, 0, 30, 0, 0, 0, 0, 255}, 0u,
         qRgba(10, 20, 30, 255)},
        {"halves alpha", {1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0.5f, 0}, kRed, qRgba(255, 0, 0, 128)},
    };
    for (const auto& c : cases) {
        QImage layer = layerOf(3, 2);
        layer.fill(c.input);
        applyFilters(layer, {colorMatrix(c.terms)}, 1, 1);
        const QRgb got = qUnpremultiply(layer.pixel(1, 1));
        EXPECT_NEAR(qRed(got), qRed(c.expected), 2) << c.name;
        EXPECT_NEAR(qGreen(got), qGreen(c.expected), 2) << c.name;
        EXPECT_NEAR(qBlue(got), qBlue(c.expected), 2) << c.name;
        EXPECT_EQ(qAlpha(got), qAlpha(c.expected)) << c.name;
    }
}

TEST(ConvolutionFilter, IdentityKernelAndEdges)
{
    QImage original = layerOf(5, 3);
    for (int x = 0; x < 5; ++x)
        for (int y = 0; y < 3; ++y)
            original.setPixel(x, y, qPremultiply(qRgba(40 * x, 60 * y, 200, 255)));

    Filter identity;
    identity.type = FilterType::Convolution;
    identity.matrixX = identity.matrixY = 3;
    identity.matrix = {0, 0, 0, 0, 1, 0, 0, 0, 0};
    for (bool preserveAlpha : {true, false}) {
        identity.preserveAlpha = preserveAlpha;
        QImage layer = original;
        applyFilters(layer, {identity}, 1, 1);
        EXPECT_EQ(layer, original) << "preserveAlpha " << preserveAlpha;
    }

    // Each pixel takes its left neighbour's colour; past the edge, either
    // the edge itself or the default colour.
    Filter shift;
    shift.type = FilterType::Convolution;
    shift.matrixX = 3;
    shift.matrixY = 1;
    shift.matrix = {1, 0, 0};
    shift.defaultColor = {9, 9, 9, 255};
    shift.preserveAlpha = false;
    for (bool clamp : {true, false}) {
        shift.clamp = clamp;
        QImage layer = original;
        applyFilters(layer, {shift}, 1, 1);
        EXPECT_EQ(layer.pixel(3, 1), original.pixel(2, 1));
        EXPECT_EQ(layer.pixel(0, 1), clamp ? original.pixel(0, 1) : qRgba(9, 9, 9, 255)) << "clamp " << clamp;
    }

    // Divisor 0 reads as 1; bias is added after dividing.
    Filter biased = identity;
    biased.divisor = 0;
    biased.bias = 10;
    biased.preserveAlpha = true;
    QImage layer = original;
    applyFilters(layer, {biased}, 1, 1);
    EXPECT_EQ(qRed(layer.pixel(1, 0)), 50);
}

TEST(Filters, HostileParametersStayCheap)
{
    Filter wideBlur = blur(255, 31);
    Filter farShadow = shadow(1, 32767);
    farShadow.blurX = farShadow.blurY = 1e9;
    farShadow.passes = 31;
    farShadow.strength = 1e9;
    Filter bevel = farShadow;
    bevel.type = FilterType::GradientBevel;
    bevel.gradient.assign(255, {{1, 2, 3, 4}, 7});
    Filter huge;
    huge.type = FilterType::Convolution;
    huge.matrixX = huge.matrixY = 255;
    huge.matrix.assign(255 * 255, 1.0f);
    Filter nanMatrix = colorMatrix(std::vector<float>(20, std::nanf("")));
    Filter shortMatrix = colorMatrix({1, 2, 3});
    const std::vector filters {wideBlur, farShadow, bevel, huge, nanMatrix, shortMatrix};

    const QMargins margins = filterMargins(filters, 1000, 1000);
    EXPECT_LE(std::max({margins.left(), margins.top(), margins.right(), margins.bottom()}), 8191);

    QImage layer = layerWithSquare(512, {100, 100, 300, 300});
    const auto start = std::chrono::steady_clock::now();
    applyFilters(layer, filters, 1, 1);
    applyFilters(layer, filters, 50, 50);
    // The reference player leaves layers past 8191 pixels a side unfiltered.
    QImage tooWide = layerOf(8192, 1);
    applyFilters(tooWide, filters, 1, 1);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 4000);
}

} // namespace
