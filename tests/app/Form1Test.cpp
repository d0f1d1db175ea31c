#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <memory>

#include "TempTree.h"
#include "app/DirListBox.h"
#include "app/DriveListBox.h"
#include "app/FileListBox.h"
#include "app/Form1.h"
#include "app/ImageControl.h"
#include "app/Paths.h"
#include "app/StatusLabel.h"
#include "flash/ShockwaveFlash.h"
#include "platform/Twips.h"
#include "support/FakePlatform.h"
#include "support/SwfWriter.h"

namespace {

QByteArray movieBytes(int frames)
{
    swftest::SwfWriter writer;
    writer.setFrameSize(200, 150).setFrameRate(12.0).setBackground({0x33, 0x66, 0x99});
    for (int i = 0; i < frames; ++i)
        writer.showFrame();
    const std::vector<std::uint8_t> bytes = writer.build(swf::Compression::None);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

class Form1Test : public testing::Test {
protected:
    void SetUp() override { form = std::make_unique<app::Form1>(fakes.platform); }

    // Points the browser at a folder of our own.
    void browse(const QString& folder) { ASSERT_TRUE(form->Dir1->setPath(folder)); }

    void expectStartState(const app::Form1& f)
    {
        EXPECT_EQ(f.windowTitle(), QStringLiteral("T V K version :1.1 "));
        EXPECT_EQ(f.Text1->text(), QStringLiteral("Movie Path"));
        EXPECT_EQ(f.Label1->text(), QStringLiteral("0 Movies Found"));
        EXPECT_EQ(f.Label2->text(), QStringLiteral("Label2"));
        EXPECT_EQ(f.LabeL10->text(), QStringLiteral("Percent"));
        EXPECT_EQ(f.Label4->text(), QStringLiteral("Label4"));
        EXPECT_EQ(f.Label6->text(), QStringLiteral("Label6"));
        EXPECT_EQ(f.Text3->text(), QStringLiteral("Text3"));
        EXPECT_EQ(f.Text6->text(), QStringLiteral("Text6"));
        EXPECT_EQ(f.Label5->text(), app::programFolder());
        EXPECT_FALSE(f.GH->isEnabled());
        EXPECT_FALSE(f.prop->isEnabled());
        EXPECT_FALSE(f.fv->isEnabled());
        EXPECT_FALSE(f.Image2->isVisibleTo(f.centralWidget()));
        EXPECT_TRUE(f.ShockwaveFlash1->Movie().isEmpty());
        EXPECT_EQ(f.Dir1->path(), app::normalFolder(QDir::currentPath()));
        EXPECT_EQ(f.File1->path(), f.Dir1->path());
        EXPECT_EQ(f.File1->pattern(), QStringLiteral("*.*swf"));
    }

    fakes::FakePlatform fakes;
    std::unique_ptr<app::Form1> form;
};

} // namespace

TEST_F(Form1Test, StartsInTheDesignState)
{
    expectStartState(*form);
    EXPECT_TRUE(fakes.messageBox.shown.empty());
}

TEST_F(Form1Test, ControlsSitAtTheirDesignedPlaces)
{
    EXPECT_EQ(form->centralWidget()->size(), QSize(636, 437));
    EXPECT_EQ(form->Drive1->geometry(), platform::twipsRect(120, 600, 2130, 315));
    EXPECT_EQ(form->File1->geometry(), platform::twipsRect(150, 3600, 2115, 2040));
    EXPECT_EQ(form->ShockwaveFlash1->geometry(), platform::twipsRect(2400, 1140, 7005, 4515));
    // Status labels keep their place and height and widen only to show their text.
    const QRect label1 = platform::twipsRect(7800, 120, 1305, 195);
    EXPECT_EQ(form->Label1->pos(), label1.topLeft());
    EXPECT_EQ(form->Label1->height(), label1.height());
    EXPECT_GE(form->Label1->width(), label1.width());
    EXPECT_EQ(form->Image12->geometry().top(), -32);
    EXPECT_EQ(form->Image14->pixmap().size(), QSize(645, 75));
    EXPECT_EQ(form->Image2->pixmap().size(), QSize(43, 44));
    EXPECT_EQ(form->Image9->pixmap().size(), QSize(38, 40));
    // Storage controls lie below the visible client area.
    for (QWidget* hidden : {static_cast<QWidget*>(form->Label6), static_cast<QWidget*>(form->Text8),
                            static_cast<QWidget*>(form->Command1)})
        EXPECT_GE(hidden->geometry().top(), form->centralWidget()->height());
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(form->windowIcon().isNull());
    // The labels and buttons lie over the pictures, the normal picture over the lit one.
    const QObjectList order = form->centralWidget()->children();
    EXPECT_GT(order.indexOf(form->Label1), order.indexOf(form->Image14));
    EXPECT_GT(order.indexOf(form->Image3), order.indexOf(form->Image2));
    EXPECT_GT(order.indexOf(form->Image6), order.indexOf(form->Image4));
}

TEST_F(Form1Test, MenuTreeHasItsCaptionsAndShortcuts)
{
    struct Item {
        QAction* action;
        const char* caption;
        QKeySequence shortcut;
    };
    const Item items[] = {
        {form->op, "&Open....", QKeySequence(QStringLiteral("Ctrl+O"))},
        {form->su, "From URL...", {}},
        {form->clos, "&Temporary Internet Folder", {}},
        {form->prop, "&Generate HTML....", {}},
        {form->minfo, "&More Information", {}},
        {form->ext, "&Exit", QKeySequence(QStringLiteral("Ctrl+Q"))},
        {form->play, "Play", QKeySequence(QStringLiteral("Ctrl+P"))},
        {form->stp, "Stop", QKeySequence(QStringLiteral("Ctrl+C"))},
        {form->bg, "Background Color", {}},
        {form->HM, "Hide Menu....", {}},
        {form->sm, "Show Menu....", {}},
        {form->fv, "&Full Screen", QKeySequence(QStringLiteral("Ctrl+F"))},
        {form->GH, "Generate HTML....", {}},
        {form->eswf, "Projector To Swf Converter", {}},
        {form->cfl, "Check For Latest Flash Player", {}},
        {form->ab, "About...", {}},
        {form->ks, "Brindlewick Web", {}},
    };
    for (const Item& item : items) {
        EXPECT_EQ(item.action->text(), QString::fromLatin1(item.caption));
        EXPECT_EQ(item.action->shortcut(), item.shortcut) << item.caption;
    }
    QStringList menus;
    for (QAction* menu : form->menuBar()->actions())
        menus << menu->text();
    EXPECT_EQ(menus, (QStringList{" File", "View", "Tools", "Help"}));
    QStringList fileItems;
    for (QAction* action : form->file->actions())
        fileItems << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(fileItems, (QStringList{"&Open....", "From URL...", "&Temporary Internet Folder", "-",
                                      "&Generate HTML....", "&More Information", "-", "&Exit"}));
    EXPECT_FALSE(form->minfo->isEnabled());
}

TEST_F(Form1Test, FiveTimersTickFromTheStart)
{
    const std::pair<const QTimer*, int> timers[] = {
        {&form->Timer1, 100}, {&form->Timer2, 50}, {&form->Timer3, 2000}, {&form->Timer4, 7000}, {&form->Timer5, 50}};
    for (auto [timer, interval] : timers) {
        EXPECT_TRUE(timer->isActive());
        EXPECT_EQ(timer->interval(), interval);
    }
}

TEST_F(Form1Test, CountTextHasThreeBlanksAfterRefresh)
{
    TempTree tree;
    for (int i = 0; i < 7; ++i)
        tree.file(QStringLiteral("movie%1.swf").arg(i));
    tree.file(QStringLiteral("readme.txt"));
    tree.folder(QStringLiteral("empty"));
    browse(tree.path());
    EXPECT_EQ(form->Label1->text(), QStringLiteral("7   Movies Found"));
    browse(tree.at(QStringLiteral("empty")));
    EXPECT_EQ(form->Label1->text(), QStringLiteral("0   Movies Found"));
}

TEST_F(Form1Test, ClickingAMoviePlaysItAndEnablesTheMovieCommands)
{
    TempTree tree;
    tree.file(QStringLiteral("intro.swf"), movieBytes(3));
    browse(tree.path());
    form->File1->setListIndex(0);

    const QString path = app::joinPath(tree.path(), QStringLiteral("intro.swf"));
    EXPECT_EQ(form->Text1->text(), path);
    EXPECT_EQ(form->ShockwaveFlash1->Movie(), path);
    EXPECT_TRUE(form->ShockwaveFlash1->player().hasMovie());
    EXPECT_TRUE(form->GH->isEnabled());
    EXPECT_TRUE(form->prop->isEnabled());
    EXPECT_TRUE(form->fv->isEnabled());
}

TEST_F(Form1Test, OnlyASelectionEnablesTheMovieCommands)
{
    TempTree tree;
    tree.file(QStringLiteral("intro.swf"), movieBytes(3));
    browse(tree.path());
    form->play_Click();
    form->stp_Click();
    form->Timer1_Timer();
    form->Timer3_Timer();
    form->Timer5_Timer();
    EXPECT_FALSE(form->GH->isEnabled());
    EXPECT_FALSE(form->prop->isEnabled());
    EXPECT_FALSE(form->fv->isEnabled());
}

TEST_F(Form1Test, AFileThatIsNotAMovieIsHandledQuietly)
{
    TempTree tree;
    tree.file(QStringLiteral("fake.swf"), QByteArray("this is not a movie at all"));
    tree.file(QStringLiteral("empty.swf"), QByteArray());
    browse(tree.path());
    form->File1->setListIndex(0);
    form->File1->setListIndex(1);
    form->Timer1_Timer();
    EXPECT_FALSE(form->ShockwaveFlash1->player().hasMovie());
    EXPECT_EQ(form->Label2->text(), QStringLiteral("0 Frame"));
    EXPECT_TRUE(form->fv->isEnabled());
    EXPECT_TRUE(fakes.messageBox.shown.empty());
}

TEST_F(Form1Test, FrameAndLoadLabelsFollowTheMovie)
{
    TempTree tree;
    tree.file(QStringLiteral("clip.swf"), movieBytes(20));
    browse(tree.path());
    form->File1->setListIndex(0);
    for (int i = 0; i < 12; ++i)
        form->ShockwaveFlash1->advanceFrame();
    form->Timer1_Timer();
    EXPECT_EQ(form->Label2->text(), QStringLiteral("12 Frame"));
    EXPECT_EQ(form->LabeL10->text(), QStringLiteral("100 %Loaded"));

    form->stp_Click();
    form->ShockwaveFlash1->advanceFrame();
    form->Timer1_Timer();
    EXPECT_EQ(form->Label2->text(), QStringLiteral("12 Frame"));
    form->Image2_Click();
    form->ShockwaveFlash1->advanceFrame();
    form->Timer1_Timer();
    EXPECT_EQ(form->Label2->text(), QStringLiteral("13 Frame"));
    form->Image4_Click();
    form->ShockwaveFlash1->advanceFrame();
    EXPECT_EQ(form->ShockwaveFlash1->CurrentFrame(), 13);
}

TEST_F(Form1Test, PathFragmentsFollowTheMoviePathBox)
{
    form->Text1->setText(QStringLiteral("/movies/intro.swf"));
    form->Timer2_Timer();
    EXPECT_EQ(form->Text6->text(), QStringLiteral("/movies/intro.swf\" >"));
    EXPECT_EQ(form->Text3->text(), QStringLiteral("/movies/intro.swf"));
}

TEST_F(Form1Test, StatusLineAlternatesBetweenFileNameAndProductName)
{
    TempTree tree;
    tree.file(QStringLiteral("intro.swf"), movieBytes(1));
    browse(tree.path());

    form->Timer3_Timer();
    EXPECT_EQ(form->Label4->text(), QString());
    EXPECT_EQ(form->Label6->text(), QString());

    form->File1->setListIndex(0);
    form->Timer3_Timer();
    EXPECT_EQ(form->Label4->text(), QStringLiteral("intro.swf"));
    EXPECT_EQ(form->Label6->text(), QStringLiteral("intro.swf"));
    form->Timer4_Timer();
    EXPECT_EQ(form->Label4->text(), QStringLiteral("T V K"));
    EXPECT_EQ(form->Label6->text(), QStringLiteral("intro.swf"));
    form->Timer3_Timer();
    EXPECT_EQ(form->Label4->text(), QStringLiteral("intro.swf"));
}

TEST_F(Form1Test, CountFollowsTheFileListWithoutReadingTheDisk)
{
    TempTree tree;
    tree.file(QStringLiteral("a.swf"));
    tree.file(QStringLiteral("b.txt"));
    browse(tree.path());
    form->Timer5_Timer();
    EXPECT_EQ(form->Label1->text(), QStringLiteral("1   Movies Found"));

    // A new file on disk shows at the next refresh, not at the next tick.
    tree.file(QStringLiteral("c.swf"));
    form->Timer5_Timer();
    EXPECT_EQ(form->Label1->text(), QStringLiteral("1   Movies Found"));
    // Another command changing the list is seen at the next tick.
    form->File1->setPattern(QStringLiteral("*.*"));
    form->Timer5_Timer();
    EXPECT_EQ(form->Label1->text(), QStringLiteral("3   Movies Found"));
}

TEST_F(Form1Test, ADriveThatCannotBeReadLeavesTheListsSilently)
{
    TempTree tree;
    tree.file(QStringLiteral("a.swf"));
    browse(tree.path());
    fakes.drives.list << QStringLiteral("/no-such-drive-tovimark");
    form->Drive1->refresh();
    form->Drive1->setCurrentIndex(form->Drive1->findText(QStringLiteral("/no-such-drive-tovimark")));

    EXPECT_EQ(form->Drive1->drive(), QStringLiteral("/no-such-drive-tovimark"));
    EXPECT_EQ(form->Dir1->path(), tree.path());
    EXPECT_EQ(form->File1->listCount(), 1);
    EXPECT_TRUE(fakes.messageBox.shown.empty());
}

TEST_F(Form1Test, ChoosingADriveMovesTheFolderListToItsRoot)
{
    TempTree tree;
    fakes.drives.list = {QDir::toNativeSeparators(QDir::rootPath()), tree.path()};
    form->Drive1->refresh();
    form->Drive1->setCurrentIndex(form->Drive1->findText(tree.path()));
    EXPECT_EQ(form->Dir1->path(), tree.path());
    EXPECT_EQ(form->File1->path(), tree.path());
}

TEST_F(Form1Test, AReloadedWindowStartsInTheDesignState)
{
    TempTree tree;
    tree.file(QStringLiteral("intro.swf"), movieBytes(2));
    browse(tree.path());
    form->File1->setListIndex(0);
    form->Timer2_Timer();
    form->Timer3_Timer();
    form->Timer5_Timer();
    form.reset();

    form = std::make_unique<app::Form1>(fakes.platform);
    expectStartState(*form);
}

TEST_F(Form1Test, CtrlCStopsTheMovieEvenWhileTheBoxHasTheFocus)
{
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->Text1->setFocus();
    form->Text1->selectAll();
    QApplication::clipboard()->setText(QStringLiteral("left alone"));
    QSignalSpy stopped(form->stp, &QAction::triggered);
    QTest::keyClick(form->Text1, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(stopped.count(), 1);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("left alone"));
    // The box's own keys that the menu does not claim still work.
    QTest::keyClick(form->Text1, Qt::Key_End);
    QTest::keyClick(form->Text1, Qt::Key_X);
    EXPECT_EQ(form->Text1->text(), QStringLiteral("Movie Pathx"));
}
