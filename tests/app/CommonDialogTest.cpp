#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QPalette>
#include <QTimer>

#include "app/CommonDialog.h"
#include "platform/ColorDialog.h"
#include "support/FakeColorDialog.h"

namespace {

using namespace platform;

// The table lives for the process; each test starts from a fresh run's state.
class ShowColorTest : public testing::Test {
protected:
    void SetUp() override
    {
        mCommonDialog::CustomColors.fill(0);
        mCommonDialog::CustomColorsLoaded = false;
    }

    fakes::FakeColorDialog dialog;
};

TEST_F(ShowColorTest, RecordCarriesTheArgumentsAndTheFlagsTheyMakeUp)
{
    struct Case {
        bool anyColour, fullOpen, preventFullOpen;
        std::uint32_t flags;
    };
    const Case cases[] = {
        {true, false, false, 0x101}, // the Background Color command
        {false, false, false, 0x81},
        {true, true, false, 0x103},
        {false, false, true, 0x85},
        {true, true, true, 0x107},
    };
    for (const Case& c : cases) {
        std::int32_t colour = 0x00123456;
        mCommonDialog::ShowColor(dialog, colour, c.anyColour, c.fullOpen, c.preventFullOpen);
        const CHOOSECOLOR& record = dialog.shown.back().record;
        EXPECT_EQ(record.Flags, c.flags) << std::hex << c.flags;
        EXPECT_EQ(record.Flags & (CC_ENABLEHOOK | CC_ENABLETEMPLATE), 0u);
        EXPECT_EQ(record.lStructSize, 36u);
        EXPECT_EQ(record.rgbResult, 0x00123456u);
        EXPECT_EQ(record.hwndOwner, nullptr);
        EXPECT_EQ(record.hInstance, nullptr);
        EXPECT_EQ(record.lpCustColors, mCommonDialog::CustomColors.data());
        EXPECT_EQ(record.lCustData, 0);
        EXPECT_EQ(record.lpfnHook, nullptr);
        EXPECT_EQ(record.lpTemplateName, nullptr);
    }
}

TEST_F(ShowColorTest, OwnerIsHandedOn)
{
    QWidget owner;
    std::int32_t colour = 0;
    mCommonDialog::ShowColor(dialog, colour, true, false, false, &owner, 0);
    EXPECT_EQ(dialog.shown.back().record.hwndOwner, &owner);
}

TEST_F(ShowColorTest, ChosenColourComesBackInBgrOrderUnchanged)
{
    dialog.answers.push_back({1, 0x00563412, {}});
    std::int32_t colour = 0;
    EXPECT_TRUE(mCommonDialog::ShowColor(dialog, colour, true, false, false));
    EXPECT_EQ(colour, 0x00563412);
}

TEST_F(ShowColorTest, AnythingButAChoiceGivesMinusOneAndFalse)
{
    for (int result : {0, 2, -1}) {
        dialog.answers.push_back({result, 0x00FFFFFF, {}});
        std::int32_t colour = 0x00112233;
        EXPECT_FALSE(mCommonDialog::ShowColor(dialog, colour, true, false, false)) << result;
        EXPECT_EQ(colour, -1) << result;
    }
}

TEST_F(ShowColorTest, CustomColoursStartAsSystemColoursOnceAndKeepThePersonsEdits)
{
    dialog.answers.push_back({0, 0, [](std::uint32_t* custom) { custom[3] = 0x00ABCDEF; }});
    dialog.answers.push_back({0, 0, {}});
    std::int32_t colour = 0;
    mCommonDialog::ShowColor(dialog, colour, true, false, false);
    EXPECT_TRUE(mCommonDialog::CustomColorsLoaded);
    for (int i = 0; i < kCustomColorCount; ++i)
        EXPECT_EQ(dialog.shown[0].custom[std::size_t(i)], GetSysColor(i)) << i;

    mCommonDialog::ShowColor(dialog, colour, true, false, false);
    EXPECT_EQ(dialog.shown[1].custom[3], 0x00ABCDEFu) << "the edit survives to the next use";
    EXPECT_EQ(dialog.shown[1].custom[0], GetSysColor(0));
}

TEST(SystemColoursTest, ComeFromTheApplicationPaletteInBgrOrder)
{
    const QPalette palette = QApplication::palette();
    EXPECT_EQ(GetSysColor(5), toBgr(palette.color(QPalette::Active, QPalette::Base)));      // window
    EXPECT_EQ(GetSysColor(8), toBgr(palette.color(QPalette::Active, QPalette::Text)));      // window text
    EXPECT_EQ(GetSysColor(13), toBgr(palette.color(QPalette::Active, QPalette::Highlight))); // highlight
    EXPECT_EQ(GetSysColor(15), toBgr(palette.color(QPalette::Active, QPalette::Button)));    // button face
    EXPECT_EQ(GetSysColor(-1), 0u);
    EXPECT_EQ(GetSysColor(16), 0u);
    EXPECT_EQ(toBgr(QColor(0x12, 0x34, 0x56)), 0x00563412u);
    EXPECT_EQ(fromBgr(0x00563412), QColor(0x12, 0x34, 0x56));
}

// The real dialog, answered by a timer from inside its own event loop.
class QtColorDialogTest : public testing::Test {
protected:
    template<typename Answer>
    int show(Answer answer)
    {
        QTimer::singleShot(0, [this, answer] {
            blocking = QApplication::activeModalWidget();
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (auto* open = qobject_cast<QColorDialog*>(window); open && open->isVisible())
                    return answer(*open);
            }
        });
        return QtColorDialog().chooseColor(record);
    }

