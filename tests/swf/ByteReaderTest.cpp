#include <gtest/gtest.h>

#include <vector>

#include "swf/read/ByteReader.h"

using swf::ByteReader;

namespace {

const std::vector<std::uint8_t> kBytes {0x01, 0x02, 0x03, 0x04, 0xFF, 0xFF};

TEST(ByteReader, ReadsLittleEndianIntegers)
{
    ByteReader reader(kBytes);
    EXPECT_EQ(reader.u16(), 0x0201);
    EXPECT_EQ(reader.u16(), 0x0403);
    EXPECT_EQ(reader.s16(), -1);
    EXPECT_TRUE(reader.atEnd());
    EXPECT_FALSE(reader.failed());

    ByteReader wide(kBytes);
    EXPECT_EQ(wide.u32(), 0x04030201u);
}

TEST(ByteReader, ReadPastEndFailsAndSticks)
{
    ByteReader reader(kBytes);
    ASSERT_TRUE(reader.skip(5));
    EXPECT_EQ(reader.u16(), std::nullopt);
    EXPECT_TRUE(reader.failed());
    EXPECT_EQ(reader.position(), 5u);
    // A read that would fit still fails: the record is already broken.
    EXPECT_EQ(reader.u8(), std::nullopt);
}

TEST(ByteReader, HugeCountsDoNotWrap)
{
    ByteReader reader(kBytes);
    reader.u8();
    EXPECT_EQ(reader.bytes(std::size_t(-1)), std::nullopt);
    EXPECT_FALSE(ByteReader(kBytes).skip(std::size_t(-1)));
}

TEST(ByteReader, FixedPointValues)
{
    const std::vector<std::uint8_t> bytes {0x80, 0x01, 0x00, 0x80, 0xFF, 0xFF};
    ByteReader reader(bytes);
    EXPECT_DOUBLE_EQ(*reader.fixed8(), 1.5);
    EXPECT_DOUBLE_EQ(*reader.fixed16(), -0.5);
}

TEST(ByteReader, EncodedU32Table)
{
    struct Case {
        std::vector<std::uint8_t> bytes;
        std::optional<std::uint32_t> value;
        std::size_t consumed;
    };
    const Case cases[] {
        {{0x00}, 0u, 1},
        {{0x7F}, 127u, 1},
        {{0x80, 0x01}, 128u, 2},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0x0F}, 0xFFFFFFFFu, 5},
        // Never more than five bytes, whatever the continuation bit says.
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01}, 0xFFFFFFFFu, 5},
        {{0x80, 0x80}, std::nullopt, 2},
    };
    for (const Case& c : cases) {
        ByteReader reader(c.bytes);
        EXPECT_EQ(reader.encodedU32(), c.value);
        if (c.value) {
            EXPECT_EQ(reader.position(), c.consumed);
        }
    }
}

TEST(ByteReader, StringsStopAtZeroAndNeedOne)
{
    const std::vector<std::uint8_t> bytes {'h', 'i', 0, 'x'};
    ByteReader reader(bytes);
    EXPECT_EQ(reader.string(), "hi");
    EXPECT_EQ(reader.position(), 3u);
    EXPECT_EQ(reader.string(), std::nullopt);
    EXPECT_TRUE(reader.failed());
}

} // namespace
