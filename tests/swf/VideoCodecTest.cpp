#include "swf/media/VideoCodec.h"

#include <random>

#include <gtest/gtest.h>

#include "support/VideoClips.h"

namespace {

struct EncodedCase {
    const char* encoder;
    double tolerance; // mean difference per channel, 0..255
    int keyInterval = 5;
};

class VideoCodecRoundTrip : public testing::TestWithParam<EncodedCase> {};

TEST_P(VideoCodecRoundTrip, DecodedFramesMatchTheirSources)
{
    std::string whyNot;
    const auto clip = swftest::encodeVideoClip(GetParam().encoder, 64, 48, 12, GetParam().keyInterval, whyNot);
    if (!clip)
        GTEST_SKIP() << whyNot;
    std::string error;
    const auto codec = swf::VideoCodec::open(clip->codec, error, clip->extradata);
    ASSERT_TRUE(codec) << error;
    for (std::size_t i = 0; i < clip->packets.size(); ++i) {
        ASSERT_TRUE(codec->decode(clip->packets[i], error)) << "frame " << i << ": " << error;
        EXPECT_EQ(codec->picture().format(), QImage::Format_ARGB32_Premultiplied);
        EXPECT_LE(swftest::meanPixelDifference(codec->picture(), clip->sources[i]), GetParam().tolerance) << "frame " << i;
    }
}

// FFmpeg's Screen Video 2 encoder works in 15-bit colour, and its inter
// frames drift from their sources by themselves: only its key frames are
// a fair oracle.
INSTANTIATE_TEST_SUITE_P(Encoders, VideoCodecRoundTrip,
                         testing::Values(EncodedCase {"flv", 6}, EncodedCase {"flashsv", 0.01}, EncodedCase {"flashsv2", 3, 1},
                                         EncodedCase {"libx264", 4}),
                         [](const auto& test) { return std::string(test.param.encoder); });

TEST(VideoCodecTest, OpensTheStreamCodecsOnly)
{
    for (int id = 0; id < 10; ++id) {
        std::string error;
        const bool known = id >= 2 && id <= 7;
        EXPECT_EQ(swf::VideoCodec::open(std::uint8_t(id), error) != nullptr, known) << id << ": " << error;
        EXPECT_EQ(error.empty(), known) << id;
    }
}

// Damaged packets after a good frame, into every decoder: each is refused
// or decoded without harm, and a refusal leaves the good picture showing.
TEST(VideoCodecTest, DamagedPacketsKeepTheLastGoodPicture)
{
    std::string whyNot;
    const auto clip = swftest::encodeVideoClip("flv", 32, 32, 2, 2, whyNot);
    ASSERT_TRUE(clip) << whyNot;
    std::mt19937 random(16);
    for (std::uint8_t id = 2; id <= 7; ++id) {
        std::string error;
        const auto codec = swf::VideoCodec::open(id, error);
        ASSERT_TRUE(codec) << error;
        if (id == clip->codec) {
            ASSERT_TRUE(codec->decode(clip->packets[0], error)) << error;
        }
        for (int round = 0; round < 50; ++round) {
            std::vector<std::uint8_t> packet = clip->packets[round % 2];
            packet.resize(std::size_t(random() % (packet.size() + 40)));
            for (auto& byte : packet)
                if (random() % 4 == 0)
                    byte = std::uint8_t(random());
            const QImage before = codec->picture();
            if (!codec->decode(packet, error)) {
                EXPECT_EQ(codec->picture(), before) << int(id);
            }
        }
        EXPECT_FALSE(codec->decode({}, error));
        EXPECT_FALSE(error.empty());
    }
}

} // namespace
