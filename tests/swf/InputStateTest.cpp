// The pointer and the keyboard through the player, with no widget: button
// transitions and the actions they run, key presses, hit testing on real
// outlines, and dragging.

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "MovieBits.h"
#include "support/ActionWriter.h"
#include "swf/Player.h"
#include "swf/read/TagCode.h"
#include "swf/runtime/ButtonInstance.h"
#include "swf/runtime/InputState.h"
#include "swf/runtime/Stage.h"

namespace {

using namespace movietest;
using swftest::ActionCode;
using swftest::ActionWriter;
using swftest::SwfWriter;

constexpr std::uint16_t kDefineShape3 = +swf::TagCode::DefineShape3;
constexpr std::uint16_t kPlaceObject2 = +swf::TagCode::PlaceObject2;
constexpr std::uint16_t kDefineButton2 = +swf::TagCode::DefineButton2;
constexpr std::uint16_t kDoAction = +swf::TagCode::DoAction;

Bytes rect(std::uint16_t id, std::uint16_t lineWidth = 0)
{
    swftest::RectShape shape;
    shape.id = id;
    shape.lineWidth = lineWidth;
    return swftest::defineShape3(shape);
}

Bytes traceOf(const std::string& text)
{
    ActionWriter w;
    w.push(text).op(ActionCode::Trace);
    return w.build();
}

// Every transition bit of a button, each tracing its name.
const std::vector<std::pair<std::uint16_t, Bytes>>& everyTransition()
{
    static const std::vector<std::pair<std::uint16_t, Bytes>> actions {
        {0x001, traceOf("rollOver")},  {0x002, traceOf("rollOut")},        {0x004, traceOf("press")},
        {0x008, traceOf("release")},   {0x010, traceOf("dragOut")},        {0x020, traceOf("dragOver")},
        {0x040, traceOf("releaseOutside")}, {0x080, traceOf("menuDragOver")}, {0x100, traceOf("menuDragOut")},
        {std::uint16_t('a' << 9), traceOf("key a")}, {std::uint16_t(1 << 9), traceOf("key left")},
    };
    return actions;
}

struct InputRun {
    swf::Player player;
    std::string trace;

    explicit InputRun(const Bytes& movie)
    {
        player.setTraceOutput([this](std::string_view line) { trace.append(line).append(" "); });
        load(player, movie);
    }
    std::string take() { return std::exchange(trace, {}); }
    void moveTo(double xPixels, double yPixels) { player.pointerMove(xPixels * 20, yPixels * 20); }
};

// A 100-pixel button at (100, 100): shape 1 up and hit, 3 over, 4 down.
Bytes buttonMovie(bool menu)
{
    SwfWriter w;
    w.setVersion(8);
    w.tag(kDefineShape3, rect(1)).tag(kDefineShape3, rect(3)).tag(kDefineShape3, rect(4));
    w.tag(kDefineButton2, defineButton2(2, menu, {{0x09, 1}, {0x02, 3}, {0x04, 4}}, everyTransition()));
    w.tag(kPlaceObject2, place(1, 2, translate(2000, 2000))).showFrame();
    return w.build();
}

TEST(InputState, ButtonsWalkTheReferenceTransitionsAndRunTheirConditionActions)
{
    enum Op { Move, Press, Release };
    struct Step {
        Op op;
        double x, y;
        const char* trace;
        std::uint16_t shows; // the character on show after the step
    };
    const struct {
        bool menu;
        std::vector<Step> steps;
    } cases[] {
        {false,
         {{Move, 10, 10, "", 1},
          {Move, 150, 150, "rollOver ", 3},
          {Press, 0, 0, "press ", 4},
          {Move, 10, 10, "dragOut ", 3},
          {Move, 199, 199, "dragOver ", 4},
          {Release, 0, 0, "release ", 3},
          {Move, 201, 150, "rollOut ", 1},
          {Move, 101, 101, "rollOver ", 3},
          {Press, 0, 0, "press ", 4},
          {Move, 50, 50, "dragOut ", 3},
          {Release, 0, 0, "releaseOutside ", 1},
          {Press, 0, 0, "", 1},
          {Move, 150, 150, "", 1},
          {Release, 0, 0, "rollOver ", 3}}},
        {true,
         {{Move, 150, 150, "rollOver ", 3},
          {Press, 0, 0, "press ", 4},
          {Move, 10, 10, "menuDragOut ", 1},
          {Move, 150, 150, "menuDragOver ", 4},
          {Release, 0, 0, "release ", 3},
          {Move, 10, 10, "rollOut ", 1},
          {Press, 0, 0, "", 1},
          {Move, 150, 150, "menuDragOver ", 4},
          {Release, 0, 0, "release ", 3}}},
    };
    for (const auto& c : cases) {
        InputRun run(buttonMovie(c.menu));
        auto* button = dynamic_cast<swf::ButtonInstance*>(run.player.stage()->root()->childAt(1));
        ASSERT_NE(button, nullptr);
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            if (step.op == Move)
                run.moveTo(step.x, step.y);
            else if (step.op == Press)
                run.player.pointerPress();
            else
                run.player.pointerRelease();
            EXPECT_EQ(run.take(), step.trace) << "menu " << c.menu << ", step " << i;
            ASSERT_EQ(button->children().size(), 1u);
            EXPECT_EQ(button->children().front()->characterId(), step.shows) << "menu " << c.menu << ", step " << i;
        }
    }
}

TEST(InputState, KeysRunTheButtonActionsThatNameThem)
{
    InputRun run(buttonMovie(false));
    const struct {
        int code;
        int ascii;
        const char* trace;
    } keys[] {{65, 'a', "key a "}, {66, 'b', ""}, {37, 0, "key left "}, {39, 0, ""}};
    for (const auto& key : keys) {
        run.player.keyDown(key.code, key.ascii);
        run.player.keyUp(key.code, key.ascii);
        EXPECT_EQ(run.take(), key.trace) << key.code;
    }
}

