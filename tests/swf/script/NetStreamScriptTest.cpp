// NetStream playing a file from the web as it arrives: it starts once its
// buffer time's worth has come, waits when playing catches up with the
// file, and goes on when more has come; its sound is heard in step with
// its time.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "support/ActionWriter.h"
#include "support/VideoClips.h"
#include "support/SwfWriter.h"
#include "StepFetcher.h"
#include "swf/Player.h"
#include "swf/read/TagCode.h"

namespace {

using swftest::ActionCode;
using swftest::ActionWriter;

struct Flv {
    std::vector<std::uint8_t> bytes;
    std::vector<std::size_t> tagEnds; // where each audio tag has come whole
};

// Audio tags of 100 bytes every 100 ms from 0 to 2000, after a description
// saying the file lasts 2 s.
Flv twoSecondFile()
{
    Flv flv;
    std::vector<std::uint8_t>& out = flv.bytes;
    out = {'F', 'L', 'V', 1, 4, 0, 0, 0, 9, 0, 0, 0, 0};
    const auto put = [&out](std::uint32_t value, int bytes) {
        for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8)
            out.push_back(std::uint8_t(value >> shift));
    };
    const auto tag = [&](std::uint8_t type, std::uint32_t time, const std::vector<std::uint8_t>& body) {
        out.push_back(type);
        put(std::uint32_t(body.size()), 3);
        put(time, 3);
        put(0, 4);
        out.insert(out.end(), body.begin(), body.end());
        put(std::uint32_t(11 + body.size()), 4);
    };
    std::vector<std::uint8_t> description {2, 0, 10};
    for (const char c : std::string("onMetaData"))
        description.push_back(std::uint8_t(c));
    description.insert(description.end(), {8, 0, 0, 0, 1, 0, 8});
    for (const char c : std::string("duration"))
        description.push_back(std::uint8_t(c));
    description.insert(description.end(), {0, 0x40, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9}); // 2.0
    tag(18, 0, description);
    for (std::uint32_t ms = 0; ms <= 2000; ms += 100) {
        tag(8, ms, std::vector<std::uint8_t>(100, 0x22));
        flv.tagEnds.push_back(out.size());
    }
    return flv;
}

std::vector<std::uint8_t> movieOf(const ActionWriter& script)
{
    swftest::SwfWriter writer;
    writer.setVersion(8).setFrameSize(100, 100).setFrameRate(10).setFrameCount(1);
    writer.tag(std::uint16_t(swf::TagCode::DoAction), script.build()).showFrame();
    return writer.end().build();
}

// What the stream's handler does the first time it hears `code`:
// ns[method](argument).
struct Reaction {
    const char* code = nullptr;
    const char* method = nullptr;
    double argument = 0;
};

// ns plays the file; each status is traced with whether the file is still
// coming and the stream's time.
ActionWriter streamScript(const Reaction& reaction)
{
    ActionWriter w;
    w.push("nc", 0, "NetConnection").op(ActionCode::NewObject).op(ActionCode::SetVariable);
    w.pushValues({swftest::PushValue::null(), 1, "nc"}).op(ActionCode::GetVariable).push("connect").op(ActionCode::CallMethod).op(ActionCode::Pop);
    w.push("ns", "nc").op(ActionCode::GetVariable).push(1, "NetStream").op(ActionCode::NewObject).op(ActionCode::SetVariable);
    ActionWriter heard;
    // trace(info.code + " " + (ns.bytesLoaded < ns.bytesTotal) + " " + ns.time)
    heard.push("info").op(ActionCode::GetVariable).push("code").op(ActionCode::GetMember).push(" ").op(ActionCode::Add2);
    heard.push("ns").op(ActionCode::GetVariable).push("bytesLoaded").op(ActionCode::GetMember);
    heard.push("ns").op(ActionCode::GetVariable).push("bytesTotal").op(ActionCode::GetMember).op(ActionCode::Less2).op(ActionCode::Add2);
    heard.push(" ").op(ActionCode::Add2).push("ns").op(ActionCode::GetVariable).push("time").op(ActionCode::GetMember).op(ActionCode::Add2);
    heard.op(ActionCode::Trace);
    if (reaction.code) {
        // if (info.code == code && !done) { done = true; ns[method](argument) }
        heard.push("info").op(ActionCode::GetVariable).push("code").op(ActionCode::GetMember).push(reaction.code).op(ActionCode::Equals2);
        heard.push("done").op(ActionCode::GetVariable).op(ActionCode::Not).op(ActionCode::And);
        heard.op(ActionCode::Not).branchIf("heard");
        heard.push("done", true).op(ActionCode::SetVariable);
        heard.push(reaction.argument, 1, "ns").op(ActionCode::GetVariable).push(reaction.method).op(ActionCode::CallMethod).op(ActionCode::Pop);
        heard.label("heard");
    }
    w.push("ns").op(ActionCode::GetVariable).push("onStatus").defineFunction("", {"info"}, heard).op(ActionCode::SetMember);
    w.push("clip.flv", 1, "ns").op(ActionCode::GetVariable).push("play").op(ActionCode::CallMethod).op(ActionCode::Pop);
    w.op(ActionCode::Stop);
    return w;
}

