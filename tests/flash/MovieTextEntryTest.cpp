// Typing into a movie's text field through the control: Qt's key and
// input method events become the field's text, the editing shortcuts are
// the movie's only while a field has the keyboard, and cut, copy and
// paste reach the platform's clipboard.

#include <gtest/gtest.h>

#include <QInputMethodEvent>
#include <QTemporaryDir>
#include <QTest>

#include "flash/ShockwaveFlash.h"
#include "support/ActionWriter.h"
#include "support/FakePlatform.h"
#include "support/SwfWriter.h"
#include "swf/read/TagCode.h"
#include "swf/runtime/EditTextInstance.h"
#include "swf/runtime/Stage.h"
#include "tests/flash/ControlMovies.h"

namespace {

using swftest::ActionCode;

// _root.createTextField("f", 1, 20, 20, 200, 40); f.type = "input";
std::vector<std::uint8_t> inputFieldMovie()
{
    swftest::ActionWriter script;
    script.push(40, 200, 20, 20, 1, "f", 6, "_root").op(ActionCode::GetVariable).push("createTextField").op(ActionCode::CallMethod).op(
        ActionCode::Pop);
    script.push("f").op(ActionCode::GetVariable).push("type", "input").op(ActionCode::SetMember).op(ActionCode::Stop);
    swftest::SwfWriter writer;
    writer.setVersion(8).setFrameSize(400, 300);
    writer.tag(+swf::TagCode::DoAction, script.build()).showFrame();
    return writer.build();
}

QString fieldText(const flash::ShockwaveFlash& control)
{
    for (const auto& child : control.player().stage()->root()->children())
        if (const auto* field = dynamic_cast<const swf::EditTextInstance*>(child.get()))
            return field->text();
    return QStringLiteral("(no field)");
}

bool takesShortcut(flash::ShockwaveFlash& control, int key, Qt::KeyboardModifiers modifiers)
{
    QKeyEvent override(QEvent::ShortcutOverride, key, modifiers);
    override.ignore();
    QCoreApplication::sendEvent(&control, &override);
    return override.isAccepted();
}

} // namespace

TEST(MovieTextEntry, KeysAndInputMethodsTypeIntoTheClickedFieldAndTheClipboardIsTheDesktops)
{
    QTemporaryDir dir;
    const std::vector<std::uint8_t> bytes = inputFieldMovie();

    fakes::FakePlatform desktop;
    flash::ShockwaveFlash control;
    control.setPlatform(desktop.platform);
    control.resize(400, 300);
    ASSERT_TRUE(flashtest::showMovie(control, dir, QStringLiteral("field.swf"), bytes));
    ASSERT_EQ(fieldText(control), QString());

    EXPECT_FALSE(takesShortcut(control, Qt::Key_C, Qt::ControlModifier)) << "no field has the keyboard";
    QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(60, 30));
    ASSERT_TRUE(control.player().hasTextFocus());
    EXPECT_TRUE(takesShortcut(control, Qt::Key_C, Qt::ControlModifier));
    EXPECT_FALSE(takesShortcut(control, Qt::Key_O, Qt::ControlModifier)) << "the window's own";
    EXPECT_TRUE(static_cast<QWidget&>(control).inputMethodQuery(Qt::ImEnabled).toBool());

    QTest::keyClicks(&control, QStringLiteral("ab"));
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("\u00E9\u65E5"));
    QCoreApplication::sendEvent(&control, &composed);
    EXPECT_EQ(fieldText(control), QStringLiteral("ab\u00E9\u65E5"));
    QTest::keyClick(&control, Qt::Key_Backspace);
    EXPECT_EQ(fieldText(control), QStringLiteral("ab\u00E9"));

    const QRect caret = static_cast<QWidget&>(control).inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_TRUE(QRect(20, 20, 200, 40).contains(caret.topLeft())) << caret.x() << "," << caret.y();

    QTest::keyClick(&control, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&control, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(desktop.clipboard.held, QStringLiteral("ab\u00E9"));
    QTest::keyClick(&control, Qt::Key_End);
    desktop.clipboard.held = QStringLiteral("!");
    QTest::keyClick(&control, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(fieldText(control), QStringLiteral("ab\u00E9!"));

    QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(300, 250));
    EXPECT_FALSE(control.player().hasTextFocus());
    EXPECT_FALSE(takesShortcut(control, Qt::Key_C, Qt::ControlModifier));
    QTest::keyClicks(&control, QStringLiteral("zz"));
    EXPECT_EQ(fieldText(control), QStringLiteral("ab\u00E9!"));
}