TEST(InputState, AButtonsJumpToALabelledFrameShowsWithoutWaitingForTheNextFrame)
{
    ActionWriter jump;
    jump.gotoLabel("two").op(ActionCode::Stop);
    ActionWriter stop;
    stop.op(ActionCode::Stop);
    SwfWriter w;
    w.setVersion(8);
    w.tag(kDefineShape3, rect(1));
    w.tag(kDefineButton2, defineButton2(2, false, {{0x0F, 1}}, {{0x008, jump.build()}}));
    w.tag(kPlaceObject2, place(1, 2)).tag(kDoAction, stop.build()).showFrame();
    const std::string label = "two";
    w.tag(+swf::TagCode::FrameLabel, Bytes(label.c_str(), label.c_str() + label.size() + 1));
    w.tag(kDoAction, traceOf("frame two")).showFrame();
    InputRun run(w.build());
    run.moveTo(50, 50);
    run.player.pointerPress();
    EXPECT_EQ(run.take(), "");
    run.player.pointerRelease();
    EXPECT_EQ(run.take(), "frame two ");
    EXPECT_EQ(run.player.currentFrame(), 1);
}

TEST(InputState, HitTestingFollowsOutlinesStrokesTransformsAndMasks)
{
    SwfWriter w;
    // Shape 1: 100 pixels with a 20-pixel outline; shape 5: the mask.
    w.tag(kDefineShape3, rect(1, 400)).tag(kDefineShape3, rect(5));
    w.tag(kDefineButton2, defineButton2(2, false, {{0x0F, 1}}, {}));
    swf::Matrix doubled;
    doubled.a = doubled.d = 2;
    doubled.tx = doubled.ty = 4000;
    w.tag(kPlaceObject2, place(1, 2, translate(0, 0)));
    w.tag(kPlaceObject2, place(2, 2, doubled));
    // The mask covers (600..700, 100..200) and clips the button at depth 4.
    swftest::Placement mask;
    mask.depth = 3;
    mask.characterId = 5;
    mask.matrix = translate(12000, 2000);
    mask.clipDepth = 4;
    w.tag(kPlaceObject2, swftest::placeObject2(mask));
    w.tag(kPlaceObject2, place(4, 2, translate(12000, 3000)));
    w.showFrame();
    InputRun run(w.build());
    const swf::Container& root = *run.player.stage()->root();
    const struct {
        double x, y;
        int depth; // 0: nothing
    } points[] {
        {50, 50, 1},   {99.9, 99.9, 1}, {109, 50, 1}, {111, 50, 0}, {-9, 50, 1}, {-11, -11, 0},
        {210, 210, 2}, {399, 399, 2},   {415, 300, 2}, {425, 300, 0},
        {650, 180, 4}, {650, 210, 0},   {650, 120, 0},
    };
    for (const auto& p : points) {
        const swf::DisplayObject* hit = run.player.stage()->input().targetAt(QPointF(p.x * 20, p.y * 20));
        EXPECT_EQ(hit, p.depth ? root.childAt(p.depth) : nullptr) << p.x << "," << p.y;
    }
}

TEST(InputState, ADraggedClipFollowsThePointerWithinItsBounds)
{
    // Sprite 2 holds shape 1; the frame starts dragging it within
    // (50, 50)-(150, 100), unlocked, and a second clip locked.
    SwfWriter w;
    w.setVersion(8);
    w.tag(kDefineShape3, rect(1));
    w.tag(+swf::TagCode::DefineSprite, defineSprite(2, {{tagBytes(kPlaceObject2, place(1, 1))}}));
    swftest::Placement clip;
    clip.depth = 1;
    clip.characterId = 2;
    clip.matrix = translate(2000, 2000);
    Bytes placed = swftest::placeObject2(clip);
    placed[0] |= 0x20;
    placed.insert(placed.end(), {'s', 0});
    w.tag(kPlaceObject2, placed);
    ActionWriter drag;
    drag.push(50, 50, 150, 100, 1, 0, "s").op(ActionCode::StartDrag);
    w.tag(kDoAction, drag.build()).showFrame();
    InputRun run(w.build());
    swf::DisplayObject* s = run.player.stage()->root()->childAt(1);
    ASSERT_NE(s, nullptr);
    // Grabbed at (0, 0) while the clip stood at (100, 100); then held by its
    // registration point.
    const struct {
        bool lock;
        double x, y;
        double clipX, clipY;
    } moves[] {
        {false, 0, 0, 100, 100},   {false, 100, 80, 150, 100}, {false, -30, -40, 70, 60},
        {false, -80, -70, 50, 50}, {false, 500, 500, 150, 100}, {true, 120, 70, 120, 70},
        {true, 10, 10, 50, 50},
    };
    bool locked = false;
    for (const auto& m : moves) {
        if (m.lock && !locked)
            run.player.stage()->input().startDrag(*s, true, QRectF(QPointF(1000, 1000), QPointF(3000, 2000)));
        locked = m.lock;
        run.moveTo(m.x, m.y);
        EXPECT_EQ(s->matrix().tx, m.clipX * 20) << m.x << "," << m.y;
        EXPECT_EQ(s->matrix().ty, m.clipY * 20) << m.x << "," << m.y;
    }
    run.player.stage()->input().stopDrag();
    run.moveTo(0, 0);
    EXPECT_EQ(s->matrix().tx, 50 * 20) << "a drag stopped leaves the clip where it is";
}

} // namespace
