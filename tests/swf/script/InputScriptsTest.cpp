// Script answering the pointer and the keyboard: a clip's onClipEvent
// handlers and on- methods, the Key and Mouse objects and their listeners,
// played through the player with synthetic input.

#include <gtest/gtest.h>

#include <cstring>
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
using Bytes = std::vector<std::uint8_t>;

ActionWriter traced(const std::string& text)
{
    ActionWriter w;
    w.push(text).op(ActionCode::Trace);
    return w;
}

// trace(<what> + " " + <expression read as a variable>)
ActionWriter tracedWith(const std::string& what, const std::string& variable)
{
    ActionWriter w;
    w.push(what + " ").push(variable).op(ActionCode::GetVariable).op(ActionCode::Add2).op(ActionCode::Trace);
    return w;
}

// `object.method = function () { body }`
void assignMethod(ActionWriter& w, const std::string& object, const std::string& method, const ActionWriter& body)
{
    w.push(object).op(ActionCode::GetVariable).push(method).defineFunction("", {}, body).op(ActionCode::SetMember);
}

// A 100-pixel square in sprite 2, placed at (100, 100) as "s" with these
// onClipEvent handlers, and the frame code `code`. With `buttonFrames`
// the sprite has three frames labelled as a button's states.
Bytes clipMovie(const std::vector<std::pair<std::uint32_t, ActionWriter>>& handlers, const ActionWriter& code,
                bool buttonFrames = false)
{
    swftest::RectShape rect;
    std::vector<std::vector<Bytes>> frames {{swftest::tagBytes(26, swftest::placeObject2({1, std::uint16_t(1)}))}};
    if (buttonFrames) {
        frames.resize(3);
        const char* labels[] {"_up", "_over", "_down"};
        for (int i = 0; i < 3; ++i)
            frames[std::size_t(i)].push_back(swftest::tagBytes(43, Bytes(labels[i], labels[i] + std::strlen(labels[i]) + 1)));
    }
    const Bytes sprite = swftest::defineSprite(2, frames);
    swftest::Placement placement;
    placement.depth = 1;
    placement.characterId = 2;
    placement.matrix = swf::Matrix {1, 0, 0, 1, 2000, 2000};
    Bytes place = swftest::placeObject2(placement);
    place[0] |= 0x20 | (handlers.empty() ? 0 : 0x80);
    place.insert(place.end(), {'s', 0});
    const auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            place.push_back(std::uint8_t(v >> (8 * i)));
    };
    if (!handlers.empty()) {
        place.insert(place.end(), {0, 0});
        std::uint32_t all = 0;
        for (const auto& handler : handlers)
            all |= handler.first;
        u32(all);
        for (const auto& [events, body] : handlers) {
            Bytes bytes = body.build();
            // Key press handlers here all answer "x".
            if (events & (1u << 17))
                bytes.insert(bytes.begin(), 'x');
            u32(events);
            u32(std::uint32_t(bytes.size()));
            place.insert(place.end(), bytes.begin(), bytes.end());
        }
        u32(0);
    }
    swftest::SwfWriter writer;
    writer.setVersion(8).setFrameSize(400, 400).setFrameCount(1);
    writer.tag(32, swftest::defineShape3(rect)).tag(39, sprite).tag(26, place);
    writer.tag(std::uint16_t(swf::TagCode::DoAction), code.build()).showFrame();
    return writer.end().build();
}

struct InputRun {
    swf::Player player;
    std::string trace;

    explicit InputRun(const Bytes& movie)
    {
        player.setTraceOutput([this](std::string_view line) { trace.append(line).append("|"); });
        player.open();
        player.feed(movie);
        player.finish();
        trace.clear();
    }
    std::string take() { return std::exchange(trace, {}); }
    void moveTo(double x, double y) { player.pointerMove(x * 20, y * 20); }
};

