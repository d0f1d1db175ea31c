#include <gtest/gtest.h>

#include <algorithm>

#include <numeric>
#include <vector>

#include "support/SwfWriter.h"
#include "swf/read/Decompressor.h"

using swf::Compression;
using swf::Decompressor;
using Status = swf::Decompressor::Status;

namespace {

std::vector<std::uint8_t> sample(std::size_t size)
{
    std::vector<std::uint8_t> data(size);
    // Compressible but not trivial, so streams span several blocks.
    for (std::size_t i = 0; i < size; ++i)
        data[i] = std::uint8_t((i * 7) ^ (i >> 5));
    return data;
}

// ZWS bodies start with the compressed length before the properties.
std::vector<std::uint8_t> zwsBody(std::span<const std::uint8_t> data)
{
    const auto packed = swftest::SwfWriter::lzma(data);
    const std::uint32_t length = std::uint32_t(packed.size() - 5);
    std::vector<std::uint8_t> body(4 + packed.size());
    for (int i = 0; i < 4; ++i)
        body[std::size_t(i)] = std::uint8_t(length >> (8 * i));
    std::copy(packed.begin(), packed.end(), body.begin() + 4);
    return body;
}

std::vector<std::uint8_t> packed(Compression compression, std::span<const std::uint8_t> data)
{
    switch (compression) {
    case Compression::Zlib:
        return swftest::SwfWriter::zlib(data);
    case Compression::Lzma:
        return zwsBody(data);
    case Compression::None:
        break;
    }
    return {data.begin(), data.end()};
}

class DecompressorRoundTrip : public testing::TestWithParam<Compression> { };

TEST_P(DecompressorRoundTrip, ChunkSizeDoesNotChangeTheOutput)
{
    const auto data = sample(300'000);
    const auto input = packed(GetParam(), data);
    for (std::size_t chunk : {std::size_t(1), std::size_t(7), std::size_t(4096), input.size()}) {
        auto decompressor = Decompressor::create(GetParam(), data.size());
        std::vector<std::uint8_t> output;
        for (std::size_t at = 0; at < input.size(); at += chunk) {
            const auto piece = std::span(input).subspan(at, std::min(chunk, input.size() - at));
            ASSERT_NE(decompressor->decode(piece, output, data.size() + 100), Status::Corrupt) << decompressor->error();
        }
        EXPECT_EQ(output, data) << "chunk " << chunk;
    }
}

TEST_P(DecompressorRoundTrip, NeverGrowsOutputPastTheLimit)
{
    const auto data = sample(200'000);
    const auto input = packed(GetParam(), data);
    auto decompressor = Decompressor::create(GetParam(), data.size());
    std::vector<std::uint8_t> output {1, 2, 3};
    EXPECT_EQ(decompressor->decode(input, output, 1000), Status::LimitReached);
    EXPECT_EQ(output.size(), 1000u);
    EXPECT_TRUE(std::equal(output.begin() + 3, output.end(), data.begin()));
}

// Decoding in steps of a little output each, the input not taken by one
// step handed to the next, gives the whole of the data: nothing is skipped,
// and nothing the decoder holds back when the input runs out is lost.
TEST_P(DecompressorRoundTrip, StepsOfLimitedOutputResumeWhereTheyStopped)
{
    const auto data = sample(300'000);
    const auto input = packed(GetParam(), data);
    for (std::size_t step : {std::size_t(1000), std::size_t(64 * 1024), std::size_t(100'000)}) {
        auto decompressor = Decompressor::create(GetParam(), data.size());
        std::vector<std::uint8_t> output;
        std::span<const std::uint8_t> rest(input);
        Status status = Status::LimitReached;
        for (int steps = 0; status == Status::LimitReached && steps < 10'000; ++steps) {
            status = decompressor->decode(rest, output, output.size() + step);
            ASSERT_LE(decompressor->consumed(), rest.size());
            rest = rest.subspan(decompressor->consumed());
        }
        EXPECT_NE(status, Status::Corrupt) << decompressor->error();
        EXPECT_TRUE(rest.empty()) << "step " << step;
        EXPECT_EQ(output, data) << "step " << step;
    }
}

INSTANTIATE_TEST_SUITE_P(AllCompressions, DecompressorRoundTrip,
    testing::Values(Compression::None, Compression::Zlib, Compression::Lzma));

TEST(Decompressor, ZlibReportsEndOfStream)
{
    const auto data = sample(100);
    auto decompressor = Decompressor::create(Compression::Zlib, data.size());
    std::vector<std::uint8_t> output;
    EXPECT_EQ(decompressor->decode(swftest::SwfWriter::zlib(data), output, 1000), Status::Ended);
    EXPECT_EQ(output, data);
}

TEST(Decompressor, CorruptStreamsKeepWhatDecodedAndSayWhy)
{
    const auto data = sample(100'000);
    for (Compression compression : {Compression::Zlib, Compression::Lzma}) {
        auto input = packed(compression, data);
        // Overwrite the middle of the stream with garbage.
        std::fill(input.begin() + std::ptrdiff_t(input.size() / 2), input.end(), std::uint8_t(0xA5));
        auto decompressor = Decompressor::create(compression, data.size());
        std::vector<std::uint8_t> output;
        const Status status = decompressor->decode(input, output, data.size());
        if (status == Status::Corrupt) {
            EXPECT_FALSE(decompressor->error().empty());
        }
        EXPECT_LE(output.size(), data.size());
    }
    auto decompressor = Decompressor::create(Compression::Zlib, 10);
    std::vector<std::uint8_t> output;
    const std::vector<std::uint8_t> notZlib {0x00, 0x01, 0x02, 0x03};
    EXPECT_EQ(decompressor->decode(notZlib, output, 100), Status::Corrupt);
}

TEST(Decompressor, LzmaHostileDictionarySizeIsClamped)
{
    const auto data = sample(5000);
    auto body = zwsBody(data);
    // Properties start after the four-byte length; claim a 4 GiB dictionary.
    std::fill(body.begin() + 5, body.begin() + 9, std::uint8_t(0xFF));
    auto decompressor = Decompressor::create(Compression::Lzma, data.size());
    std::vector<std::uint8_t> output;
    EXPECT_NE(decompressor->decode(body, output, data.size()), Status::Corrupt) << decompressor->error();
    EXPECT_EQ(output, data);
}

TEST(Decompressor, LzmaBadPropertiesAreCorrupt)
{
    auto body = zwsBody(sample(100));
    body[4] = 0xFF; // lc/lp/pb out of range
    auto decompressor = Decompressor::create(Compression::Lzma, 100);
    std::vector<std::uint8_t> output;
    EXPECT_EQ(decompressor->decode(body, output, 1000), Status::Corrupt);
}

} // namespace
