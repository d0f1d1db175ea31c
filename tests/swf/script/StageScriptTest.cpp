// The machine in the player: movies whose frames carry actions, played
// through the Player as the tool and the control play them, checked by
// what they trace and what the display tree holds.

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "support/ActionWriter.h"
#include "support/SwfShapes.h"
#include "support/SwfWriter.h"
#include "swf/Player.h"
#include "swf/read/TagCode.h"
#include "swf/runtime/SpriteInstance.h"
#include "swf/runtime/Stage.h"

namespace {

using swftest::ActionCode;
using swftest::ActionWriter;

// A movie of one DoAction per frame.
std::vector<std::uint8_t> movieOf(const std::vector<ActionWriter>& frames)
{
    swftest::SwfWriter writer;
    writer.setVersion(8).setFrameSize(100, 100).setFrameRate(12).setFrameCount(std::uint16_t(frames.size()));
    for (const ActionWriter& frame : frames) {
        const std::vector<std::uint8_t> body = frame.build();
        writer.tag(std::uint16_t(swf::TagCode::DoAction), body).showFrame();
    }
    return writer.end().build();
}

struct MovieRun {
    std::string trace;
    swf::Player player;
};

void play(MovieRun& run, const std::vector<ActionWriter>& frames, int advances)
{
    run.player.setTraceOutput([&](std::string_view line) { run.trace.append(line).append("\n"); });
    const std::vector<std::uint8_t> bytes = movieOf(frames);
    run.player.open();
    run.player.feed(bytes);
    run.player.finish();
    for (int i = 0; i < advances && !run.player.quitRequested(); ++i)
        run.player.advance();
}

ActionWriter traced(const std::string& text)
{
    ActionWriter w;
    w.push(text.c_str()).op(ActionCode::Trace);
    return w;
}

// c = _root.createEmptyMovieClip("c", depth)
ActionWriter& createClip(ActionWriter& w, int depth)
{
    return w.push("c", depth, "c", 2, "_root").op(ActionCode::GetVariable).push("createEmptyMovieClip").op(ActionCode::CallMethod).op(
        ActionCode::SetVariable);
}

ActionWriter traceExpression(const char* path)
{
    ActionWriter w;
    w.push(path).op(ActionCode::GetVariable).op(ActionCode::Trace);
    return w;
}

} // namespace

TEST(StageScript, FramesRunTheirActionsAndScriptMovesTheTimeline)
{
    ActionWriter stopHere = traced("first");
    stopHere.op(ActionCode::Stop);
    ActionWriter jump = traced("first");
    jump.gotoFrame(2).op(ActionCode::Stop);
    ActionWriter next;
    next.op(ActionCode::NextFrame);
    ActionWriter runaway;
    runaway.label("again").jump("again");

    struct Case {
        const char* name;
        std::vector<ActionWriter> frames;
        int advances;
        std::string trace;
        int frame; // where the main timeline ends, from 0
    };
    const std::vector<Case> cases {
        {"plays on", {traced("a"), traced("b"), traced("c")}, 3, "a\nb\nc\na\n", 0},
        {"stop holds the timeline", {stopHere, traced("never")}, 3, "first\n", 0},
        {"goto runs the frame gone to", {jump, traced("skipped"), traced("third")}, 2, "first\nthird\n", 2},
        {"nextFrame steps and stops", {next, traced("second"), traced("never")}, 3, "second\n", 1},
        {"a runaway script stops, the movie goes on", {runaway, traced("after")}, 1, "after\n", 1},
    };
    for (const Case& c : cases) {
        MovieRun run;
        play(run, c.frames, c.advances);
        EXPECT_EQ(run.trace, c.trace) << c.name;
        EXPECT_EQ(run.player.currentFrame(), c.frame) << c.name;
    }
}

