// Qt's pointer and keys reaching the movie: control points land on the
// stage through the scale mode's placing, letterboxing and the zoom, keys
// arrive with the movie's own codes, Tab moves the movie's focus, the
// right-click menu carries the movie's own items, and the control's size
// and full screen are the movie's stage under "noScale".

#include <gtest/gtest.h>

#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "flash/KeyCodes.h"
#include "flash/ShockwaveFlash.h"
#include "support/ActionWriter.h"
#include "support/SwfShapes.h"
#include "support/SwfWriter.h"
#include "swf/runtime/SpriteInstance.h"
#include "swf/runtime/Stage.h"
#include "tests/flash/ControlMovies.h"

namespace {

TEST(MovieInput, PointerLandsOnTheStageAtEveryZoomAndPlacing)
{
    QTemporaryDir dir;
    swftest::SwfWriter writer;
    writer.setFrameSize(400, 300).showFrame();
    const std::vector<std::uint8_t> bytes = writer.build();

    flash::ShockwaveFlash control;
    ASSERT_TRUE(flashtest::showMovie(control, dir, QStringLiteral("stage.swf"), bytes));

    const struct {
        QSize size;
        int zoomIns;
        QPoint at;
        QPointF stagePixels;
    } cases[] {
        {{400, 300}, 0, {10, 20}, {10, 20}},    // one to one
        {{800, 600}, 0, {200, 100}, {100, 50}}, // scaled up twice
        {{800, 300}, 0, {300, 150}, {100, 150}}, // bars left and right
        {{400, 600}, 0, {100, 250}, {100, 100}}, // bars above and below
        {{400, 300}, 1, {200, 150}, {200, 150}}, // the centre stays put
        {{400, 300}, 1, {2, 2}, {101, 76}},
        {{400, 300}, 2, {4, 4}, {151, 113.5}},
    };
    for (const auto& c : cases) {
        control.resize(c.size);
        control.showAll();
        for (int i = 0; i < c.zoomIns; ++i)
            control.zoomIn();
        QTest::mousePress(&control, Qt::LeftButton, {}, c.at);
        const QPointF pointer = control.player().stage()->input().pointer();
        EXPECT_DOUBLE_EQ(pointer.x(), c.stagePixels.x() * 20) << c.size.width() << "x" << c.size.height() << " zoom " << c.zoomIns;
        EXPECT_DOUBLE_EQ(pointer.y(), c.stagePixels.y() * 20) << c.size.width() << "x" << c.size.height() << " zoom " << c.zoomIns;
        EXPECT_TRUE(control.player().stage()->input().isPointerDown());
        QTest::mouseRelease(&control, Qt::LeftButton, {}, c.at);
        EXPECT_FALSE(control.player().stage()->input().isPointerDown());
    }

    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QString text;
        int code;
        int ascii;
    } keys[] {
        {Qt::Key_Left, {}, {}, 37, 0},         {Qt::Key_A, {}, QStringLiteral("a"), 65, 'a'},
        {Qt::Key_A, Qt::ShiftModifier, QStringLiteral("A"), 65, 'A'},
        {Qt::Key_Return, {}, QStringLiteral("\r"), 13, 13}, {Qt::Key_F5, {}, {}, 116, 0},
        {Qt::Key_5, Qt::KeypadModifier, QStringLiteral("5"), 101, '5'}, {Qt::Key_Slash, {}, QStringLiteral("/"), 191, '/'},
    };
    for (const auto& k : keys) {
        const flash::MovieKey key = flash::movieKeyOf(QKeyEvent(QEvent::KeyPress, k.key, k.modifiers, k.text));
        EXPECT_EQ(key.code, k.code) << k.key;
        EXPECT_EQ(key.ascii, k.ascii) << k.key;
    }
    QTest::keyPress(&control, Qt::Key_Up);
    EXPECT_TRUE(control.player().stage()->input().isKeyDown(38));
    QTest::keyRelease(&control, Qt::Key_Up);
    EXPECT_FALSE(control.player().stage()->input().isKeyDown(38));
    EXPECT_EQ(control.player().stage()->input().lastKeyCode(), 38);
}

// A clip "a" that takes Tab focus, and a menu on the main movie with one
// item that moves the main movie when chosen, its built-in Play hidden.
std::vector<std::uint8_t> menuMovie()
{
    using swftest::ActionCode;
    swftest::ActionWriter moveRoot;
    moveRoot.push("_root").op(ActionCode::GetVariable).push("_x", 10).op(ActionCode::SetMember);
    swftest::ActionWriter w;
    w.push("a").op(ActionCode::GetVariable).push("tabEnabled", true).op(ActionCode::SetMember);
    w.push("menu", 0, "ContextMenu").op(ActionCode::NewObject).op(ActionCode::SetVariable);
    w.defineFunction("", {}, moveRoot).push("Move", 2, "ContextMenuItem").op(ActionCode::NewObject);
    w.push(1, "menu").op(ActionCode::GetVariable).push("customItems").op(ActionCode::GetMember);
    w.push("push").op(ActionCode::CallMethod).op(ActionCode::Pop);
    w.push("menu").op(ActionCode::GetVariable).push("builtInItems").op(ActionCode::GetMember).push("play", false);
    w.op(ActionCode::SetMember);
    swftest::Placement clip;
    clip.characterId = 1;
    clip.name = "a";
    swftest::SwfWriter writer;
    writer.setVersion(8).setFrameSize(400, 300);
    writer.tag(39, swftest::defineSprite(1, {{}})).tag(26, swftest::placeObject2(clip)).tag(12, w.build()).showFrame();
    return writer.build();
}

