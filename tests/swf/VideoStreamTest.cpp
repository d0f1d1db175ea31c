#include "swf/define/VideoStreamDefinition.h"

#include <gtest/gtest.h>

#include "support/SwfWriter.h"
#include "support/VideoClips.h"
#include "swf/Player.h"
#include "swf/Renderer.h"
#include "swf/read/Diagnostics.h"
#include "swf/read/TagCode.h"

using namespace swf;

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

void put16(std::vector<std::uint8_t>& out, unsigned value)
{
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

std::vector<std::uint8_t> defineVideoStream(std::uint16_t frames, std::uint8_t codec)
{
    std::vector<std::uint8_t> body;
    put16(body, 1); // character id
    put16(body, frames);
    put16(body, kWidth);
    put16(body, kHeight);
    body.push_back(0); // no deblocking, no smoothing
    body.push_back(codec);
    return body;
}

QImage stageOf(const Player& player)
{
    QImage target(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    Renderer renderer;
    renderer.setThreads(1);
    renderer.render(player, target);
    return target;
}

// Frames reached one after another and by jumps either way, within a
// group of pictures and across key frames: each shows its own picture.
TEST(VideoStream, EveryFrameReachedShowsItsOwnPicture)
{
    std::string whyNot;
    const auto clip = swftest::encodeVideoClip("flv", kWidth, kHeight, 12, 5, whyNot);
    ASSERT_TRUE(clip) << whyNot;
    Player player;
    player.open();
    player.feed(swftest::embeddedVideoMovie(*clip, kWidth, kHeight));
    player.finish();
    player.stop();
    const int visits[] = {0, 1, 2, 3, 4, 5, 6, 8, 11, 2, 7, 6, 10, 0, 9};
    for (const int frame : visits) {
        player.gotoFrame(frame);
        ASSERT_EQ(player.currentFrame(), frame);
        EXPECT_LE(swftest::meanPixelDifference(stageOf(player), clip->sources[std::size_t(frame)]), 6) << "frame " << frame;
    }
    EXPECT_TRUE(player.diagnostics().empty());
}

// Damaged frames are reported once and leave the last good picture, and
// frames of a stream never defined are reported, not kept.
TEST(VideoStream, DamagedFramesKeepTheLastGoodPicture)
{
    std::string whyNot;
    auto clip = swftest::encodeVideoClip("flv", kWidth, kHeight, 4, 10, whyNot);
    ASSERT_TRUE(clip) << whyNot;
    clip->packets[2] = {0xFF, 0xFF, 0xFF};
    clip->packets[3] = {0x00, 0x00};
    Player player;
    player.open();
    player.feed(swftest::embeddedVideoMovie(*clip, kWidth, kHeight));
    player.finish();
    player.stop();
    player.gotoFrame(1);
    const QImage good = stageOf(player);
    EXPECT_LE(swftest::meanPixelDifference(good, clip->sources[1]), 6);
    for (const int frame : {2, 3}) {
        player.gotoFrame(frame);
        EXPECT_EQ(stageOf(player), good) << frame;
    }
    EXPECT_FALSE(player.diagnostics().empty());

    std::vector<std::uint8_t> frame {1, 0, 0, 0}; // stream 1, frame 0
    frame.insert(frame.end(), clip->packets[0].begin(), clip->packets[0].end());
    swftest::SwfWriter writer;
    writer.tag(std::uint16_t(TagCode::VideoFrame), frame).showFrame();
    Player orphan;
    orphan.open();
    orphan.feed(writer.build());
    orphan.finish();
    ASSERT_EQ(orphan.diagnostics().size(), 1u);
    EXPECT_NE(orphan.diagnostics().front().message.find("not defined"), std::string::npos);
}

TEST(VideoStream, ReadsTheDefinitionFields)
{
    std::vector<std::uint8_t> body = defineVideoStream(30, 4);
    body[8] = 0b0000'0101; // deblocking 2, smoothing on
    const auto video = readVideoStreamDefinition(std::span(body).subspan(2));
    ASSERT_TRUE(video);
    EXPECT_EQ(video.value()->frameCount, 30);
    EXPECT_EQ(video.value()->bounds().width(), kWidth * 20);
    EXPECT_EQ(video.value()->bounds().height(), kHeight * 20);
    EXPECT_EQ(video.value()->deblocking, 2);
    EXPECT_TRUE(video.value()->smoothing);
    EXPECT_EQ(video.value()->codec, 4);
    EXPECT_FALSE(readVideoStreamDefinition(std::span(body).subspan(2, 7)));
}

} // namespace