TEST(StageScript, RunawayScriptLeavesADiagnostic)
{
    ActionWriter runaway;
    runaway.label("again").jump("again");
    MovieRun run;
    play(run, {runaway}, 0);
    bool reported = false;
    for (const swf::Diagnostic& d : run.player.diagnostics())
        reported = reported || d.message.find("script") != std::string::npos;
    EXPECT_TRUE(reported);
}

TEST(StageScript, PlacementPropertiesActOnTheDisplayObject)
{
    ActionWriter frame;
    createClip(frame, 5);
    frame.push("c._x", 12.5).op(ActionCode::SetVariable);
    frame.push("c._alpha", 50).op(ActionCode::SetVariable);
    frame.push("c._visible", false).op(ActionCode::SetVariable);
    frame.push("c._name", "d").op(ActionCode::SetVariable);
    ActionWriter read = traceExpression("d._x");
    read.push("d._alpha").op(ActionCode::GetVariable).op(ActionCode::Trace);
    read.push("d._target").op(ActionCode::GetVariable).op(ActionCode::Trace);
    read.push("_root._currentframe").op(ActionCode::GetVariable).op(ActionCode::Trace);
    read.op(ActionCode::Stop);

    MovieRun run;
    play(run, {frame, read}, 1);
    EXPECT_EQ(run.trace, "12.5\n50\n/d\n2\n");
    const swf::DisplayObject* made = run.player.stage()->root()->childAt(16384 + 5);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->matrix().tx, 250);
    EXPECT_EQ(made->colorTransform().aMult, 128);
    EXPECT_FALSE(made->isVisible());
    EXPECT_EQ(made->name(), "d");
}

TEST(StageScript, ReferenceToARemovedClipReachesTheOneMadeAtItsPath)
{
    ActionWriter frame;
    createClip(frame, 1);
    frame.push("keep").push("c").op(ActionCode::GetVariable).op(ActionCode::SetVariable);
    frame.push("inner", 1, "d", 2, "c").op(ActionCode::GetVariable).push("createEmptyMovieClip").op(ActionCode::CallMethod);
    frame.op(ActionCode::SetVariable);
    frame.push(0, "keep").op(ActionCode::GetVariable).push("removeMovieClip").op(ActionCode::CallMethod).op(ActionCode::Pop);
    ActionWriter later;
    createClip(later, 7);
    ActionWriter read;
    read.push(0, "keep").op(ActionCode::GetVariable).push("getDepth").op(ActionCode::CallMethod).op(ActionCode::Trace);
    // What the removed clip held went with it, and nothing is there now.
    read.push("inner._name").op(ActionCode::GetVariable).op(ActionCode::Trace).op(ActionCode::Stop);

    MovieRun run;
    play(run, {frame, later, read}, 2);
    EXPECT_EQ(run.trace, "7\nundefined\n");
}