// At 10 frames a second the stream's time moves 100 ms a frame.
TEST(NetStreamScript, AStreamFromTheWebPlaysAsItArrivesAndWaitsForWhatHasNot)
{
    const Flv flv = twoSecondFile();
    const struct Case {
        const char* what;
        Reaction reaction;
        // The audio tags whole by each frame; then the rest.
        std::vector<std::size_t> arrived;
        std::string heard;
    } cases[] {
        {"playing catches up",
         {},
         {0, 1, 5, 5, 5, 5, 5, 5, 5, 12, 12},
         "NetStream.Play.Start true 0\nNetStream.Buffer.Full true 0\nNetStream.Buffer.Empty true 0.4\nNetStream.Buffer.Full true 0.4\n"
         "NetStream.Buffer.Flush false 0.6\nNetStream.Play.Stop false 2\n"},
        {"a seek beyond what has come",
         {"NetStream.Buffer.Full", "seek", 1.5},
         {0, 3, 3, 10, 17},
         "NetStream.Play.Start true 0\nNetStream.Buffer.Full true 0\nNetStream.Buffer.Empty true 1.5\nNetStream.Buffer.Full true 1.5\n"
         "NetStream.Buffer.Flush false 1.6\nNetStream.Play.Stop false 2\n"},
        {"paused while it waits: it stays where it waited",
         {"NetStream.Buffer.Empty", "pause", 1},
         {0, 1, 5, 5, 5, 5, 5, 5, 5},
         "NetStream.Play.Start true 0\nNetStream.Buffer.Full true 0\nNetStream.Buffer.Empty true 0.4\nNetStream.Buffer.Flush false 0.4\n"},
    };
    for (const Case& c : cases) {
        auto fetcher = std::make_shared<swftest::StepFetcher>(flv.bytes);
        std::string trace;
        swf::Player player;
        swftest::openFromWeb(player, fetcher, movieOf(streamScript(c.reaction)), trace);
        for (const std::size_t tags : c.arrived) {
            fetcher->release(tags ? flv.tagEnds[tags - 1] : 0);
            player.advance();
        }
        fetcher->release(flv.bytes.size());
        for (int i = 0; i < 30; ++i)
            player.advance();
        EXPECT_EQ(trace, c.heard) << c.what;
    }
}

// Sound tags of 100 ms, 16-bit PCM at 44.1 kHz, each at a level of its
// own: what is heard tells which is playing.
constexpr int kSoundTags = 20;

std::int16_t levelOf(int tag)
{
    return std::int16_t(1000 + 500 * tag);
}

std::vector<std::uint8_t> levelledFile()
{
    swftest::FlvAudioTrack track;
    track.format = 0x3E;
    for (int tag = 0; tag < kSoundTags; ++tag) {
        std::vector<std::uint8_t> packet;
        for (int i = 0; i < 4410; ++i)
            packet.insert(packet.end(), {std::uint8_t(levelOf(tag)), std::uint8_t(levelOf(tag) >> 8)});
        track.packets.push_back(std::move(packet));
        track.times.push_back(std::uint32_t(tag) * 100);
    }
    return swftest::flvFileOf({}, 100, track);
}

struct Cue {
    int frame;
    const char* method;
    double argument;
    const char* object = "ns";
};