TEST(InputScripts, ClipEventsAnswerThePointerAndKeys)
{
    constexpr std::uint32_t kMouseMove = 1u << 3, kMouseDown = 1u << 4, kMouseUp = 1u << 5, kKeyDown = 1u << 6,
                            kKeyUp = 1u << 7, kPress = 1u << 10, kRelease = 1u << 11, kRollOver = 1u << 13,
                            kRollOut = 1u << 14, kKeyPress = 1u << 17;
    ActionWriter keyDown;
    keyDown.push("keyDown ").push(0, "Key").op(ActionCode::GetVariable).push("getCode").op(ActionCode::CallMethod);
    keyDown.op(ActionCode::Add2).op(ActionCode::Trace);
    InputRun run(clipMovie({{kMouseMove, tracedWith("move", "_xmouse")}, {kMouseDown, traced("down")}, {kMouseUp, traced("up")},
                       {kKeyDown, keyDown}, {kKeyUp, traced("keyUp")}, {kPress, traced("press")},
                       {kRelease, traced("release")}, {kRollOver, traced("over")}, {kRollOut, traced("out")},
                       {kKeyPress, traced("x pressed")}},
                      ActionWriter()));
    run.moveTo(150, 120);
    EXPECT_EQ(run.take(), "over|move 50|");
    EXPECT_EQ(run.player.cursor(), swf::Player::Cursor::Hand);
    run.player.pointerPress();
    EXPECT_EQ(run.take(), "down|press|");
    run.player.pointerRelease();
    EXPECT_EQ(run.take(), "up|release|");
    run.moveTo(20, 20);
    EXPECT_EQ(run.take(), "out|move -80|");
    EXPECT_EQ(run.player.cursor(), swf::Player::Cursor::Arrow);
    run.player.keyDown(37, 0);
    run.player.keyUp(37, 0);
    EXPECT_EQ(run.take(), "keyDown 37|keyUp|");
    run.player.keyDown(88, 'x');
    EXPECT_EQ(run.take(), "keyDown 88|x pressed|");
}

TEST(InputScripts, MethodsListenersAndTheClipsProperties)
{
    ActionWriter code;
    assignMethod(code, "s", "onPress", traced("onPress"));
    assignMethod(code, "s", "onReleaseOutside", traced("onReleaseOutside"));
    assignMethod(code, "s", "onMouseDown", traced("onMouseDown"));
    // l = new Object(); l.onKeyUp = ...; l.onMouseWheel = ...; Key and Mouse listen.
    code.push("l").push(0, "Object").op(ActionCode::NewObject).op(ActionCode::SetVariable);
    ActionWriter wheel;
    wheel.push("wheel ").push("delta").op(ActionCode::GetVariable).op(ActionCode::Add2).op(ActionCode::Trace);
    code.push("l").op(ActionCode::GetVariable).push("onMouseWheel").defineFunction("", {"delta"}, wheel).op(ActionCode::SetMember);
    ActionWriter keyUp;
    keyUp.push("isDown ").push(65, 1, "Key").op(ActionCode::GetVariable).push("isDown").op(ActionCode::CallMethod);
    keyUp.op(ActionCode::Add2).op(ActionCode::Trace);
    code.push("l").op(ActionCode::GetVariable).push("onKeyUp").defineFunction("", {}, keyUp).op(ActionCode::SetMember);
    for (const char* broadcaster : {"Key", "Mouse"}) {
        code.push("l").op(ActionCode::GetVariable).push(1, broadcaster).op(ActionCode::GetVariable);
        code.push("addListener").op(ActionCode::CallMethod).op(ActionCode::Pop);
    }
    InputRun run(clipMovie({}, code));
    ASSERT_EQ(run.take(), "");

    run.moveTo(150, 150);
    run.player.pointerPress();
    EXPECT_EQ(run.take(), "onMouseDown|onPress|");
    run.moveTo(20, 20);
    run.player.pointerRelease();
    EXPECT_EQ(run.take(), "onReleaseOutside|");
    run.player.wheel(-3);
    EXPECT_EQ(run.take(), "wheel -3|");
    run.player.keyDown(65, 'a');
    run.player.keyDown(66, 'b');
    run.player.keyUp(66, 'b');
    EXPECT_EQ(run.take(), "isDown true|");
}

