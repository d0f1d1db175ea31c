// NetStream playing a file from the web as it arrives: it starts once its
// buffer time's worth has come, waits when playing catches up with the
// file, and goes on when more has come.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/ActionWriter.h"
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

} // namespace
