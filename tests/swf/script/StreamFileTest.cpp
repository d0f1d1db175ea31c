#include "swf/script/StreamVideo.h"

#include <gtest/gtest.h>

#include "support/VideoClips.h"

namespace {

constexpr int kMsPerFrame = 40;

// A stream's time moving on, held, and going back past key frames: each
// time shows the frame due at it.
TEST(StreamVideo, ShowsTheFrameDueAtEachTime)
{
    for (const char* encoder : {"flv", "flashsv"}) {
        std::string whyNot;
        const auto clip = swftest::encodeVideoClip(encoder, 48, 32, 12, 4, whyNot);
        ASSERT_TRUE(clip) << whyNot;
        swf::script::StreamVideo video(swftest::flvFileOf(*clip, kMsPerFrame));
        ASSERT_TRUE(video.hasVideo());
        std::string error;
        EXPECT_EQ(video.pictureAt(-1, error), nullptr);
        const double times[] = {0, 10, 45, 85, 200, 210, 440, 90, 170, 0, 1000};
        for (const double ms : times) {
            const auto due = std::size_t(std::min(ms / kMsPerFrame, 11.0));
            const auto picture = video.pictureAt(ms, error);
            ASSERT_TRUE(picture) << encoder << " at " << ms << ": " << error;
            EXPECT_LE(swftest::meanPixelDifference(*picture, clip->sources[due]), 6) << encoder << " at " << ms;
        }
        const auto held = video.pictureAt(1000, error);
        EXPECT_EQ(video.pictureAt(1001, error), held) << "a picture that stays is the same object";
        EXPECT_TRUE(error.empty()) << error;
    }
}

TEST(StreamVideo, DamagedFilesGiveNoPictureAndNoCrash)
{
    std::string whyNot;
    const auto clip = swftest::encodeVideoClip("flv", 32, 32, 3, 3, whyNot);
    ASSERT_TRUE(clip) << whyNot;
    std::vector<std::uint8_t> file = swftest::flvFileOf(*clip, kMsPerFrame);
    for (std::size_t cut = 0; cut < file.size(); cut += 7) {
        std::vector<std::uint8_t> damaged(file.begin(), file.begin() + std::ptrdiff_t(cut));
        if (cut > 30)
            damaged[cut / 2] ^= 0x5A;
        swf::script::StreamVideo video(damaged);
        std::string error;
        for (const double ms : {0.0, 100.0, 0.0})
            video.pictureAt(ms, error);
    }
}

} // namespace
