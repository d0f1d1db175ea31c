#include "swf/script/StreamFile.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/SoundClips.h"
#include "support/VideoClips.h"

namespace {

constexpr int kMsPerFrame = 40;

// Audio tags of a tone from libavcodec's encoder, each packet at the time
// its first sample is due.
swftest::FlvAudioTrack toneTrack(const swftest::Tone& tone, std::uint8_t format)
{
    const swftest::SoundClip clip = swftest::encodeTone(tone);
    swftest::FlvAudioTrack track {format, clip.packets, {}, clip.extradata};
    for (std::size_t i = 0; i < clip.packets.size(); ++i)
        track.times.push_back(std::uint32_t(double(i) * clip.frameSize * 1000 / tone.rate));
    return track;
}

// Of the first channel, over the middle half, where codec delays do not
// reach: twice the tone's pitch.
double crossingsPerSecond(const swf::script::StreamFile::SoundPart& part)
{
    const auto channels = std::size_t(part.channels);
    const std::size_t frames = part.samples.size() / channels;
    int crossings = 0;
    for (std::size_t i = frames / 4 + 1; i < 3 * frames / 4; ++i)
        crossings += (part.samples[(i - 1) * channels] < 0) != (part.samples[i * channels] < 0);
    return crossings * (part.doubledRate / 2.0) / double(frames / 2);
}

// A stream's time moving on, held, and going back past key frames: each
// time shows the frame due at it.
TEST(StreamFile, ShowsTheFrameDueAtEachTime)
{
    for (const char* encoder : {"flv", "flashsv"}) {
        std::string whyNot;
        const auto clip = swftest::encodeVideoClip(encoder, 48, 32, 12, 4, whyNot);
        ASSERT_TRUE(clip) << whyNot;
        swf::script::StreamFile video(swftest::flvFileOf(*clip, kMsPerFrame));
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

// The sound of each format an FLV file carries comes back as the tone it
// was made from, at its rate and channels, from the start or from a seek.
TEST(StreamFile, SoundComesBackAsTheToneOfEachFormat)
{
    const struct Case {
        swftest::Tone tone;
        std::uint8_t format;
    } cases[] {
        {{"libmp3lame", 44'100, 1, 2}, 0x2E},
        {{"libmp3lame", 22'050, 2, 2}, 0x2B},
        {{"libmp3lame", 8'000, 1, 2}, 0xE2},
        {{"aac", 44'100, 2, 2, 1000, 0.5, 128'000}, 0xAF},
        {{"aac", 22'050, 1, 2}, 0xAF},
        {{"nellymoser", 44'100, 1, 2}, 0x6E},
        {{"nellymoser", 8'000, 1, 2}, 0x52},
        {{"libspeex", 16'000, 1, 2, 1000, 0.5, 64'000}, 0xB2},
    };
    for (const Case& c : cases) {
        const std::string what = c.tone.encoder + " at " + std::to_string(c.tone.rate) + "/" + std::to_string(c.tone.channels);
        const swftest::FlvAudioTrack track = toneTrack(c.tone, c.format);
        if (track.packets.empty()) {
            std::printf("  no encoder in this FFmpeg for %s; not checked\n", what.c_str());
            continue;
        }
        swf::script::StreamFile file(swftest::flvFileOf({}, kMsPerFrame, track));
        ASSERT_TRUE(file.hasSound()) << what;
        ASSERT_EQ(file.seekSound(0), 0) << what;
        std::string error;
        const auto whole = file.soundUntil(1e9, error);
        ASSERT_TRUE(whole) << what;
        EXPECT_TRUE(error.empty()) << what << ": " << error;
        EXPECT_EQ(whole->doubledRate, 2 * c.tone.rate) << what;
        EXPECT_EQ(whole->channels, c.format & 1 ? 2 : 1) << what;
        // Give or take the encoders' delay and padding.
        EXPECT_NEAR(double(whole->samples.size()) / whole->channels, 2.0 * c.tone.rate, 0.02 * c.tone.rate + 1200) << what;
        EXPECT_NEAR(crossingsPerSecond(*whole), 2000, 40) << what;
        EXPECT_FALSE(file.soundUntil(1e9, error)) << what << ": all of it was taken";
        // From a second in, up to a second and a half.
        const std::optional<double> from = file.seekSound(1000);
        ASSERT_TRUE(from) << what;
        EXPECT_GE(*from, 1000) << what;
        EXPECT_LT(*from, 1100) << what;
        const auto half = file.soundUntil(1500, error);
        ASSERT_TRUE(half) << what;
        EXPECT_NEAR(double(half->samples.size()) / half->channels, (1500 - *from) / 1000 * c.tone.rate, 0.1 * c.tone.rate) << what;
    }
}

// A change of format mid-stream ends a part: what follows comes at its own
// rate and channels.
TEST(StreamFile, ANewSoundFormatStartsANewPart)
{
    swftest::FlvAudioTrack track;
    track.format = 0x3A; // 16-bit PCM at 22 kHz, mono
    track.packets = {std::vector<std::uint8_t>(4410 / 2 * 2, 1), std::vector<std::uint8_t>(4410 / 2 * 2, 1)};
    track.times = {0, 100};
    std::vector<std::uint8_t> file = swftest::flvFileOf({}, kMsPerFrame, track);
    // Then a tag of 44 kHz stereo at 200 ms.
    const std::vector<std::uint8_t> stereo = swftest::flvFileOf({}, kMsPerFrame, {0x3F, {std::vector<std::uint8_t>(400, 2)}, {200}, {}});
    file.insert(file.end(), stereo.begin() + 13, stereo.end());
    swf::script::StreamFile stream(file);
    std::string error;
    stream.seekSound(0);
    const auto first = stream.soundUntil(1e9, error);
    const auto second = stream.soundUntil(1e9, error);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->doubledRate, 44'100);
    EXPECT_EQ(first->channels, 1);
    EXPECT_EQ(first->samples.size(), 4410u);
    EXPECT_EQ(second->startsAt, 200);
    EXPECT_EQ(second->doubledRate, 88'200);
    EXPECT_EQ(second->channels, 2);
    EXPECT_EQ(second->samples.size(), 200u);
}

TEST(StreamFile, DamagedFilesGiveNoPictureAndNoCrash)
{
    std::string whyNot;
    const auto clip = swftest::encodeVideoClip("flv", 32, 32, 3, 3, whyNot);
    ASSERT_TRUE(clip) << whyNot;
    const swftest::FlvAudioTrack sound = toneTrack({"libmp3lame", 22'050, 1, 0.2}, 0x2A);
    std::vector<std::uint8_t> file = swftest::flvFileOf(*clip, kMsPerFrame, sound);
    for (std::size_t cut = 0; cut < file.size(); cut += 7) {
        std::vector<std::uint8_t> damaged(file.begin(), file.begin() + std::ptrdiff_t(cut));
        if (cut > 30)
            damaged[cut / 2] ^= 0x5A;
        swf::script::StreamFile video(damaged);
        std::string error;
        for (const double ms : {0.0, 100.0, 0.0}) {
            video.pictureAt(ms, error);
            video.seekSound(ms);
            while (const auto part = video.soundUntil(ms + 100, error))
                EXPECT_LE(part->samples.size(), 22'050u) << "no more than the file's own length, whatever its bytes";
        }
    }
}

} // namespace
