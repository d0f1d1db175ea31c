#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

#include "MovieBits.h"
#include "support/SwfWriter.h"
#include "swf/Player.h"
#include "swf/read/TagCode.h"

using namespace swf;
using swftest::SwfWriter;

namespace {

constexpr int kFrameRate = 10;
constexpr std::size_t kFrameSamples = Player::kAudioRate / kFrameRate;
// 16-bit mono little-endian PCM at 44.1 kHz.
constexpr std::uint8_t kPcm44Mono = 0x3E;

void put16(std::vector<std::uint8_t>& bytes, unsigned value)
{
    bytes.push_back(std::uint8_t(value));
    bytes.push_back(std::uint8_t(value >> 8));
}

std::vector<std::uint8_t> pcmOf(std::size_t samples, std::int16_t value)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < samples; ++i)
        put16(bytes, std::uint16_t(value));
    return bytes;
}

std::vector<std::uint8_t> defineSound(std::uint16_t id, std::size_t samples)
{
    std::vector<std::uint8_t> body;
    put16(body, id);
    body.push_back(kPcm44Mono);
    put16(body, unsigned(samples));
    put16(body, unsigned(samples >> 16));
    const std::vector<std::uint8_t> data = pcmOf(samples, 1000);
    body.insert(body.end(), data.begin(), data.end());
    return body;
}

std::vector<std::uint8_t> startSound(std::uint16_t id, std::uint8_t flags)
{
    std::vector<std::uint8_t> body;
    put16(body, id);
    body.push_back(flags);
    return body;
}

// Plays `frames` frames as the control would, a frame's sound and then the
// next frame, and collects each sound's own output under its name.
std::map<std::pair<int, int>, std::vector<std::int16_t>> play(const std::vector<std::uint8_t>& movie, int frames)
{
    Player player;
    std::map<std::pair<int, int>, std::vector<std::int16_t>> heard;
    player.setSoundTap([&](int frame, int index, std::span<const std::int16_t> samples) {
        auto& sound = heard[{frame, index}];
        sound.insert(sound.end(), samples.begin(), samples.end());
    });
    player.open();
    player.feed(movie);
    player.finish();
    std::vector<std::int16_t> mix(2 * kFrameSamples);
    for (int i = 0; i < frames; ++i) {
        player.mixAudio(mix);
        player.advance();
    }
    return heard;
}

} // namespace

// Sound 1 lasts three frames. Frame 0 starts it; frame 1 asks again with
// no-multiple (refused, it plays); frame 2 starts a second one; frame 3
// stops both half way through.
TEST(SoundTimeline, StartSoundHonoursNoMultipleAndStop)
{
    constexpr std::uint8_t kNoMultiple = 0x10;
    constexpr std::uint8_t kStop = 0x20;
    SwfWriter writer;
    writer.setFrameRate(kFrameRate).tag(+TagCode::DefineSound, defineSound(1, 3 * kFrameSamples));
    writer.tag(+TagCode::StartSound, startSound(1, 0)).showFrame();
    writer.tag(+TagCode::StartSound, startSound(1, kNoMultiple)).showFrame();
    writer.tag(+TagCode::StartSound, startSound(1, 0)).showFrame();
    writer.tag(+TagCode::StartSound, startSound(1, kStop)).showFrame();
    writer.showFrame();
    // Five frames: the movie's loop back to frame 0 is not heard.
    const auto heard = play(writer.build(), 5);

    std::map<std::pair<int, int>, std::size_t> lengths;
    for (const auto& [name, samples] : heard)
        lengths[name] = samples.size() / 2;
    // The first plays frames 1..3 in full; the second is heard in 3 and stopped by frame 4's start.
    EXPECT_EQ(lengths, (std::map<std::pair<int, int>, std::size_t> {{{1, 0}, 3 * kFrameSamples}, {{3, 0}, kFrameSamples}}));
}

std::vector<std::uint8_t> streamMovie(int blocks, int quietFrames)
{
    SwfWriter writer;
    writer.setFrameRate(kFrameRate);
    std::vector<std::uint8_t> head = {kPcm44Mono, kPcm44Mono};
    put16(head, kFrameSamples);
    writer.tag(+TagCode::SoundStreamHead2, head);
    for (int frame = 0; frame < blocks; ++frame)
        writer.tag(+TagCode::SoundStreamBlock, pcmOf(kFrameSamples, std::int16_t(frame + 1))).showFrame();
    for (int frame = 0; frame < quietFrames; ++frame)
        writer.showFrame();
    return writer.build();
}

