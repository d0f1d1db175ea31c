// The Sound class in the player: sounds a movie exports or loads, started
// from script, heard through the mixer at their owners' levels, with their
// events delivered between frames.

#include <gtest/gtest.h>

#include <QFile>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "support/ActionWriter.h"
#include "support/SoundClips.h"
#include "support/SwfWriter.h"
#include "StepFetcher.h"
#include "swf/Player.h"
#include "swf/media/Mp3File.h"
#include "swf/read/TagCode.h"

namespace {

using swftest::ActionCode;
using swftest::ActionWriter;

constexpr int kFrameRate = 10;
constexpr std::size_t kFrameSamples = swf::Player::kAudioRate / kFrameRate;
constexpr std::int16_t kBeepLevel = 1000;

void put16(std::vector<std::uint8_t>& bytes, unsigned value)
{
    bytes.push_back(std::uint8_t(value));
    bytes.push_back(std::uint8_t(value >> 8));
}

// Sound 1, exported as "beep": 100 ms of 16-bit mono PCM at 44.1 kHz.
std::vector<std::uint8_t> movieWith(const ActionWriter& script)
{
    constexpr unsigned kSamples = swf::Player::kAudioRate / 10;
    std::vector<std::uint8_t> sound;
    put16(sound, 1);
    sound.push_back(0x3E);
    put16(sound, kSamples);
    put16(sound, 0);
    for (unsigned i = 0; i < kSamples; ++i)
        put16(sound, std::uint16_t(kBeepLevel));
    std::vector<std::uint8_t> exports;
    put16(exports, 1);
    put16(exports, 1);
    for (const char c : std::string("beep"))
        exports.push_back(std::uint8_t(c));
    exports.push_back(0);
    swftest::SwfWriter writer;
    writer.setVersion(8).setFrameSize(100, 100).setFrameRate(kFrameRate).setFrameCount(1);
    writer.tag(std::uint16_t(swf::TagCode::DefineSound), sound).tag(std::uint16_t(swf::TagCode::ExportAssets), exports);
    ActionWriter stopped = script;
    stopped.op(ActionCode::Stop);
    writer.tag(std::uint16_t(swf::TagCode::DoAction), stopped.build()).showFrame();
    return writer.end().build();
}

// Script vocabulary: variables, calls and handlers by name.
void newSound(ActionWriter& w, const char* name, const char* target = nullptr)
{
    w.push(name);
    if (target)
        w.push(target).op(ActionCode::GetVariable).push(1);
    else
        w.push(0);
    w.push("Sound").op(ActionCode::NewObject).op(ActionCode::SetVariable);
}

template<typename... Args>
void call(ActionWriter& w, const char* object, const char* method, Args... args)
{
    if constexpr (sizeof...(Args) > 0)
        w.push(args...);
    w.push(int(sizeof...(Args)), object).op(ActionCode::GetVariable).push(method).op(ActionCode::CallMethod).op(ActionCode::Pop);
}

// trace(a + " " + b + ...) of `object`'s methods' results (a name ending
// in "()") or properties.
ActionWriter traceOf(const char* object, const std::vector<std::string>& members)
{
    ActionWriter w;
    w.push("");
    for (const std::string& member : members) {
        if (member.ends_with("()"))
            w.push(0, object).op(ActionCode::GetVariable).push(member.substr(0, member.size() - 2)).op(ActionCode::CallMethod);
        else
            w.push(object).op(ActionCode::GetVariable).push(member).op(ActionCode::GetMember);
        w.op(ActionCode::Add2).push(" ").op(ActionCode::Add2);
    }
    w.op(ActionCode::Trace);
    return w;
}

void handler(ActionWriter& w, const char* object, const char* event, const std::vector<std::string>& parameters, const ActionWriter& body)
{
    w.push(object).op(ActionCode::GetVariable).push(event);
    w.defineFunction("", parameters, body);
    w.op(ActionCode::SetMember);
}

ActionWriter traceText(const char* text)
{
    ActionWriter w;
    w.push(text).op(ActionCode::Trace);
    return w;
}

struct Played {
    std::string trace;
    std::vector<std::int16_t> firstMix;
    std::int16_t peak = 0; // the loudest left sample of all mixed
};

// Plays the movie as the control does: each frame's sound is mixed, then
// the next frame comes.
Played play(const ActionWriter& script, int frames)
{
    Played run;
    swf::Player player;
    player.setTraceOutput([&](std::string_view line) { run.trace.append(line).append("\n"); });
    player.setMovieUrl("file://" TVK_CORPUS_DIR "/trace/movie.swf");
    player.open();
    player.feed(movieWith(script));
    player.finish();
    for (int i = 0; i < frames; ++i) {
        std::vector<std::int16_t> mix(2 * kFrameSamples);
        player.mixAudio(mix);
        if (i == 0)
            run.firstMix = mix;
        for (std::size_t s = 0; s < mix.size(); s += 2)
            run.peak = std::max(run.peak, mix[s]);
        player.advance();
    }
    return run;
}

} // namespace