TEST(MovieInput, TabAndTheRightClickMenuReachTheMovie)
{
    QTemporaryDir dir;
    const std::vector<std::uint8_t> bytes = menuMovie();
    flash::ShockwaveFlash control;
    control.resize(400, 300);
    ASSERT_TRUE(flashtest::showMovie(control, dir, QStringLiteral("menu.swf"), bytes));
    control.Stop();

    QTest::keyClick(&control, Qt::Key_Tab);
    const swf::DisplayObject* focused = control.player().stage()->input().focusHighlight();
    ASSERT_NE(focused, nullptr) << "Tab stayed with the window";
    EXPECT_EQ(focused->name(), "a");

    std::unique_ptr<QMenu> menu(control.buildContextMenu(QPointF(10, 10)));
    const QList<QAction*> actions = menu->actions();
    ASSERT_GE(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("Move"));
    EXPECT_TRUE(actions[1]->isSeparator());
    for (QAction* action : actions) {
        if (action->text() == QStringLiteral("Play")) {
            EXPECT_FALSE(action->isVisible()) << "the movie hid Play";
        }
    }
    actions[0]->trigger();
    EXPECT_EQ(control.player().stage()->root()->matrix().tx, 0) << "not before the next frame";
    control.advanceFrame();
    EXPECT_EQ(control.player().stage()->root()->matrix().tx, 200);
}

// Under "noScale", traces the stage's size on every resize, and the first
// time the control is 500 pixels wide asks for full screen.
std::vector<std::uint8_t> fullScreenMovie()
{
    using A = swftest::ActionCode;
    swftest::ActionWriter onResize;
    onResize.push("resize ", "Stage").op(A::GetVariable).push("width").op(A::GetMember).op(A::Add2).push("x").op(A::Add2);
    onResize.push("Stage").op(A::GetVariable).push("height").op(A::GetMember).op(A::Add2).op(A::Trace);
    onResize.push("Stage").op(A::GetVariable).push("width").op(A::GetMember).push(500).op(A::Equals2);
    onResize.push("asked").op(A::GetVariable).op(A::Not).op(A::And).op(A::Not).branchIf("done");
    onResize.push("asked", true).op(A::SetVariable);
    onResize.push("Stage").op(A::GetVariable).push("displayState", "fullScreen").op(A::SetMember).label("done");
    swftest::ActionWriter onFullScreen;
    onFullScreen.push("full ", "on").op(A::GetVariable).op(A::Add2).push(" ").op(A::Add2);
    onFullScreen.push("Stage").op(A::GetVariable).push("displayState").op(A::GetMember).op(A::Add2).op(A::Trace);
    swftest::ActionWriter w;
    w.push("Stage").op(A::GetVariable).push("scaleMode", "noScale").op(A::SetMember);
    w.push("l", 0, "Object").op(A::NewObject).op(A::SetVariable);
    w.push("l").op(A::GetVariable).push("onResize").defineFunction("", {}, onResize).op(A::SetMember);
    w.push("l").op(A::GetVariable).push("onFullScreen").defineFunction("", {"on"}, onFullScreen).op(A::SetMember);
    w.push("l").op(A::GetVariable).push(1, "Stage").op(A::GetVariable).push("addListener").op(A::CallMethod).op(A::Pop);
    swftest::SwfWriter writer;
    writer.setVersion(8).setFrameSize(400, 300).tag(12, w.build()).showFrame();
    return writer.build();
}

TEST(MovieInput, TheControlsSizeAndFullScreenAreTheStagesUnderNoScale)
{
    QTemporaryDir dir;
    const std::vector<std::uint8_t> bytes = fullScreenMovie();
    QWidget window;
    window.resize(700, 500);
    auto* control = new flash::ShockwaveFlash(&window);
    control->setGeometry(10, 10, 400, 300);
    window.show();
    ASSERT_TRUE(flashtest::showMovie(*control, dir, QStringLiteral("full.swf"), bytes));
    control->Stop();
    std::vector<std::string> lines;
    control->setTraceOutput([&](std::string_view line) { lines.emplace_back(line); });

    control->resize(450, 200);
    control->resize(500, 200);
    ASSERT_TRUE(control->isFullScreen()) << "the movie's request was not taken";
    EXPECT_TRUE(control->isWindow());
    const QSize screen = control->screen()->size();
    const std::string full = "resize " + std::to_string(screen.width()) + "x" + std::to_string(screen.height());
    EXPECT_EQ(lines, (std::vector<std::string> {"resize 450x200", "resize 500x200", full, "full true fullScreen"}));

    lines.clear();
    QTest::keyClick(control, Qt::Key_Escape);
    EXPECT_FALSE(control->isWindow());
    EXPECT_EQ(control->geometry(), QRect(10, 10, 500, 200));
    EXPECT_EQ(lines, (std::vector<std::string> {"resize 500x200", "full false normal"}));
}

} // namespace