// A clip with an unload handler in it stays on stage, moved below every
// depth, until the handlers have run after the code that removed it; only
// what has handlers stays inside it, unless it has one itself.
TEST(StageScript, RemovedClipsWithUnloadHandlersWaitBelowEveryDepthForThem)
{
    struct Case {
        const char* name;
        const char* handlerOn; // path of the clip given onUnload, or null
        const char* expected;
    };
    const Case cases[] = {
        {"on the clip", "c", "-32769|_level0.c.a 0|_level0.c.b 1|>_level0.c|gone|"},
        {"on a child", "c.b", "-32769|undefined|_level0.c.b 1|>_level0.c.b|gone|"},
        {"none", nullptr, "undefined|undefined|undefined|gone|"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        ActionWriter frame;
        frame.push(0, "c", 2, "_root").op(ActionCode::GetVariable).push("createEmptyMovieClip").op(ActionCode::CallMethod).op(
            ActionCode::Pop);
        for (const auto& [name, depth] : {std::pair {"a", 0}, std::pair {"b", 1}})
            frame.push(depth, name, 2, "c").op(ActionCode::GetVariable).push("createEmptyMovieClip").op(ActionCode::CallMethod).op(
                ActionCode::Pop);
        ActionWriter handler;
        handler.push(">").push("this").op(ActionCode::GetVariable).op(ActionCode::Add2).op(ActionCode::Trace);
        if (test.handlerOn)
            frame.push(test.handlerOn).op(ActionCode::GetVariable).push("onUnload").defineFunction("", {}, handler).op(
                ActionCode::SetMember);
        frame.push(0, "c").op(ActionCode::GetVariable).push("removeMovieClip").op(ActionCode::CallMethod).op(ActionCode::Pop);
        frame.push(0, "_level0.c").op(ActionCode::GetVariable).push("getDepth").op(ActionCode::CallMethod).op(ActionCode::Trace);
        for (const char* child : {"_level0.c.a", "_level0.c.b"}) {
            // "path depth" of a child still there, else undefined.
            frame.push(child).op(ActionCode::GetVariable).push(" ").op(ActionCode::Add2);
            frame.push(0, child).op(ActionCode::GetVariable).push("getDepth").op(ActionCode::CallMethod).op(ActionCode::Add2);
            frame.push(child).op(ActionCode::GetVariable).op(ActionCode::TypeOf).push("undefined").op(ActionCode::Equals2);
            frame.branchIf("missing" + std::string(child)).op(ActionCode::Trace).jump("next" + std::string(child));
            frame.label("missing" + std::string(child)).op(ActionCode::Pop).push("undefined").op(ActionCode::Trace);
            frame.label("next" + std::string(child));
        }
        ActionWriter later;
        later.push("_level0.c").op(ActionCode::GetVariable).op(ActionCode::TypeOf).push("undefined").op(ActionCode::Equals2);
        later.branchIf("gone").push("still there").op(ActionCode::Trace).jump("end");
        later.label("gone").push("gone").op(ActionCode::Trace).label("end").op(ActionCode::Stop);

        MovieRun run;
        play(run, {frame, later}, 2);
        std::string expected = test.expected;
        std::replace(expected.begin(), expected.end(), '|', '\n');
        EXPECT_EQ(run.trace, expected);
    }
}

// References and targets after script removes a clip, and targets named
// inside functions, on the real stage.
TEST(StageScript, RemovedClipsLeaveReferencesAndTargetsDanglingAtOnce)
{
    const auto make = [](ActionWriter& w, const char* variable, const char* name, int depth) {
        w.push(variable, depth, name, 2, "_root").op(ActionCode::GetVariable);
        w.push("createEmptyMovieClip").op(ActionCode::CallMethod).op(ActionCode::SetVariable);
    };
    const auto remove = [](ActionWriter& w, const char* variable) {
        w.push(0, variable).op(ActionCode::GetVariable).push("removeMovieClip").op(ActionCode::CallMethod).op(ActionCode::Pop);
    };
    ActionWriter dangling;
    make(dangling, "x", "b", 1);
    remove(dangling, "x");
    dangling.push("x").op(ActionCode::GetVariable).op(ActionCode::Trace);

    // A clip as a target is taken by its path: the first clip of the name.
    ActionWriter byPath;
    make(byPath, "first", "same", 1);
    make(byPath, "second", "same", 2);
    byPath.push("second").op(ActionCode::GetVariable).op(ActionCode::SetTarget2);
    byPath.push(0, "getDepth").op(ActionCode::CallFunction).op(ActionCode::Trace).setTarget("");

    // A target taken away leaves the code's own timeline to read from.
    ActionWriter gone;
    gone.push("v", "root's").op(ActionCode::SetVariable);
    make(gone, "t", "t", 1);
    gone.push("t").op(ActionCode::GetVariable).push("v", "clip's").op(ActionCode::SetMember);
    gone.push("t").op(ActionCode::GetVariable).op(ActionCode::SetTarget2);
    gone.push("v").op(ActionCode::GetVariable).op(ActionCode::Trace);
    gone.push("_root.t").op(ActionCode::GetVariable).op(ActionCode::RemoveSprite);
    gone.push("v").op(ActionCode::GetVariable).op(ActionCode::Trace).setTarget("");

    // A function assigns to its own timeline unless it names a target.
    ActionWriter inFunction;
    ActionWriter body;
    body.setTarget("t").push("v", 42).op(ActionCode::SetVariable);
    inFunction.defineFunction("f", {}, body);
    make(inFunction, "t", "t", 1);
    inFunction.push(0, "f").op(ActionCode::CallFunction).op(ActionCode::Pop);
    inFunction.push("t").op(ActionCode::GetVariable).push("v").op(ActionCode::GetMember).op(ActionCode::Trace);
    inFunction.push("v").op(ActionCode::GetVariable).op(ActionCode::Trace);

    for (const auto& [code, expected] : {std::pair {&dangling, "\n"}, std::pair {&byPath, "1\n"}, std::pair {&gone, "clip's\nroot's\n"},
                                         std::pair {&inFunction, "42\nundefined\n"}}) {
        MovieRun run;
        play(run, {*code}, 1);
        EXPECT_EQ(run.trace, expected);
    }
}

// _xscale, _yscale and _rotation read back as script set them, sign and
// all, while the matrix is the one they made.
TEST(StageScript, ScaleAndRotationReadBackAsScriptSetThem)
{
    struct Case {
        const char* property;
        double set;
        const char* read;
    };
    const Case cases[] = {
        {"_xscale", -42, "-42"},
        {"_yscale", -250, "-250"},
        {"_rotation", 190, "-170"},
        {"_rotation", std::numeric_limits<double>::infinity(), "NaN"},
        {"_rotation", std::numeric_limits<double>::quiet_NaN(), "0"},
        {"_xscale", std::numeric_limits<double>::quiet_NaN(), "100"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.property + std::string(" ") + std::to_string(test.set));
        ActionWriter frame;
        createClip(frame, 1);
        frame.push("c").op(ActionCode::GetVariable).push(test.property, test.set).op(ActionCode::SetMember);
        frame.push("c").op(ActionCode::GetVariable).push(test.property).op(ActionCode::GetMember).op(ActionCode::Trace);
        MovieRun run;
        play(run, {frame}, 1);
        EXPECT_EQ(run.trace, test.read + std::string("\n"));
    }
}

// A stream's error with no handler of the stream's own reaches
// System.onStatus; one with a handler does not.
TEST(StageScript, StreamErrorsWithoutAHandlerGoToSystemOnStatus)
{
    for (const bool own : {false, true}) {
        ActionWriter frame;
        frame.push("nc", 0, "NetConnection").op(ActionCode::NewObject).op(ActionCode::SetVariable);
        frame.pushValues({swftest::PushValue::null(), 1, "nc"}).op(ActionCode::GetVariable).push("connect").op(ActionCode::CallMethod).op(ActionCode::Pop);
        frame.push("ns", "nc").op(ActionCode::GetVariable).push(1, "NetStream").op(ActionCode::NewObject).op(ActionCode::SetVariable);
        ActionWriter heard;
        heard.push("info").op(ActionCode::GetVariable).push("code").op(ActionCode::GetMember).op(ActionCode::Trace);
        frame.push("System").op(ActionCode::GetVariable).push("onStatus").defineFunction("", {"info"}, heard).op(ActionCode::SetMember);
        if (own) {
            ActionWriter mine;
            mine.push("stream's own").op(ActionCode::Trace);
            frame.push("ns").op(ActionCode::GetVariable).push("onStatus").defineFunction("", {"info"}, mine).op(ActionCode::SetMember);
        }
        frame.push("no-such-file.flv", 1, "ns").op(ActionCode::GetVariable).push("play").op(ActionCode::CallMethod).op(ActionCode::Pop);
        frame.op(ActionCode::Stop);
        MovieRun run;
        play(run, {frame}, 4);
        EXPECT_EQ(run.trace, own ? "stream's own\n" : "NetStream.Play.StreamNotFound\n");
    }
}

TEST(StageScript, PlacedAndDuplicatedClipsRunTheirHandlersInOrderAndHaveTheSizeOfWhatTheyHold)
{
    // A 100 x 50 pixel rectangle inside a sprite whose frame traces.
    swftest::RectShape rect;
    rect.width = 2000;
    rect.height = 1000;
    const std::vector<std::uint8_t> childCode = traced("child").build();
    const std::vector<std::uint8_t> sprite = swftest::defineSprite(
        2, {{swftest::tagBytes(26, swftest::placeObject2({1, std::uint16_t(1)})), swftest::tagBytes(std::uint16_t(swf::TagCode::DoAction), childCode)}});

    // PlaceObject2 of the sprite named "s" with onClipEvent(load).
    const std::vector<std::uint8_t> onLoad = traced("load").build();
    std::vector<std::uint8_t> place {0x80 | 0x20 | 0x02, 1, 0, 2, 0, 's', 0, 0, 0, 0, 0, 0, 0};
    const auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            place.push_back(std::uint8_t(v >> (8 * i)));
    };
    u32(1); // load
    u32(std::uint32_t(onLoad.size()));
    place.insert(place.end(), onLoad.begin(), onLoad.end());
    u32(0);

    ActionWriter root = traced("root");
    root.push("s._width").op(ActionCode::GetVariable).op(ActionCode::Trace);
    root.push("s._width", 50).op(ActionCode::SetVariable);
    root.push("s._xscale").op(ActionCode::GetVariable).op(ActionCode::Trace);
    // A copy answers the same events and has the placement of the original.
    root.push("s", "t", 16384 + 5).op(ActionCode::CloneSprite);
    root.push("t._width").op(ActionCode::GetVariable).op(ActionCode::Trace);
    const std::vector<std::uint8_t> rootCode = root.build();

    swftest::SwfWriter writer;
    writer.setVersion(8).setFrameSize(200, 200).setFrameCount(1);
    writer.tag(32, swftest::defineShape3(rect)).tag(39, sprite).tag(26, place);
    writer.tag(std::uint16_t(swf::TagCode::DoAction), rootCode).showFrame();
    const std::vector<std::uint8_t> bytes = writer.end().build();

    std::string trace;
    swf::Player player;
    player.setTraceOutput([&](std::string_view line) { trace.append(line).append("\n"); });
    player.open();
    player.feed(bytes);
    player.finish();
    // The clip is placed before the root's code: it loads first.
    EXPECT_EQ(trace, "load\nchild\nroot\n100\n50\n50\nload\nchild\n");
}

