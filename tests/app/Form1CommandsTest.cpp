#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QMenu>

#include <memory>

#include "TempTree.h"
#include "app/FileListBox.h"
#include "app/Form1.h"
#include "app/ImageControl.h"
#include "converter/frmSWF.h"
#include "flash/ShockwaveFlash.h"
#include "platform/WebAddresses.h"
#include "support/FakePlatform.h"

namespace {

class Form1CommandsTest : public testing::Test {
protected:
    void SetUp() override { form = std::make_unique<app::Form1>(fakes.platform); }

    void expectMovieCommandsGreyed()
    {
        EXPECT_FALSE(form->GH->isEnabled());
        EXPECT_FALSE(form->prop->isEnabled());
        EXPECT_FALSE(form->fv->isEnabled());
    }

    fakes::FakePlatform fakes;
    std::unique_ptr<app::Form1> form;
};

} // namespace

TEST_F(Form1CommandsTest, OpenPlaysTheChosenFileWithTheDialogsTitleAndFilter)
{
    fakes.fileDialogs.answers.push_back(fakes::choose(QStringLiteral("/movies/intro.swf")));
    form->op_Click();
    ASSERT_EQ(fakes.fileDialogs.shown.size(), 1u);
    EXPECT_EQ(fakes.fileDialogs.shown[0].call, fakes::FakeFileDialogs::Call::Open);
    EXPECT_EQ(form->Text1->text(), QStringLiteral("/movies/intro.swf"));
    EXPECT_EQ(form->ShockwaveFlash1->Movie(), QStringLiteral("/movies/intro.swf"));
    EXPECT_EQ(form->cmd->DialogTitle(), QStringLiteral("Open Flash Movies"));
    EXPECT_EQ(form->cmd->Filter(), QStringLiteral("Flash Movies|*.swf"));
    expectMovieCommandsGreyed();
}

TEST_F(Form1CommandsTest, ACancelledOpenLeavesTheMovieAndItsPathAsTheyWere)
{
    // Whether the dialog keeps its buffer or empties it on the way out.
    for (const fakes::DialogAnswer& cancel : {fakes::cancel(), fakes::DialogAnswer {fakes::DialogAnswer::Kind::CancelCleared}}) {
        fakes.fileDialogs.answers.push_back(fakes::choose(QStringLiteral("/movies/first.swf")));
        form->op_Click();
        form->Text1->setText(QStringLiteral("typed by hand"));
        fakes.fileDialogs.answers.push_back(cancel);
        form->op_Click();
        EXPECT_EQ(form->Text1->text(), QStringLiteral("typed by hand"));
        EXPECT_EQ(form->ShockwaveFlash1->Movie(), QStringLiteral("/movies/first.swf"));
    }
    // A first Open cancelled leaves the window in its start state.
    form = std::make_unique<app::Form1>(fakes.platform);
    fakes.fileDialogs.answers.push_back(fakes::cancel());
    form->op_Click();
    EXPECT_EQ(form->Text1->text(), QStringLiteral("Movie Path"));
    EXPECT_TRUE(form->ShockwaveFlash1->Movie().isEmpty());
    EXPECT_TRUE(fakes.messageBox.shown.empty());
}

TEST_F(Form1CommandsTest, FromUrlAsksWithItsTitleAndPlaysTheDefaultAnswer)
{
    form->su_Click();
    ASSERT_EQ(fakes.inputBox.asked.size(), 1u);
    const auto& question = fakes.inputBox.asked[0];
    EXPECT_EQ(question.title, QStringLiteral("url path"));
    EXPECT_TRUE(question.prompt.startsWith(QStringLiteral("Type URL (")));
    EXPECT_TRUE(question.prompt.endsWith(QStringLiteral(".swf)")));
    EXPECT_TRUE(question.defaultAnswer.endsWith(QStringLiteral("/swfs/tvk.swf")));
    EXPECT_EQ(form->Text1->text(), question.defaultAnswer);
    EXPECT_EQ(form->ShockwaveFlash1->Movie(), question.defaultAnswer);
    expectMovieCommandsGreyed();
}

