#include <gtest/gtest.h>

#include "support/SwfWriter.h"
#include "swf/read/HeaderParser.h"

using namespace swf;
using swftest::SwfWriter;

namespace {

std::vector<std::uint8_t> prefix(const char* signature, std::uint32_t length, std::uint8_t version = 8)
{
    return {std::uint8_t(signature[0]), std::uint8_t(signature[1]), std::uint8_t(signature[2]), version,
        std::uint8_t(length), std::uint8_t(length >> 8), std::uint8_t(length >> 16), std::uint8_t(length >> 24)};
}

TEST(HeaderParser, PrefixSignaturesTable)
{
    struct Case {
        const char* signature;
        bool accepted;
        Compression compression;
    };
    const Case cases[] {
        {"FWS", true, Compression::None},
        {"CWS", true, Compression::Zlib},
        {"ZWS", true, Compression::Lzma},
        {"fws", false, {}},
        {"GIF", false, {}},
        {"FW\0", false, {}},
    };
    for (const Case& c : cases) {
        const auto result = parseHeaderPrefix(prefix(c.signature, 1000, 9));
        ASSERT_EQ(result.ok(), c.accepted) << c.signature;
        if (result) {
            EXPECT_EQ(result.value().signature, c.signature);
            EXPECT_EQ(result.value().compression, c.compression);
            EXPECT_EQ(result.value().version, 9);
            EXPECT_EQ(result.value().fileLength, 1000u);
        }
    }
}

TEST(HeaderParser, DeclaredLengthBoundsTable)
{
    struct Case {
        std::uint32_t length;
        bool accepted;
    };
    const Case cases[] {
        {0, false},
        {kMinDeclaredLength - 1, false},
        {kMinDeclaredLength, true},
        {kMaxDeclaredLength, true},
        {kMaxDeclaredLength + 1, false},
        {0xFFFFFFFF, false},
    };
    for (const Case& c : cases) {
        const auto result = parseHeaderPrefix(prefix("CWS", c.length));
        EXPECT_EQ(result.ok(), c.accepted) << c.length;
        if (!result) {
            EXPECT_NE(result.error().find(std::to_string(c.length)), std::string::npos) << result.error();
        }
    }
}

TEST(HeaderParser, FrameHeaderFields)
{
    const auto stream = SwfWriter().setFrameRect({-200, 11000, 40, 8000}).setFrameRateFixed(0x1880).setFrameCount(7).uncompressed();
    Header header;
    const auto firstTag = parseFrameHeader(stream, header);
    ASSERT_TRUE(firstTag);
    EXPECT_EQ(header.frameSize.xMin, -200);
    EXPECT_EQ(header.frameSize.xMax, 11000);
    EXPECT_EQ(header.frameSize.yMin, 40);
    EXPECT_EQ(header.frameSize.yMax, 8000);
    EXPECT_DOUBLE_EQ(header.frameRate(), 24.5);
    EXPECT_EQ(header.frameCount, 7);
    // 5 + 4 * 15 bits of RECT round up to 9 bytes.
    EXPECT_EQ(*firstTag, 8u + 9 + 4);
}

TEST(HeaderParser, EveryTruncationOfTheFrameHeaderWaits)
{
    const auto stream = SwfWriter().setFrameRect({0, 1 << 29, 0, 1 << 29}).uncompressed();
    Header header;
    const auto complete = parseFrameHeader(stream, header);
    ASSERT_TRUE(complete);
    for (std::size_t length = 0; length < *complete; ++length)
        EXPECT_FALSE(parseFrameHeader(std::span(stream).first(length), header)) << length;
}

TEST(HeaderParser, EmptyRectIsOneByte)
{
    const auto stream = SwfWriter().setFrameRect({}).setRectBits(0).uncompressed();
    Header header;
    EXPECT_EQ(parseFrameHeader(stream, header), 8u + 1 + 4);
    EXPECT_EQ(header.frameSize.width(), 0);
}

} // namespace