// A stream of five blocks, one a frame, each its frame's number + 1: every
// block is heard in the output frame right after its own, whole, and the
// stream ends when the blocks do.
TEST(SoundTimeline, StreamBlocksKeepStepWithTheirFrames)
{
    const auto heard = play(streamMovie(5, 3), 8);

    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard.begin()->first, std::make_pair(1, 0));
    const std::vector<std::int16_t>& stream = heard.begin()->second;
    ASSERT_EQ(stream.size(), 2 * 5 * kFrameSamples);
    for (std::size_t frame = 0; frame < 5; ++frame)
        for (std::size_t i : {std::size_t(0), kFrameSamples - 1})
            EXPECT_EQ(stream[2 * (frame * kFrameSamples + i)], std::int16_t(frame + 1)) << "frame " << frame << " sample " << i;
}

// The sound a stream holds ahead grows with the blocks the ticks deliver
// and shrinks with the samples the output takes, never below nothing.
TEST(SoundTimeline, SoundAheadFollowsTheBlocksAndTheSamplesPlayed)
{
    Player player;
    player.open();
    player.feed(streamMovie(20, 0));
    player.finish();
    EXPECT_EQ(player.soundAhead(), std::optional<std::uint64_t>(kFrameSamples)) << "the first frame's block";
    for (int i = 0; i < 4; ++i)
        player.advance();
    std::vector<std::int16_t> mix(2 * kFrameSamples * 5 / 2);
    player.mixAudio(mix);
    EXPECT_EQ(player.soundAhead(), std::optional<std::uint64_t>(5 * kFrameSamples - kFrameSamples * 5 / 2)) << "two and a half frames played";
    player.mixAudio(mix);
    player.mixAudio(mix);
    EXPECT_EQ(player.soundAhead(), std::optional<std::uint64_t>(0)) << "five blocks delivered, no more";

    Player silent;
    silent.open();
    silent.feed(streamMovie(0, 3));
    silent.finish();
    EXPECT_EQ(silent.soundAhead(), std::nullopt) << "no stream, nothing ahead";
}

// DefineButtonSound: sound 1 as the pointer comes over the button, sound 2
// as it presses it, none for the other two moves. Each step's mix hears
// what the step started, told apart by length.
TEST(SoundTimeline, AButtonPlaysItsOwnSoundForEachMoveThatHasOne)
{
    constexpr std::size_t kOver = kFrameSamples / 2;
    constexpr std::size_t kDown = kFrameSamples / 4;
    SwfWriter writer;
    writer.setFrameRate(kFrameRate);
    writer.tag(+TagCode::DefineSound, defineSound(1, kOver)).tag(+TagCode::DefineSound, defineSound(2, kDown));
    swftest::RectShape shape;
    shape.id = 3;
    writer.tag(+TagCode::DefineShape3, swftest::defineShape3(shape));
    writer.tag(+TagCode::DefineButton2, movietest::defineButton2(4, false, {{0x0F, 3}}, {}));
    std::vector<std::uint8_t> sounds;
    put16(sounds, 4);
    for (const unsigned id : {0u, 1u, 2u, 0u}) {
        put16(sounds, id);
        if (id)
            sounds.push_back(0); // SOUNDINFO: played as it is
    }
    writer.tag(+TagCode::DefineButtonSound, sounds);
    writer.tag(+TagCode::PlaceObject2, movietest::place(1, 4)).showFrame();

    Player player;
    std::vector<std::size_t> lengths;
    player.setSoundTap([&](int, int, std::span<const std::int16_t> samples) { lengths.push_back(samples.size() / 2); });
    movietest::load(player, writer.build());
    std::vector<std::int16_t> mix(2 * kFrameSamples);
    player.mixAudio(mix);
    const struct {
        const char* step;
        void (*act)(Player&);
        std::vector<std::size_t> heard;
    } steps[] {
        {"over", [](Player& p) { p.pointerMove(1000, 1000); }, {kOver}},
        {"press", [](Player& p) { p.pointerPress(); }, {kDown}},
        {"release", [](Player& p) { p.pointerRelease(); }, {}},
        {"out", [](Player& p) { p.pointerMove(3000, 3000); }, {}},
    };
    for (const auto& step : steps) {
        lengths.clear();
        step.act(player);
        player.mixAudio(mix);
        EXPECT_EQ(lengths, step.heard) << step.step;
    }
}