    QWidget* blocking = nullptr; // the modal window while the dialog was open

    std::array<std::uint32_t, kCustomColorCount> custom{};
    CHOOSECOLOR record{kChooseColorSize, nullptr, nullptr, 0x00563412, custom.data(), CC_ANYCOLOR | CC_RGBINIT};
};

TEST_F(QtColorDialogTest, OpensOnTheInitialColourAndAnswersTheChosenOne)
{
    custom[7] = 0x00010203;
    QColor opened;
    QColor customSeen;
    const int result = show([&](QColorDialog& dialog) {
        opened = dialog.currentColor();
        customSeen = QColorDialog::customColor(7);
        QColorDialog::setCustomColor(2, QColor(0x0A, 0x0B, 0x0C)); // as "Add to Custom Colors" does
        dialog.setCurrentColor(QColor(0xFE, 0x80, 0x01));
        dialog.accept();
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(opened, QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(customSeen, QColor(0x03, 0x02, 0x01));
    EXPECT_EQ(record.rgbResult, 0x000180FEu);
    EXPECT_EQ(custom[2], 0x000C0B0Au);
    EXPECT_EQ(custom[7], 0x00010203u);
}

TEST_F(QtColorDialogTest, WithoutAnOwnerEveryWindowStaysUsableWhileItIsOpen)
{
    bool shown = false;
    show([&](QColorDialog& dialog) {
        shown = true;
        dialog.reject();
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(blocking, nullptr);
}

TEST_F(QtColorDialogTest, CancelAnswersZeroAndLeavesTheColour)
{
    const int result = show([](QColorDialog& dialog) {
        dialog.setCurrentColor(Qt::red);
        dialog.reject();
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(record.rgbResult, 0x00563412u);
}

TEST_F(QtColorDialogTest, WithoutAnInitialColourItOpensOnBlack)
{
    record.Flags = CC_ANYCOLOR;
    QColor opened;
    show([&](QColorDialog& dialog) {
        opened = dialog.currentColor();
        dialog.reject();
    });
    EXPECT_EQ(opened, QColor(Qt::black));
}

TEST_F(QtColorDialogTest, RecordItCannotShowIsRefusedWithoutADialog)
{
    bool shown = false;
    record.lStructSize = 40;
    EXPECT_EQ(show([&](QColorDialog& dialog) { shown = true; dialog.reject(); }), 0);
    record.lStructSize = kChooseColorSize;
    record.lpCustColors = nullptr;
    EXPECT_EQ(show([&](QColorDialog& dialog) { shown = true; dialog.reject(); }), 0);
    QApplication::processEvents();
    EXPECT_FALSE(shown);
}

} // namespace