TEST(SoundScript, ExportedSoundsPlayAtTheirOwnersLevels)
{
    // s: the whole movie's levels; c: a clip's, which its own Sound plays at.
    ActionWriter clip;
    clip.push("c", 1, "c", 2, "_root").op(ActionCode::GetVariable).push("createEmptyMovieClip").op(ActionCode::CallMethod).op(ActionCode::SetVariable);

    ActionWriter levels = clip;
    newSound(levels, "s");
    newSound(levels, "t", "c");
    call(levels, "s", "setVolume", 40);
    call(levels, "t", "setPan", -30);
    levels.raw(traceOf("s", {"getVolume()", "getPan()"}).body()).raw(traceOf("t", {"getVolume()", "getPan()"}).body());
    levels.raw(traceOf("t", {"duration"}).body());
    call(levels, "t", "attachSound", "beep");
    levels.raw(traceOf("t", {"duration", "position"}).body());
    call(levels, "t", "start");

    ActionWriter stopped;
    newSound(stopped, "s");
    call(stopped, "s", "attachSound", "beep");
    handler(stopped, "s", "onSoundComplete", {}, traceText("never"));
    call(stopped, "s", "start");
    call(stopped, "s", "stop");

    ActionWriter unknown;
    newSound(unknown, "s");
    call(unknown, "s", "attachSound", "nothing");
    call(unknown, "s", "start");

    ActionWriter offset;
    newSound(offset, "s");
    call(offset, "s", "attachSound", "beep");
    handler(offset, "s", "onSoundComplete", {}, traceOf("s", {"position"}));
    // 0.05 s in, twice: 50 ms of each pass is heard; once done, the
    // position is the sound's end.
    call(offset, "s", "start", 2, 0.05);

    // Clips d in c: the global levels, c's and d's, at 80%, 50% panned
    // left, and 50%; the sound started by c's or d's Sound.
    const auto nested = [&](const char* starter) {
        ActionWriter w = clip;
        w.push("d", 1, "d", 2, "c").op(ActionCode::GetVariable).push("createEmptyMovieClip").op(ActionCode::CallMethod).op(ActionCode::SetVariable);
        newSound(w, "s");
        newSound(w, "u", "c");
        newSound(w, "v", "d");
        call(w, "s", "setVolume", 80);
        call(w, "u", "setVolume", 50);
        call(w, "u", "setPan", -30);
        call(w, "v", "setVolume", 50);
        call(w, starter, "attachSound", "beep");
        call(w, starter, "start");
        return w;
    };

    const struct Case {
        const char* what;
        ActionWriter script;
        std::string trace;
        std::int16_t left;  // first output sample
        std::int16_t right;
    } cases[] {
        // 40% of the movie's volume over the clip's pan to the left: the
        // right speaker gets 70% of that.
        {"levels", levels, "40 0 \n100 -30 \nundefined \n100 0 \n", 400, 280},
        {"stopped at once: nothing heard, nothing completes", stopped, "", 0, 0},
        {"no such export", unknown, "", 0, 0},
        {"from an offset, looping", offset, "100 \n", kBeepLevel, kBeepLevel},
        {"a child's sound at its own, its parent's and the movie's levels", nested("v"), "", 200, 140},
        {"a parent's sound not at its child's levels", nested("u"), "", 400, 280},
    };
    for (const Case& c : cases) {
        const Played run = play(c.script, 4);
        EXPECT_EQ(run.trace, c.trace) << c.what;
        ASSERT_EQ(run.firstMix.size(), 2 * kFrameSamples);
        EXPECT_EQ(run.firstMix[0], c.left) << c.what;
        EXPECT_EQ(run.firstMix[1], c.right) << c.what;
    }
}

