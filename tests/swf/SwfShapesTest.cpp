#include <gtest/gtest.h>

#include "support/SwfShapes.h"
#include "swf/define/ShapeRecords.h"
#include "swf/read/Records.h"

// The writer's shapes must read back as written, or every drawing test
// built on them proves nothing.
TEST(SwfShapes, RectangleReadsBackWithItsStylesAndFourSides)
{
    swftest::RectShape rect;
    rect.width = 3000;
    rect.height = 1000;
    rect.gradientTo = swf::Color {0, 0, 255, 255};
    rect.lineWidth = 40;
    const auto body = swftest::defineShape3(rect);
    swf::ByteReader reader(body);
    ASSERT_EQ(reader.u16(), rect.id);
    const auto bounds = swf::readRect(reader);
    ASSERT_TRUE(bounds);
    EXPECT_EQ(bounds->width(), 3040);
    const auto shape = swf::readShapeWithStyle(reader, 3);
    ASSERT_TRUE(shape);
    ASSERT_EQ(shape->fillStyles.size(), 1u);
    EXPECT_EQ(shape->fillStyles[0].type, swf::FillType::LinearGradient);
    EXPECT_EQ(shape->fillStyles[0].gradient.records.size(), 2u);
    ASSERT_EQ(shape->lineStyles.size(), 1u);
    EXPECT_EQ(shape->lineStyles[0].width, 40);
    ASSERT_EQ(shape->records.size(), 5u);
    std::int32_t x = 0;
    std::int32_t y = 0;
    for (std::size_t i = 1; i < 5; ++i) {
        const auto& edge = std::get<swf::StraightEdge>(shape->records[i]);
        x += edge.dx;
        y += edge.dy;
    }
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_TRUE(reader.atEnd());
}

TEST(SwfShapes, MatrixReadsBackAsWritten)
{
    const swf::Matrix matrix {1.5, 0.25, -0.25, 0.5, -200, 4000};
    const auto bytes = swftest::matrixBytes(matrix);
    swf::ByteReader reader(bytes);
    EXPECT_EQ(swf::readMatrix(reader), matrix);
    EXPECT_TRUE(reader.atEnd());
}