TEST_F(Form1CommandsTest, FromUrlTakesAnyNonEmptyAnswerAsItIs)
{
    TempTree tree;
    tree.file(QStringLiteral("a.swf"));
    ASSERT_TRUE(form->File1->setPath(tree.path()));
    fakes.inputBox.answers.push_back(QStringLiteral(" "));
    form->su_Click();
    EXPECT_EQ(form->Text1->text(), QStringLiteral(" "));
    EXPECT_EQ(form->ShockwaveFlash1->Movie(), QStringLiteral(" "));
    // The file list could not take the answer and stays as it was.
    EXPECT_EQ(form->File1->listCount(), 1);
    EXPECT_TRUE(fakes.messageBox.shown.empty());
}

TEST_F(Form1CommandsTest, AnEmptyAnswerIsCancelledWithAMessageAndNothingElse)
{
    fakes.inputBox.answers.push_back(QString());
    form->su_Click();
    ASSERT_EQ(fakes.messageBox.shown.size(), 1u);
    EXPECT_EQ(fakes.messageBox.shown[0].text, QStringLiteral("Operation Cancelled"));
    EXPECT_EQ(fakes.messageBox.shown[0].title, QStringLiteral("TVK"));
    EXPECT_EQ(fakes.messageBox.shown[0].icon, platform::MsgIcon::Critical);
    EXPECT_EQ(fakes.messageBox.shown[0].buttons, platform::MsgButtons::Ok);
    EXPECT_EQ(form->Text1->text(), QStringLiteral("Movie Path"));
    EXPECT_TRUE(form->ShockwaveFlash1->Movie().isEmpty());
}

TEST_F(Form1CommandsTest, HideMenuReducesOnlyTheMovieControlsMenu)
{
    form->HM_Click();
    EXPECT_FALSE(form->ShockwaveFlash1->Menu());
    EXPECT_TRUE(form->menuWidget()->isVisibleTo(form.get()) || !form->isVisible());
    EXPECT_EQ(std::unique_ptr<QMenu>(form->ShockwaveFlash1->buildContextMenu())->actions().size(), 1);
    form->sm_Click();
    EXPECT_TRUE(form->ShockwaveFlash1->Menu());
}

TEST_F(Form1CommandsTest, WebLinksGoToTheShell)
{
    form->cfl_Click();
    form->ks_Click();
    EXPECT_EQ(fakes.shell.opened, (QStringList{QString::fromLatin1(platform::web::kFlashPlayerDownload),
                                               QString::fromLatin1(platform::web::kMakerHome)}));
    fakes.shell.succeeds = false;
    form->ks_Click();
    EXPECT_TRUE(fakes.messageBox.shown.empty());
}

TEST_F(Form1CommandsTest, TheConverterIsOneWindowWhateverHowOftenItIsAskedFor)
{
    form->eswf_Click();
    converter::frmSWF* first = converter::frmSWF::single();
    ASSERT_NE(first, nullptr);
    form->eswf_Click();
    EXPECT_EQ(converter::frmSWF::single(), first);
    delete first;
}

TEST_F(Form1CommandsTest, PictureButtonsLightUpUntilTheMouseCrossesThePanel)
{
    auto shown = [this](app::ImageControl* image) { return image->isVisibleTo(form->centralWidget()); };
    form->Image3_MouseMove();
    EXPECT_FALSE(shown(form->Image3));
    EXPECT_TRUE(shown(form->Image2));
    // Straight on to button 2: button 1 stays lit.
    form->Image6_MouseMove();
    EXPECT_FALSE(shown(form->Image6));
    EXPECT_TRUE(shown(form->Image4));
    EXPECT_FALSE(shown(form->Image3));
    form->Image8_MouseMove();
    form->Image10_MouseMove();
    EXPECT_TRUE(shown(form->Image7));
    EXPECT_TRUE(shown(form->Image9));

    form->Image1_MouseMove();
    for (app::ImageControl* normal : {form->Image3, form->Image6, form->Image8, form->Image10})
        EXPECT_TRUE(shown(normal));
}