TEST(SoundScript, LoadedSoundsArriveBetweenFramesWithTheirOwnLevels)
{
    // Loads answer between frames: the first trace is the one after the call.
    const auto loading = [](const char* url, bool streaming) {
        ActionWriter w;
        newSound(w, "s");
        handler(w, "s", "onLoad", {"ok"}, traceOf("s", {"duration", "getBytesLoaded()", "getBytesTotal()"}));
        call(w, "s", "setVolume", 50);
        w.push(streaming, url, 2, "s").op(ActionCode::GetVariable).push("loadSound").op(ActionCode::CallMethod).op(ActionCode::Pop);
        w.raw(traceOf("s", {"getVolume()", "getBytesTotal()"}).body());
        return w;
    };
    // The corpus's MP3 is 40 frames of 1,152 samples at 44.1 kHz.
    const struct Case {
        const char* what;
        ActionWriter script;
        std::string trace;
        bool heard;
    } cases[] {
        {"an MP3 file, not streaming", loading("test.mp3", false), "100 undefined \n1045 8567 8567 \n", false},
        {"an MP3 file, streaming", loading("test.mp3", true), "100 undefined \n1045 8567 8567 \n", true},
        {"a file that is no MP3", loading("loadvars.txt", false), "100 undefined \n0 134 134 \n", false},
        {"a file that is not there", loading("missing.mp3", false), "100 undefined \n0 0 undefined \n", false},
        {"outside the sandbox", loading("../../etc/passwd", true), "100 undefined \n0 0 undefined \n", false},
    };
    for (const Case& c : cases) {
        const Played run = play(c.script, 6);
        EXPECT_EQ(run.trace, c.trace) << c.what;
        EXPECT_EQ(run.peak > 0, c.heard) << c.what;
    }
}

