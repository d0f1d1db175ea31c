#include <gtest/gtest.h>

#include "support/SwfWriter.h"
#include "swf/define/ShapeRecords.h"
#include "swf/read/Records.h"

using swftest::BitWriter;

namespace {

std::vector<std::uint8_t> concat(std::initializer_list<std::vector<std::uint8_t>> parts)
{
    std::vector<std::uint8_t> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

} // namespace

TEST(Records, MatrixWithScaleRotateAndTranslate)
{
    BitWriter bits;
    bits.ub(1, 1).ub(19, 5).sb(2 << 16, 19).sb(1 << 15, 19); // scale 2, 0.5
    bits.ub(1, 1).ub(17, 5).sb(-(1 << 14), 17).sb(1 << 14, 17); // rotate -0.25, 0.25
    bits.ub(8, 5).sb(-100, 8).sb(100, 8);
    auto bytes = bits.finish();
    bytes.push_back(0xEE);
    swf::ByteReader reader(bytes);
    const auto matrix = swf::readMatrix(reader);
    ASSERT_TRUE(matrix);
    EXPECT_EQ(*matrix, (swf::Matrix {2.0, -0.25, 0.25, 0.5, -100, 100}));
    EXPECT_EQ(reader.u8(), 0xEE); // the record ends on a byte boundary
}

TEST(Records, ColourTransformWithNegativeTermsAndTruncation)
{
    BitWriter bits;
    bits.ub(1, 1).ub(1, 1).ub(11, 4);
    for (int v : {128, 256, 512, 256})
        bits.sb(v, 11);
    for (int v : {-255, 0, 10, -20})
        bits.sb(v, 11);
    const auto bytes = bits.finish();
    swf::ByteReader reader(bytes);
    const auto cx = swf::readColorTransform(reader, true);
    ASSERT_TRUE(cx);
    EXPECT_EQ(cx->apply({200, 100, 100, 255}), (swf::Color {0, 100, 210, 235}));

    swf::ByteReader cut(std::span<const std::uint8_t>(bytes).first(3));
    EXPECT_FALSE(swf::readColorTransform(cut, true));
}

TEST(ShapeRecords, StylesAndEveryKindOfRecord)
{
    // One solid RGBA fill, one LineStyle2 with a miter join, then records.
    const std::vector<std::uint8_t> styles = {
        1, 0x00, 10, 20, 30, 40,             // fills: solid
        1, 40, 0,                            // lines: width 40
        0x20, 0x02,                          // flags: miter join, no fill; end cap square
        0x00, 0x03,                          // miter limit 3.0
        1, 2, 3, 4,                          // colour
        0x11,                                // 1 fill bit, 1 line bit
    };
    BitWriter bits;
    bits.ub(0, 1).ub(0x01 | 0x04 | 0x08, 5).ub(5, 5).sb(10, 5).sb(-10, 5).ub(1, 1).ub(1, 1); // move, fill1, line
    bits.ub(1, 1).ub(1, 1).ub(2, 4).ub(1, 1).sb(7, 4).sb(-3, 4);                          // general line
    bits.ub(1, 1).ub(1, 1).ub(2, 4).ub(0, 1).ub(1, 1).sb(5, 4);                           // vertical line
    bits.ub(1, 1).ub(0, 1).ub(3, 4).sb(1, 5).sb(2, 5).sb(3, 5).sb(-4, 5);                 // curve
    bits.ub(0, 1).ub(0, 5);                                                              // end
    const auto data = concat({styles, bits.finish()});

    swf::ByteReader reader(data);
    const auto shape = swf::readShapeWithStyle(reader, 4);
    ASSERT_TRUE(shape);
    ASSERT_EQ(shape->fillStyles.size(), 1u);
    EXPECT_EQ(shape->fillStyles[0].color, (swf::Color {10, 20, 30, 40}));
    ASSERT_EQ(shape->lineStyles.size(), 1u);
    EXPECT_EQ(shape->lineStyles[0].join, swf::JoinStyle::Miter);
    EXPECT_EQ(shape->lineStyles[0].endCap, swf::CapStyle::Square);
    EXPECT_DOUBLE_EQ(shape->lineStyles[0].miterLimit, 3.0);
    ASSERT_EQ(shape->records.size(), 4u);
    const auto& change = std::get<swf::StyleChange>(shape->records[0]);
    EXPECT_EQ(change.moveTo, (std::pair<std::int32_t, std::int32_t> {10, -10}));
    EXPECT_EQ(change.fill1, 1u);
    EXPECT_FALSE(change.fill0);
    const auto& line = std::get<swf::StraightEdge>(shape->records[1]);
    EXPECT_EQ(line.dx, 7);
    EXPECT_EQ(line.dy, -3);
    EXPECT_EQ(std::get<swf::StraightEdge>(shape->records[2]).dy, 5);
    const auto& curve = std::get<swf::CurvedEdge>(shape->records[3]);
    EXPECT_EQ(curve.anchorDy, -4);
    EXPECT_TRUE(reader.atEnd());
}

TEST(ShapeRecords, TruncatedOrLyingShapesFailCleanly)
{
    const std::vector<std::uint8_t> hugeCount = {0xFF, 0xFF, 0xFF};
    swf::ByteReader many(hugeCount);
    EXPECT_FALSE(swf::readShapeWithStyle(many, 2));

    const std::vector<std::uint8_t> badFill = {1, 0x77};
    swf::ByteReader bad(badFill);
    EXPECT_FALSE(swf::readShapeWithStyle(bad, 1));

    // Records that never reach the end record.
    const std::vector<std::uint8_t> endless = {0, 0, 0x11, 0xFF, 0xFF};
    swf::ByteReader open(endless);
    EXPECT_FALSE(swf::readShapeWithStyle(open, 1));
}
