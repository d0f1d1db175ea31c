// Keyboard focus through the player: Tab order by place and by tabIndex,
// what takes focus, the focus rectangle, and Enter and Space pressing the
// focused button.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MovieBits.h"
#include "support/ActionWriter.h"
#include "swf/Player.h"
#include "swf/read/TagCode.h"
#include "swf/runtime/InputState.h"
#include "swf/runtime/RenderList.h"
#include "swf/runtime/Stage.h"

namespace {

using namespace movietest;
using swftest::ActionCode;
using swftest::ActionWriter;
using swftest::SwfWriter;

constexpr int kTab = 9;
constexpr int kEnter = 13;
constexpr int kShift = 16;
constexpr int kSpace = 32;

struct Placed {
    const char* name;
    double x, y; // pixels
};

Bytes traceOf(const std::string& text)
{
    ActionWriter w;
    w.push(text).op(ActionCode::Trace);
    return w.build();
}

// A 20-pixel button for each of `buttons`, named and placed, then `script`
// in the first frame.
Bytes focusMovie(const std::vector<Placed>& buttons, const Bytes& script)
{
    SwfWriter w;
    w.setVersion(8);
    swftest::RectShape shape;
    shape.width = shape.height = 400;
    w.tag(+swf::TagCode::DefineShape3, swftest::defineShape3(shape));
    w.tag(+swf::TagCode::DefineButton2,
          defineButton2(2, false, {{0x0F, 1}}, {{0x004, traceOf("press")}, {0x008, traceOf("release")}}));
    std::uint16_t depth = 1;
    for (const Placed& button : buttons) {
        swftest::Placement placement;
        placement.depth = depth++;
        placement.characterId = 2;
        placement.matrix = translate(button.x * 20, button.y * 20);
        placement.name = button.name;
        w.tag(+swf::TagCode::PlaceObject2, swftest::placeObject2(placement));
    }
    if (!script.empty())
        w.tag(+swf::TagCode::DoAction, script);
    w.showFrame();
    return w.build();
}

// `name.property = value;`
void setMember(ActionWriter& w, const char* name, const char* property, swftest::PushValue value)
{
    w.push(name).op(ActionCode::GetVariable).pushValues({property, value}).op(ActionCode::SetMember);
}

struct FocusRun {
    swf::Player player;
    std::string trace;

    explicit FocusRun(const Bytes& movie)
    {
        player.setTraceOutput([this](std::string_view line) { trace.append(line).append(" "); });
        load(player, movie);
    }
    void key(int code, bool shift = false)
    {
        if (shift)
            player.keyDown(kShift, 0);
        player.keyDown(code, code == kSpace ? ' ' : 0);
        player.keyUp(code, 0);
        if (shift)
            player.keyUp(kShift, 0);
    }
    // The name of what the focus rectangle is round, "-" for nothing.
    std::string framed() const
    {
        const swf::DisplayObject* object = player.stage()->input().focusHighlight();
        return object ? object->name() : "-";
    }
};

TEST(KeyboardFocus, TabStepsByPlaceOrByTabIndexAndPassesOverWhatTakesNoFocus)
{
    const std::vector<Placed> grid {{"c", 300, 10}, {"a", 10, 10}, {"d", 10, 200}, {"b", 150, 10}};
    ActionWriter none;
    ActionWriter indexed;
    setMember(indexed, "a", "tabIndex", 3);
    setMember(indexed, "d", "tabIndex", 1);
    setMember(indexed, "c", "tabIndex", 2);
    ActionWriter disabled;
    setMember(disabled, "b", "tabEnabled", false);
    setMember(disabled, "c", "_visible", false);
    setMember(disabled, "d", "enabled", false);
    const struct {
        const char* what;
        Bytes script;
        std::vector<std::pair<bool, const char*>> steps; // (shift, framed after)
    } cases[] {
        {"by place", none.build(), {{false, "a"}, {false, "b"}, {false, "c"}, {false, "d"}, {false, "a"}, {true, "d"}, {true, "c"}}},
        {"by tabIndex, the rest passed over", indexed.build(), {{false, "d"}, {false, "c"}, {false, "a"}, {false, "d"}, {true, "a"}}},
        {"not enabled, hidden or tab-disabled", disabled.build(), {{false, "a"}, {false, "a"}, {true, "a"}}},
        {"backwards from nothing", none.build(), {{true, "d"}, {true, "c"}}},
    };
    for (const auto& c : cases) {
        FocusRun run(focusMovie(grid, c.script));
        ASSERT_EQ(run.framed(), "-") << c.what;
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            run.key(kTab, c.steps[i].first);
            EXPECT_EQ(run.framed(), c.steps[i].second) << c.what << ", step " << i;
        }
    }
}

TEST(KeyboardFocus, EnterAndSpacePressTheFocusedButtonAndAClickTakesTheRectangleAway)
{
    FocusRun run(focusMovie({{"a", 10, 10}, {"b", 100, 10}}, {}));
    run.key(kEnter);
    EXPECT_EQ(run.trace, "") << "nothing has focus yet";
    run.key(kTab);
    run.key(kTab);
    run.key(kEnter);
    EXPECT_EQ(std::exchange(run.trace, {}), "press release ");
    run.key(kSpace);
    EXPECT_EQ(std::exchange(run.trace, {}), "press release ");
    ASSERT_EQ(run.framed(), "b");

    swf::RenderList shown;
    swf::buildRenderList(*run.player.stage(), shown);
    ASSERT_TRUE(shown.focusRect);
    EXPECT_EQ(*shown.focusRect, QRectF(2000, 200, 400, 400));

    const std::uint64_t before = run.player.stageVersion();
    run.player.pointerMove(4000, 2000);
    run.player.pointerPress();
    run.player.pointerRelease();
    EXPECT_EQ(run.framed(), "-");
    EXPECT_NE(run.player.stageVersion(), before) << "the rectangle's going must be drawn";
    run.key(kTab);
    EXPECT_EQ(run.framed(), "a") << "the focus stayed on b";
}

TEST(KeyboardFocus, FocusRectFalseKeepsTheRectangleAwayButNotTheFocus)
{
    ActionWriter script;
    script.pushValues({"_focusrect", false}).op(ActionCode::SetVariable);
    FocusRun run(focusMovie({{"a", 10, 10}}, script.build()));
    run.key(kTab);
    EXPECT_EQ(run.framed(), "-");
    run.key(kEnter);
    EXPECT_EQ(run.trace, "press release ");
}

} // namespace