namespace {

// PlaceObject2 of character 1 at `depth` named `name`, whose onClipEvent
// handlers trace "load NAME" and "unload NAME".
std::vector<std::uint8_t> placeTracingClip(std::uint16_t depth, char name)
{
    std::vector<std::uint8_t> place {0x80 | 0x20 | 0x02, std::uint8_t(depth), 0, 1, 0, std::uint8_t(name), 0, 0, 0, 0, 0, 0, 0};
    const auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            place.push_back(std::uint8_t(v >> (8 * i)));
    };
    for (const auto& [event, word] : {std::pair {1u, "load "}, std::pair {4u, "unload "}}) {
        const std::vector<std::uint8_t> code = traced(word + std::string(1, name)).build();
        u32(event);
        u32(std::uint32_t(code.size()));
        place.insert(place.end(), code.begin(), code.end());
    }
    u32(0);
    return swftest::tagBytes(26, place);
}

std::vector<std::uint8_t> doAction(const ActionWriter& code)
{
    return swftest::tagBytes(std::uint16_t(swf::TagCode::DoAction), code.build());
}

} // namespace

// The reference player queues a frame's code and the loads of the clips
// it places in tag order, and runs what a jump queues after what was
// queued before it: the frame gone to's loads and code, then its unloads.
TEST(StageScript, FrameCodeLoadsAndUnloadsRunInTheOrderTheyWereQueued)
{
    ActionWriter toSecond = traced("f0");
    toSecond.gotoFrame(1).op(ActionCode::Stop);
    ActionWriter back = traced("back");
    back.gotoFrame(0).op(ActionCode::Stop);
    const std::vector<std::uint8_t> removeA = swftest::tagBytes(28, {1, 0});
    struct Case {
        const char* name;
        std::vector<std::vector<std::vector<std::uint8_t>>> frames;
        int advances;
        std::string trace;
    };
    const std::vector<Case> cases {
        {"code after a place", {{placeTracingClip(1, 'A'), doAction(traced("f0"))}}, 0, "load A\nf0\n"},
        {"code before a place", {{doAction(traced("f0")), placeTracingClip(1, 'A')}}, 0, "f0\nload A\n"},
        {"a jump one frame on",
         {{placeTracingClip(1, 'A'), doAction(toSecond)}, {removeA, doAction(traced("f1")), placeTracingClip(2, 'B')}},
         0,
         "load A\nf0\nunload A\nf1\nload B\n"},
        {"a jump back",
         {{placeTracingClip(1, 'A'), doAction(traced("f0"))},
          {removeA, doAction(traced("f1")), placeTracingClip(2, 'B'), doAction(back)}},
         1,
         "load A\nf0\nunload A\nf1\nload B\nback\nload A\nf0\nunload B\n"},
    };
    for (const Case& c : cases) {
        swftest::SwfWriter writer;
        writer.setVersion(8).setFrameSize(100, 100).setFrameCount(std::uint16_t(c.frames.size()));
        writer.tag(39, swftest::defineSprite(1, {{}}));
        for (const auto& frame : c.frames) {
            for (const auto& tag : frame)
                writer.raw(tag);
            writer.showFrame();
        }
        const std::vector<std::uint8_t> bytes = writer.end().build();
        std::string trace;
        swf::Player player;
        player.setTraceOutput([&](std::string_view line) { trace.append(line).append("\n"); });
        player.open();
        player.feed(bytes);
        player.finish();
        for (int i = 0; i < c.advances; ++i)
            player.advance();
        EXPECT_EQ(trace, c.trace) << c.name;
    }
}