// What script drew is what the pointer and hitTest find in a clip: a
// square drawn from (10, 10) to (50, 50), its top and left edges outside.
TEST(InputScripts, AClipDrawnByScriptIsHitWhereItDrew)
{
    ActionWriter code;
    code.push(0, "d", 2, "_root").op(ActionCode::GetVariable).push("createEmptyMovieClip").op(ActionCode::CallMethod);
    code.op(ActionCode::Pop);
    const auto call = [&](const std::string& method, std::vector<int> args) {
        for (auto it = args.rbegin(); it != args.rend(); ++it)
            code.push(*it);
        code.push(int(args.size()), "d").op(ActionCode::GetVariable).push(method).op(ActionCode::CallMethod).op(ActionCode::Pop);
    };
    call("beginFill", {0xff0000});
    call("moveTo", {10, 10});
    for (const auto& [x, y] : {std::pair {10, 50}, {50, 50}, {50, 10}, {10, 10}})
        call("lineTo", {x, y});
    call("endFill", {});
    ActionWriter pressed;
    for (const auto& [x, y] : {std::pair {5, 5}, {10, 10}, {15, 15}, {50, 50}}) {
        pressed.push(true, y, x, 3, "d").op(ActionCode::GetVariable).push("hitTest").op(ActionCode::CallMethod);
        pressed.op(ActionCode::Trace);
    }
    assignMethod(code, "d", "onPress", pressed);
    InputRun run(clipMovie({}, code));
    for (const auto& [x, y, heard] : {std::tuple {5, 5, ""}, {30, 30, "false|false|true|true|"}}) {
        run.moveTo(x, y);
        run.player.pointerPress();
        run.player.pointerRelease();
        EXPECT_EQ(run.take(), heard) << x;
    }
}

TEST(InputScripts, ADisabledClipLetsThePointerByAndMouseHideHidesIt)
{
    ActionWriter code;
    assignMethod(code, "s", "onPress", traced("onPress"));
    code.push("s").op(ActionCode::GetVariable).push("enabled", false).op(ActionCode::SetMember);
    code.push(0, "Mouse").op(ActionCode::GetVariable).push("hide").op(ActionCode::CallMethod).op(ActionCode::Trace);
    swf::Player player;
    std::string trace;
    player.setTraceOutput([&](std::string_view line) { trace.append(line).append("|"); });
    const Bytes movie = clipMovie({}, code);
    player.open();
    player.feed(movie);
    player.finish();
    player.pointerMove(3000, 3000);
    player.pointerPress();
    EXPECT_EQ(trace, "1|") << "hide() says the pointer showed; the disabled clip hears no press";
    EXPECT_EQ(player.cursor(), swf::Player::Cursor::Hidden);
}

TEST(InputScripts, AClipActingAsAButtonShowsItsLabelledStateFrames)
{
    ActionWriter code;
    assignMethod(code, "s", "onRelease", traced("onRelease"));
    InputRun run(clipMovie({}, code, true));
    const auto* clip = dynamic_cast<const swf::SpriteInstance*>(run.player.stage()->root()->childAt(1));
    ASSERT_NE(clip, nullptr);
    const struct {
        int op; // 0 move, 1 press, 2 release
        double x, y;
        int frame;
    } steps[] {{0, 150, 150, 1}, {1, 0, 0, 2}, {2, 0, 0, 1}, {0, 10, 10, 0}};
    for (const auto& step : steps) {
        if (step.op == 0)
            run.moveTo(step.x, step.y);
        else if (step.op == 1)
            run.player.pointerPress();
        else
            run.player.pointerRelease();
        EXPECT_EQ(clip->currentFrame(), step.frame) << step.op << " " << step.x;
    }
    EXPECT_EQ(run.take(), "onRelease|");
}

} // namespace
