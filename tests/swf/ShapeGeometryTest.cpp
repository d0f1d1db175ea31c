// Edge records to per-style paths: fill sides, joining of fragments, style
// sets introduced mid-shape and stroke runs.

#include <gtest/gtest.h>

#include <numbers>
#include <optional>

#include "swf/define/ShapeGeometry.h"

namespace {

using swf::FillStyle;
using swf::LineStyle;
using swf::ShapeBuilder;

FillStyle solid(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    FillStyle fill;
    fill.color = {r, g, b, 255};
    return fill;
}

int subpathCount(const QPainterPath& path)
{
    int count = 0;
    for (int i = 0; i < path.elementCount(); ++i)
        count += path.elementAt(i).isMoveTo();
    return count;
}

void edge(ShapeBuilder& builder, QPointF from, QPointF to)
{
    builder.moveTo(from);
    builder.lineTo(to);
}

// Two squares side by side, as the authoring tool writes them: the shared
// edge carries both styles, and the right square's outline is written
// backwards with its style on the other side, in scattered pieces.
TEST(ShapeGeometry, FillsOnEitherSideOfAnEdgeJoinIntoTheirOwnRegions)
{
    ShapeBuilder builder;
    builder.setStyles({solid(255, 0, 0), solid(0, 0, 255)}, {});
    builder.setFill1(1);
    edge(builder, {0, 0}, {100, 0});
    builder.setFill0(0);
    builder.setFill1(0);
    builder.setFill0(2);
    edge(builder, {200, 100}, {200, 0});
    builder.setFill0(0);
    builder.setFill1(1);
    edge(builder, {100, 100}, {0, 100});
    edge(builder, {0, 100}, {0, 0});
    builder.setFill0(2);
    edge(builder, {100, 0}, {100, 100}); // shared: red on one side, blue on the other
    builder.setFill1(0);
    edge(builder, {200, 0}, {100, 0});
    edge(builder, {100, 100}, {200, 100});

    const swf::ShapeGeometry geometry = builder.finish();
    ASSERT_EQ(geometry.layers.size(), 1u);
    ASSERT_EQ(geometry.layers[0].fills.size(), 2u);
    const QPainterPath& red = geometry.layers[0].fills[0].path;
    const QPainterPath& blue = geometry.layers[0].fills[1].path;
    EXPECT_TRUE(red.contains(QPointF(50, 50)));
    EXPECT_FALSE(red.contains(QPointF(150, 50)));
    EXPECT_TRUE(blue.contains(QPointF(150, 50)));
    EXPECT_FALSE(blue.contains(QPointF(50, 50)));
    // Four scattered pieces make one closed outline, not four slivers.
    EXPECT_EQ(subpathCount(red), 1);
    EXPECT_EQ(subpathCount(blue), 1);
}

TEST(ShapeGeometry, HoleDrawnWithTheSameStyleStaysEmpty)
{
    ShapeBuilder builder;
    builder.setStyles({solid(0, 255, 0)}, {});
    builder.setFill1(1);
    builder.moveTo({0, 0});
    for (QPointF p : {QPointF(300, 0), QPointF(300, 300), QPointF(0, 300), QPointF(0, 0)})
        builder.lineTo(p);
    // The inner square runs the other way with the fill on its far side.
    builder.setFill1(0);
    builder.setFill0(1);
    builder.moveTo({100, 100});
    for (QPointF p : {QPointF(200, 100), QPointF(200, 200), QPointF(100, 200), QPointF(100, 100)})
        builder.lineTo(p);
    const QPainterPath& path = builder.finish().layers.at(0).fills.at(0).path;
    EXPECT_TRUE(path.contains(QPointF(50, 50)));
    EXPECT_FALSE(path.contains(QPointF(150, 150)));
}

TEST(ShapeGeometry, NewStylesDrawAboveWhatCameBefore)
{
    ShapeBuilder builder;
    builder.setStyles({solid(255, 0, 0)}, {});
    builder.setFill1(1);
    builder.moveTo({0, 0});
    builder.lineTo({100, 0});
    builder.lineTo({100, 100});
    builder.lineTo({0, 0});
    builder.setStyles({solid(0, 0, 255)}, {});
    // Indices now name the new arrays; the old selection is gone.
    builder.lineTo({50, 50});
    builder.setFill1(1);
    builder.moveTo({0, 0});
    builder.lineTo({50, 0});
    builder.lineTo({0, 50});
    builder.lineTo({0, 0});

    const swf::ShapeGeometry geometry = builder.finish();
    ASSERT_EQ(geometry.layers.size(), 2u);
    EXPECT_EQ(geometry.layers[0].fills.at(0).style.color, (swf::Color {255, 0, 0, 255}));
    EXPECT_EQ(geometry.layers[1].fills.at(0).style.color, (swf::Color {0, 0, 255, 255}));
    EXPECT_EQ(geometry.layers[1].fills.size(), 1u);
}

TEST(ShapeGeometry, StrokesBreakWhereThePenJumpsAndCloseWhereTheyMeet)
{
    ShapeBuilder builder;
    LineStyle line;
    line.width = 20;
    builder.setStyles({}, {line});
    builder.setLine(1);
    builder.moveTo({0, 0});
    builder.lineTo({100, 0});
    builder.moveTo({0, 50});
    builder.lineTo({100, 50});
    builder.curveTo({150, 75}, {100, 100});
    const swf::ShapeGeometry geometry = builder.finish();
    ASSERT_EQ(geometry.layers.at(0).strokes.size(), 1u);
    const QPainterPath& stroke = geometry.layers[0].strokes[0].path;
    EXPECT_EQ(subpathCount(stroke), 2);
    EXPECT_NEAR(stroke.boundingRect().right(), 125, 0.01); // the curve's extreme, not its control point
    EXPECT_TRUE(geometry.layers[0].fills.empty());
}

// How far a shape can draw, for leaving out what lies elsewhere: a curve
// within its control points, a line's width and corners past its path.
TEST(ShapeGeometry, ReachCoversCurvesLinesAndTheirCorners)
{
    const auto reachWith = [](std::optional<LineStyle> line) {
        ShapeBuilder builder;
        builder.setStyles({solid(1, 2, 3)}, line ? std::vector<LineStyle> {*line} : std::vector<LineStyle> {});
        builder.setFill1(1);
        builder.setLine(line ? 1 : 0);
        builder.moveTo({0, 0});
        builder.lineTo({100, 0});
        builder.curveTo({150, 50}, {100, 100});
        builder.lineTo({0, 100});
        builder.lineTo({0, 0});
        return builder.finish().reach();
    };
    const QRectF paths = reachWith(std::nullopt).value().paths;
    EXPECT_EQ(paths.topLeft(), QPointF(0, 0));
    EXPECT_EQ(paths.bottom(), 100);
    EXPECT_GE(paths.right(), 125); // the curve's extreme
    EXPECT_LE(paths.right(), 150); // its control point
    EXPECT_EQ(reachWith(std::nullopt)->lines, 0);
    LineStyle round;
    round.width = 40;
    // Half the width, and a square cap's corner further along the diagonal.
    EXPECT_EQ(reachWith(round)->paths, paths);
    EXPECT_DOUBLE_EQ(reachWith(round)->lines, 20 * std::numbers::sqrt2);
    LineStyle mitred = round;
    mitred.join = swf::JoinStyle::Miter;
    mitred.miterLimit = 5;
    EXPECT_DOUBLE_EQ(reachWith(mitred)->lines, 200); // five whole widths
    LineStyle scaledByStage = round;
    scaledByStage.noHScale = true;
    EXPECT_FALSE(reachWith(scaledByStage));
    EXPECT_TRUE(swf::ShapeGeometry().reach()->paths.isNull());
}

TEST(ShapeGeometry, RecordsReplayWithRelativeEdgesAndAbsoluteMoves)
{
    swf::ShapeWithStyle shape;
    shape.fillStyles = {solid(1, 2, 3)};
    swf::StyleChange start;
    start.moveTo = std::pair {1000, 2000};
    start.fill1 = 1;
    shape.records = {start, swf::StraightEdge {400, 0}, swf::StraightEdge {0, 400}, swf::CurvedEdge {-200, 100, -200, -100},
                     swf::StraightEdge {0, -400}};
    const swf::ShapeGeometry geometry = swf::buildShapeGeometry(shape);
    const QRectF bounds = geometry.layers.at(0).fills.at(0).path.boundingRect();
    EXPECT_EQ(bounds.left(), 1000);
    EXPECT_EQ(bounds.top(), 2000);
    EXPECT_EQ(bounds.width(), 400);
    EXPECT_NEAR(bounds.height(), 450, 0.5);
}

} // namespace