// Before version 7 attachMovie hands its init object to the clip before
// the clip's first frame fills it; a size set on a clip with nothing in
// it scales it to nothing, both ways.
TEST(StageScript, InitObjectSizesAnAttachedClipBeforeItsContentFromVersion7Only)
{
    swftest::RectShape rect;
    rect.width = 2000;
    rect.height = 1000;
    const std::vector<std::uint8_t> sprite =
        swftest::defineSprite(2, {{swftest::tagBytes(26, swftest::placeObject2({1, std::uint16_t(1)}))}});
    const std::vector<std::uint8_t> exports {1, 0, 2, 0, 'b', 'o', 'x', 0};
    ActionWriter code;
    code.push("_width", 200, 1).op(ActionCode::InitObject).push(1, "b", "box", 4, "_root").op(ActionCode::GetVariable);
    code.push("attachMovie").op(ActionCode::CallMethod).op(ActionCode::Pop);
    code.push("b._width").op(ActionCode::GetVariable).op(ActionCode::Trace);
    code.push("b._xscale").op(ActionCode::GetVariable).op(ActionCode::Trace);
    createClip(code, 2);
    code.push("c._height", 10).op(ActionCode::SetVariable);
    code.push("c._xscale").op(ActionCode::GetVariable).op(ActionCode::Trace);
    for (const auto& [version, trace] : {std::pair {6, "0\n0\n0\n"}, std::pair {7, "200\n200\n0\n"}}) {
        swftest::SwfWriter writer;
        writer.setVersion(std::uint8_t(version)).setFrameSize(200, 200).setFrameCount(1);
        writer.tag(32, swftest::defineShape3(rect)).tag(39, sprite).tag(56, exports);
        writer.tag(std::uint16_t(swf::TagCode::DoAction), code.build()).showFrame();
        const std::vector<std::uint8_t> bytes = writer.end().build();
        std::string traced;
        swf::Player player;
        player.setTraceOutput([&](std::string_view line) { traced.append(line).append("\n"); });
        player.open();
        player.feed(bytes);
        player.finish();
        EXPECT_EQ(traced, trace) << "version " << version;
    }
}

