#include "swf/media/VideoPacket.h"

#include <gtest/gtest.h>

#include "support/VideoClips.h"

namespace {

TEST(VideoPacket, KeyFramesAgreeWithTheEncoder)
{
    std::string whyNot;
    const auto clip = swftest::encodeVideoClip("flv", 32, 32, 8, 3, whyNot);
    ASSERT_TRUE(clip) << whyNot;
    for (std::size_t i = 0; i < clip->packets.size(); ++i)
        EXPECT_EQ(swf::isVideoKeyFrame(clip->codec, clip->packets[i]), clip->keyFrames[i]) << i;
}

TEST(VideoPacket, FlvTagsComeApartByCodec)
{
    using Kind = swf::FlvVideoPacket::Kind;
    struct Case {
        std::vector<std::uint8_t> body;
        bool read;
        Kind kind;
        std::uint8_t codec;
        bool key;
        int crop; // -1: none
        std::size_t payload;
    };
    const Case cases[] {
        {{0x12, 1, 2, 3}, true, Kind::Frame, 2, true, -1, 3},
        {{0x23, 9}, true, Kind::Frame, 3, false, -1, 1},
        {{0x14, 0x21, 7, 7}, true, Kind::Frame, 4, true, 0x21, 2},
        {{0x25, 0x00, 0, 0, 4, 0x89}, true, Kind::Frame, 5, false, 0, 4},
        {{0x14}, false, Kind::Frame, 0, false, -1, 0},
        {{0x17, 0, 0, 0, 0, 1, 2}, true, Kind::DecoderConfig, 7, true, -1, 2},
        {{0x27, 1, 0, 0, 0, 5}, true, Kind::Frame, 7, false, -1, 1},
        {{0x17, 2, 0, 0, 0}, true, Kind::EndOfSequence, 7, true, -1, 0},
        {{0x17, 1, 0}, false, Kind::Frame, 0, false, -1, 0},
        {{0x52, 0}, true, Kind::Command, 2, false, -1, 1},
        {{}, false, Kind::Frame, 0, false, -1, 0},
    };
    for (const Case& c : cases) {
        const auto packet = swf::readFlvVideoPacket(c.body);
        ASSERT_EQ(packet.has_value(), c.read) << testing::PrintToString(c.body);
        if (!packet)
            continue;
        EXPECT_EQ(packet->kind, c.kind);
        EXPECT_EQ(packet->codec, c.codec);
        EXPECT_EQ(packet->keyFrame, c.key);
        EXPECT_EQ(packet->vp6Crop ? int(*packet->vp6Crop) : -1, c.crop);
        EXPECT_EQ(packet->payload.size(), c.payload);
        // VP6 says a key frame by its first bit, after an alpha offset.
        if (c.codec == 4 || c.codec == 5) {
            EXPECT_EQ(swf::isVideoKeyFrame(c.codec, packet->payload), c.codec == 4);
        }
    }
}

} // namespace
