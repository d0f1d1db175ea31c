#include <gtest/gtest.h>

#include "swf/Renderer.h"

using namespace swf;

namespace {

Header stage(int widthPx, int heightPx, int xMin = 0, int yMin = 0)
{
    Header header;
    header.frameSize = {xMin, xMin + widthPx * 20, yMin, yMin + heightPx * 20};
    return header;
}

TEST(StageTransform, PlacementTable)
{
    struct Case {
        const char* name;
        QSize stageSize;
        QSizeF target;
        ScaleMode mode;
        QRectF expected;
    };
    const Case cases[] {
        {"ShowAll wide target letterboxes sideways", {400, 300}, {800, 300}, ScaleMode::ShowAll, {200, 0, 400, 300}},
        {"ShowAll tall target letterboxes above and below", {400, 300}, {400, 600}, ScaleMode::ShowAll, {0, 150, 400, 300}},
        {"ShowAll scales up", {100, 50}, {400, 400}, ScaleMode::ShowAll, {0, 100, 400, 200}},
        {"NoBorder fills and crops", {400, 300}, {800, 300}, ScaleMode::NoBorder, {0, -150, 800, 600}},
        {"ExactFit stretches", {400, 300}, {800, 300}, ScaleMode::ExactFit, {0, 0, 800, 300}},
        {"NoScale centres at natural size", {400, 300}, {800, 500}, ScaleMode::NoScale, {200, 100, 400, 300}},
        {"NoScale overhangs a small target", {400, 300}, {200, 100}, ScaleMode::NoScale, {-100, -100, 400, 300}},
        {"empty stage is not divided by", {0, 0}, {800, 600}, ScaleMode::ShowAll, {400, 300, 0, 0}},
    };
    for (const Case& c : cases) {
        const Header header = stage(c.stageSize.width(), c.stageSize.height());
        EXPECT_EQ(stageRect(header, c.target, c.mode), c.expected) << c.name;
        const QTransform transform = stageTransform(header, c.target, c.mode);
        const QRectF mapped = transform.mapRect(QRectF(0, 0, header.frameSize.width(), header.frameSize.height()));
        EXPECT_EQ(mapped, c.expected) << c.name;
    }
}

TEST(StageTransform, FrameOriginMapsToTheStageCorner)
{
    const Header header = stage(100, 100, -2000, 400);
    const QTransform transform = stageTransform(header, QSizeF(200, 200), ScaleMode::ShowAll);
    EXPECT_EQ(transform.map(QPointF(-2000, 400)), QPointF(0, 0));
    EXPECT_EQ(transform.map(QPointF(0, 2400)), QPointF(200, 200));
}

TEST(StageTransform, NegativeStageIsPlacedNotInverted)
{
    Header header;
    header.frameSize = {1000, 0, 1000, 0};
    const QTransform transform = stageTransform(header, QSizeF(100, 100), ScaleMode::ShowAll);
    EXPECT_TRUE(transform.isInvertible());
    EXPECT_DOUBLE_EQ(transform.m11(), 1.0 / 20);
}

TEST(StageTransform, FramesLargerThanAnyBitmapAreDrawnSmaller)
{
    struct Case {
        QSizeF wanted;
        QSize drawn;
    };
    const Case cases[] {
        {{550, 400}, {550, 400}},
        {{8191, 2048}, {8191, 2048}},
        {{16384, 16384}, {4095, 4095}}, // the pixel count binds
        {{20000, 100}, {8191, 40}},     // the side binds
        {{100, 20000}, {40, 8191}},
        {{0.2, 0}, {1, 1}},
    };
    for (const Case& c : cases) {
        const QSize drawn = fitRenderSize(c.wanted);
        EXPECT_EQ(drawn, c.drawn) << c.wanted.width() << "x" << c.wanted.height();
        EXPECT_LE(std::int64_t(drawn.width()) * drawn.height(), kMaxRenderPixels);
    }
}

} // namespace
