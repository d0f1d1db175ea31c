#include <gtest/gtest.h>

#include <vector>

#include "support/SwfWriter.h"
#include "swf/read/BitReader.h"

using swf::BitReader;
using swf::ByteReader;

namespace {

TEST(BitReader, ReadsAcrossByteBoundariesMostSignificantFirst)
{
    const std::vector<std::uint8_t> bytes {0b1011'0011, 0b1100'0000};
    ByteReader reader(bytes);
    BitReader bits(reader);
    EXPECT_EQ(bits.ub(3), 0b101u);
    EXPECT_EQ(bits.ub(7), 0b1'0011'11u);
    EXPECT_EQ(reader.position(), 2u);
}

TEST(BitReader, SignedFieldsTable)
{
    struct Case {
        std::int32_t value;
        unsigned bits;
    };
    const Case cases[] {{0, 1}, {-1, 1}, {-1, 2}, {1, 2}, {-2, 2}, {-16384, 15}, {16383, 15}, {-(1 << 30), 31},
        {(1 << 30) - 1, 31}, {INT32_MIN, 32}, {INT32_MAX, 32}};
    for (const Case& c : cases) {
        swftest::BitWriter writer;
        const auto bytes = writer.sb(c.value, c.bits).finish();
        ByteReader reader(bytes);
        BitReader bits(reader);
        EXPECT_EQ(bits.sb(c.bits), c.value) << c.value << " in " << c.bits << " bits";
    }
}

TEST(BitReader, ZeroWidthFieldsReadZeroWithoutConsuming)
{
    ByteReader reader({});
    BitReader bits(reader);
    EXPECT_EQ(bits.ub(0), 0u);
    EXPECT_EQ(bits.sb(0), 0);
    EXPECT_FALSE(bits.failed());
}

TEST(BitReader, FixedPointField)
{
    const auto bytes = swftest::BitWriter().sb(-0x18000, 19).finish();
    ByteReader reader(bytes);
    BitReader bits(reader);
    EXPECT_DOUBLE_EQ(*bits.fb(19), -1.5);
}

TEST(BitReader, RunningOutOrAskingTooMuchFails)
{
    const std::vector<std::uint8_t> bytes {0xFF};
    ByteReader reader(bytes);
    BitReader bits(reader);
    EXPECT_EQ(bits.ub(9), std::nullopt);
    EXPECT_TRUE(bits.failed());

    ByteReader other(bytes);
    BitReader wide(other);
    EXPECT_EQ(wide.ub(33), std::nullopt);
}

TEST(BitReader, AlignDropsTheRestOfTheByte)
{
    const std::vector<std::uint8_t> bytes {0xFF, 0x0F};
    ByteReader reader(bytes);
    BitReader bits(reader);
    bits.ub(2);
    bits.align();
    EXPECT_EQ(bits.ub(8), 0x0Fu);
}

} // namespace