// A clip's handlers are read from the movie's stream, which moves when
// more of the movie arrives than its header promised room for.
TEST(StageScript, ClipHandlersOutliveTheStreamMovingAsTheMovieArrives)
{
    const std::vector<std::uint8_t> onEnterFrame = traced("tick").build();
    // PlaceObject2 of sprite 1 at depth 1 with onClipEvent(enterFrame).
    std::vector<std::uint8_t> place {0x80 | 0x02, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0};
    const auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            place.push_back(std::uint8_t(v >> (8 * i)));
    };
    u32(2); // enterFrame
    u32(std::uint32_t(onEnterFrame.size()));
    place.insert(place.end(), onEnterFrame.begin(), onEnterFrame.end());
    u32(0);

    swftest::SwfWriter writer;
    writer.setVersion(8).setFrameSize(100, 100).setFrameCount(2);
    writer.tag(39, swftest::defineSprite(1, {{}})).tag(26, place).showFrame();
    // The second frame carries far more than the header says the movie holds.
    writer.tag(77, std::vector<std::uint8_t>(60'000, 'x')).showFrame();
    std::vector<std::uint8_t> bytes = writer.end().build();
    const std::size_t firstFrame = bytes.size() - 60'000 - 6 - 2 - 2;
    for (int i = 0; i < 4; ++i)
        bytes[4 + std::size_t(i)] = std::uint8_t(firstFrame >> (8 * i));

    std::string trace;
    swf::Player player;
    player.setTraceOutput([&](std::string_view line) { trace.append(line).append("\n"); });
    player.open();
    player.feed(std::span(bytes).first(firstFrame));
    player.advance();
    player.feed(std::span(bytes).subspan(firstFrame));
    player.finish();
    player.advance();
    player.advance();
    EXPECT_EQ(trace, "tick\ntick\ntick\n");
}

// attachMovie finds an export whatever the case of its ASCII letters, and
// other letters only as they are.
TEST(StageScript, ExportNamesMatchWithoutRegardToAsciiCase)
{
    std::vector<std::uint8_t> exports {1, 0, 1, 0};
    for (const char c : std::string("eXport\xC3\x9C"))
        exports.push_back(std::uint8_t(c));
    exports.push_back(0);
    ActionWriter code;
    int depth = 0;
    for (const char* asked : {"EXPORT\xC3\x9C", "export\xC3\x9C", "export\xC3\xBC"}) {
        code.push(depth, "made", asked, 3, "attachMovie").op(ActionCode::CallFunction).op(ActionCode::Pop);
        code.push("made").op(ActionCode::GetVariable).op(ActionCode::TypeOf).op(ActionCode::Trace);
        code.push(0, "made").op(ActionCode::GetVariable).push("removeMovieClip").op(ActionCode::CallMethod).op(ActionCode::Pop);
        ++depth;
    }
    code.op(ActionCode::Stop);
    swftest::SwfWriter writer;
    writer.setVersion(8).setFrameSize(100, 100).setFrameCount(1);
    writer.tag(39, swftest::defineSprite(1, {{}})).tag(std::uint16_t(swf::TagCode::ExportAssets), exports);
    writer.tag(std::uint16_t(swf::TagCode::DoAction), code.build()).showFrame();
    const std::vector<std::uint8_t> bytes = writer.end().build();
    MovieRun run;
    run.player.setTraceOutput([&](std::string_view line) { run.trace.append(line).append("\n"); });
    run.player.open();
    run.player.feed(bytes);
    run.player.finish();
    run.player.advance();
    EXPECT_EQ(run.trace, "movieclip\nmovieclip\nundefined\n");
}