// ns plays the file; on the frames the cues name it (or the clip its sound
// is attached to) is told to pause, go on or seek; each frame traces
// "frame time", and "start" comes with Play.Start. With `attached`, the
// sound plays through clip "a", whose Sound is at half volume.
ActionWriter cuedScript(const std::vector<Cue>& cues, bool attached)
{
    ActionWriter w;
    w.push("nc", 0, "NetConnection").op(ActionCode::NewObject).op(ActionCode::SetVariable);
    w.pushValues({swftest::PushValue::null(), 1, "nc"}).op(ActionCode::GetVariable).push("connect").op(ActionCode::CallMethod).op(ActionCode::Pop);
    w.push("ns", "nc").op(ActionCode::GetVariable).push(1, "NetStream").op(ActionCode::NewObject).op(ActionCode::SetVariable);
    ActionWriter started;
    started.push("info").op(ActionCode::GetVariable).push("code").op(ActionCode::GetMember).push("NetStream.Play.Start").op(ActionCode::Equals2);
    started.op(ActionCode::Not).branchIf("other").push("start").op(ActionCode::Trace).label("other");
    w.push("ns").op(ActionCode::GetVariable).push("onStatus").defineFunction("", {"info"}, started).op(ActionCode::SetMember);
    w.push("n", 0).op(ActionCode::SetVariable);
    if (attached) {
        w.push(1, "a", 2, "_root").op(ActionCode::GetVariable).push("createEmptyMovieClip").op(ActionCode::CallMethod).op(ActionCode::Pop);
        w.push("ns").op(ActionCode::GetVariable).push(1, "a").op(ActionCode::GetVariable).push("attachAudio").op(ActionCode::CallMethod).op(ActionCode::Pop);
        w.push("s", "a").op(ActionCode::GetVariable).push(1, "Sound").op(ActionCode::NewObject).op(ActionCode::SetVariable);
        w.push(50, 1, "s").op(ActionCode::GetVariable).push("setVolume").op(ActionCode::CallMethod).op(ActionCode::Pop);
    }
    ActionWriter frame;
    frame.push("n", "n").op(ActionCode::GetVariable).push(1).op(ActionCode::Add2).op(ActionCode::SetVariable);
    for (std::size_t i = 0; i < cues.size(); ++i) {
        const std::string skip = "cue" + std::to_string(i);
        frame.push("n").op(ActionCode::GetVariable).push(cues[i].frame).op(ActionCode::Equals2).op(ActionCode::Not).branchIf(skip);
        frame.push(cues[i].argument, 1, cues[i].object).op(ActionCode::GetVariable).push(cues[i].method).op(ActionCode::CallMethod).op(ActionCode::Pop);
        frame.label(skip);
    }
    frame.push("n").op(ActionCode::GetVariable).push(" ").op(ActionCode::Add2);
    frame.push("ns").op(ActionCode::GetVariable).push("time").op(ActionCode::GetMember).op(ActionCode::Add2).op(ActionCode::Trace);
    w.push("_root").op(ActionCode::GetVariable).push("onEnterFrame").defineFunction("", {}, frame).op(ActionCode::SetMember);
    w.push("clip.flv", 1, "ns").op(ActionCode::GetVariable).push("play").op(ActionCode::CallMethod).op(ActionCode::Pop);
    w.op(ActionCode::Stop);
    return w;
}

// Each frame's sound, mixed as the control mixes it after the frame, is
// the tag due at the stream's time then: from the start, after a pause
// (silent while it lasts) and after seeks either way, at the levels of
// the clip it is attached to; and once the stream has ended, nothing.
TEST(NetStreamScript, TheSoundOfAStreamIsHeardInStepWithItsTime)
{
    const struct Case {
        const char* what;
        std::vector<Cue> cues;
        int pausedFrom = 0, pausedUntil = 0; // frames, the second not paused
        bool attached = false;
    } cases[] {
        {"played through", {}},
        {"paused and resumed", {{5, "pause", 1}, {9, "pause", 0}}, 5, 9},
        {"a seek ahead and one back", {{4, "seek", 1.5}, {6, "seek", 0.2}}},
        {"attached to a clip, then detached", {{7, "attachAudio", 0, "a"}}, 7, 1000, true},
    };
    const std::vector<std::uint8_t> file = levelledFile();
    for (const Case& c : cases) {
        auto fetcher = std::make_shared<swftest::StepFetcher>(file);
        fetcher->release(file.size());
        std::string trace;
        swf::Player player;
        swftest::openFromWeb(player, fetcher, movieOf(cuedScript(c.cues, c.attached)), trace);
        bool started = false;
        int checked = 0;
        for (int i = 0; i < 40; ++i) {
            trace.clear();
            player.advance();
            std::vector<std::int16_t> mix(2 * 4410);
            player.mixAudio(mix);
            started = started || trace.find("start\n") != std::string::npos;
            int frame = 0;
            double time = 0;
            const std::size_t lastLine = trace.find_last_of('\n', trace.size() - 2);
            const std::string last = trace.substr(lastLine == std::string::npos ? 0 : lastLine + 1);
            ASSERT_EQ(std::sscanf(last.c_str(), "%d %lf", &frame, &time), 2) << c.what << ": " << trace;
            const auto tag = int(std::lround(time * 10));
            const bool paused = frame >= c.pausedFrom && frame < c.pausedUntil;
            if (!started || tag >= kSoundTags - 1)
                continue;
            EXPECT_EQ(mix[4410], paused ? 0 : levelOf(tag) / (c.attached ? 2 : 1)) << c.what << ", frame " << frame << " at " << time;
            ++checked;
        }
        EXPECT_GE(checked, 15) << c.what;
        std::vector<std::int16_t> after(2 * 4410);
        player.mixAudio(after);
        EXPECT_EQ(after[4410], 0) << c.what << ": the stream has ended";
    }
}

} // namespace