// A sound on its way from the web tells how much of it has come, and all
// of it once it has.
TEST(SoundScript, ALoadFromTheWebTellsItsBytesAsTheyCome)
{
    QFile tune(TVK_CORPUS_DIR "/trace/test.mp3");
    ASSERT_TRUE(tune.open(QIODevice::ReadOnly));
    const QByteArray bytes = tune.readAll();
    auto fetcher = std::make_shared<swftest::StepFetcher>(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    ActionWriter w;
    newSound(w, "s");
    handler(w, "s", "onLoad", {"ok"}, traceText("loaded"));
    w.push(false, "tune.mp3", 2, "s").op(ActionCode::GetVariable).push("loadSound").op(ActionCode::CallMethod).op(ActionCode::Pop);
    handler(w, "_root", "onEnterFrame", {}, traceOf("s", {"getBytesLoaded()", "getBytesTotal()"}));
    std::string trace;
    swf::Player player;
    swftest::openFromWeb(player, fetcher, movieWith(w), trace);
    for (const std::size_t arrived : {0, 0, 1000, 5000, 8567, 8567}) {
        fetcher->release(arrived);
        player.advance();
    }
    EXPECT_EQ(trace, "0 undefined \n0 undefined \n1000 8567 \n5000 8567 \nloaded\n8567 8567 \n8567 8567 \n");
}

// A streaming sound from the web starts once five seconds of it have come,
// before the rest, and plays through as the rest comes exactly as the
// whole file decodes; onLoad comes at the end of the load, and
// onSoundComplete once all of it has played.
TEST(SoundScript, AStreamingSoundStartsOnceFiveSecondsHaveCome)
{
    const std::vector<std::uint8_t> tune = swftest::joinedPackets(swftest::encodeTone({"libmp3lame", 44'100, 1, 8}));
    if (tune.empty())
        GTEST_SKIP() << "no MP3 encoder in this FFmpeg";
    const swf::Result<swf::Mp3File> whole = swf::decodeMp3File(tune, 1 << 24);
    ASSERT_TRUE(whole.ok());
    const std::vector<std::int16_t>& samples = whole.value().sound.samples;
    auto fetcher = std::make_shared<swftest::StepFetcher>(tune);
    ActionWriter w;
    newSound(w, "s");
    handler(w, "s", "onLoad", {"ok"}, traceText("loaded"));
    handler(w, "s", "onSoundComplete", {}, traceText("complete"));
    w.push(true, "tune.mp3", 2, "s").op(ActionCode::GetVariable).push("loadSound").op(ActionCode::CallMethod).op(ActionCode::Pop);
    handler(w, "_root", "onEnterFrame", {}, traceOf("s", {"position", "duration"}));
    std::string trace;
    swf::Player player;
    swftest::openFromWeb(player, fetcher, movieWith(w), trace);
    // A second of the file comes each frame, a tenth of one plays.
    std::vector<std::int16_t> heard;
    std::vector<std::string> traced;
    for (std::size_t frame = 0; frame < 100; ++frame) {
        fetcher->release(std::min(tune.size(), (frame + 1) * tune.size() / 8));
        trace.clear();
        player.advance();
        traced.push_back(trace);
        std::vector<std::int16_t> mix(2 * kFrameSamples);
        player.mixAudio(mix);
        for (std::size_t i = 0; i < mix.size(); i += 2)
            heard.push_back(mix[i]);
    }
    // The frame whose sound begins the file's.
    std::optional<std::size_t> started;
    for (std::size_t frame = 0; frame * kFrameSamples + samples.size() <= heard.size() && !started; ++frame)
        if (std::equal(samples.begin(), samples.end(), heard.begin() + std::ptrdiff_t(frame * kFrameSamples)))
            started = frame;
    ASSERT_TRUE(started) << "the file is heard whole, with no gap";
    // Five seconds of the file have come after frame 4, but the frame cut
    // at their end only after frame 5.
    EXPECT_EQ(*started, 5u) << "once five seconds have come";
    const auto loaded = std::find_if(traced.begin(), traced.end(), [](const std::string& t) { return t.find("loaded") != std::string::npos; });
    ASSERT_NE(loaded, traced.end());
    EXPECT_EQ(loaded - traced.begin(), 7) << "onLoad once the last second has come";
    // Before the load ends its position moves, and its length is that of
    // what has come: close to a second more each frame.
    for (std::size_t frame = 2; frame < 7; ++frame) {
        double position = 0, duration = 0;
        ASSERT_EQ(std::sscanf(traced[frame].c_str(), "%lf %lf", &position, &duration), 2) << traced[frame];
        EXPECT_EQ(position > 0, frame > *started) << "frame " << frame;
        EXPECT_NEAR(duration, 1000.0 * double(frame) + 500, 600) << "frame " << frame;
    }
    const auto complete = std::find_if(traced.begin(), traced.end(), [](const std::string& t) { return t.find("complete") != std::string::npos; });
    ASSERT_NE(complete, traced.end());
    EXPECT_NEAR(double(complete - traced.begin()), double(*started) + double(samples.size()) / kFrameSamples, 1);
}
