#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "converter/frmSWF.h"
#include "platform/Twips.h"
#include "support/FakePlatform.h"
#include "tests/converter/Projector.h"

namespace {

using converter::frmSWF;
using platform::MsgButtons;
using platform::MsgIcon;

class frmSWFTest : public testing::Test {
protected:
    fakes::FakePlatform fake;
    fakes::FakeFileDialogs& dialogs = fake.fileDialogs;
    frmSWF form{fake.platform, nullptr};
    QTemporaryDir folder;
};

TEST_F(frmSWFTest, OpensInItsDesignState)
{
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Exe To Swf"));
    EXPECT_EQ(form.size(), QSize(platform::twipsToPixels(5370), platform::twipsToPixels(3240)));
    EXPECT_FALSE(form.windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(form.testAttribute(Qt::WA_DeleteOnClose));

    struct Control {
        QWidget* widget;
        QRect twips;
        QString text;
    };
    const Control controls[] = {
        {form.lblCaption[0], {240, 600, 2235, 195}, QStringLiteral("Source Flash ProjectorEXE File:")},
        {form.txtEXEPath, {120, 840, 3825, 300}, QString()},
        {form.cmdSelectEXEFile, {4080, 840, 1215, 325}, QStringLiteral("Browse")},
        {form.lblCaption[1], {240, 1440, 1470, 195}, QStringLiteral("Destination SWF File")},
        {form.txtSWFPath, {120, 1680, 3825, 300}, QString()},
        {form.cmdSelectSWFFile, {4080, 1680, 1215, 325}, QStringLiteral("Browse")},
        {form.cmdParse, {1920, 2400, 1335, 375}, QStringLiteral("Convert Now")},
        {form.Label1, {360, 3000, 45, 195}, QString()},
        {form.Label2, {480, 4560, 480, 195}, QStringLiteral("Label2")},
        {form.txtContent, {720, 4440, 4775, 1695}, QString()},
    };
    for (const Control& each : controls) {
        const QRect t = each.twips;
        const QRect designed = platform::twipsRect(t.x(), t.y(), t.width(), t.height());
        // The captions keep their designed corner and grow, if need be, to show whole.
        if (each.widget == form.lblCaption[0] || each.widget == form.lblCaption[1]) {
            EXPECT_EQ(each.widget->pos(), designed.topLeft());
            EXPECT_GE(each.widget->width(), designed.width());
            EXPECT_GE(each.widget->height(), designed.height());
        } else {
            EXPECT_EQ(each.widget->geometry(), designed) << each.text.toStdString();
        }
        QString text;
        if (auto* label = qobject_cast<QLabel*>(each.widget))
            text = label->text();
        else if (auto* button = qobject_cast<QPushButton*>(each.widget))
            text = button->text();
        else if (auto* line = qobject_cast<QLineEdit*>(each.widget))
            text = line->text();
        else if (auto* box = qobject_cast<QPlainTextEdit*>(each.widget))
            text = box->toPlainText();
        EXPECT_EQ(text, each.text);
    }
    for (const QLabel* caption : form.lblCaption) {
        const QFontMetrics metrics(caption->font());
        EXPECT_GE(caption->contentsRect().width(), metrics.horizontalAdvance(caption->text()))
            << caption->text().toStdString();
        EXPECT_GE(caption->contentsRect().height(), metrics.height()) << caption->text().toStdString();
    }
    EXPECT_EQ(form.lblCaption[0]->font().pointSizeF(), 8.25);
    EXPECT_EQ(form.lblCaption[1]->font().family(), QStringLiteral("Tahoma"));
}

TEST_F(frmSWFTest, FocusStartsOnTheProjectorButtonAndTabsInDesignOrder)
{
    form.show();
    QApplication::setActiveWindow(&form);
    EXPECT_EQ(form.focusWidget(), form.cmdSelectEXEFile);

    const QWidget* order[] = {form.cmdSelectEXEFile, form.cmdSelectSWFFile, form.txtEXEPath,
                              form.txtContent,       form.txtSWFPath,       form.cmdParse};
    QWidget* at = form.cmdSelectEXEFile;
    for (std::size_t i = 1; i < std::size(order); ++i) {
        do
            at = at->nextInFocusChain();
        while (at->focusPolicy() == Qt::NoFocus || at->parentWidget() != &form);
        EXPECT_EQ(at, order[i]) << "stop " << i;
    }
    form.hide();
}

TEST_F(frmSWFTest, ProjectorIsPickedThroughTheOpenDialog)
{
    dialogs.answers.push_back(fakes::choose(QStringLiteral("/movies/intro.exe")));
    form.cmdSelectEXEFile_Click();

    ASSERT_EQ(dialogs.shown.size(), 1u);
    const platform::OpenFileNameA& record = dialogs.shown[0].record;
    EXPECT_EQ(dialogs.shown[0].call, fakes::FakeFileDialogs::Call::Open);
    EXPECT_EQ(record.lpstrFilter, QByteArray("Exe Only\0*.exe\0\0", 16));
    EXPECT_EQ(platform::filedialog::textOf(record.lpstrTitle), QStringLiteral("Open Falsh Projector"));
    EXPECT_EQ(record.Flags, platform::OFN_HIDEREADONLY);
    // Capitals would name another file here, so the path stays as chosen.
    EXPECT_EQ(form.txtEXEPath->text(), QStringLiteral("/movies/intro.exe"));
}

TEST_F(frmSWFTest, CancelledProjectorDialogKeepsTheTypedPath)
{
    form.txtEXEPath->setText(QStringLiteral("typed.exe"));
    dialogs.answers.push_back(fakes::cancel());
    form.cmdSelectEXEFile_Click();
    EXPECT_EQ(form.txtEXEPath->text(), QStringLiteral("typed.exe"));
}

TEST_F(frmSWFTest, DestinationIsPickedThroughASaveDialogStartingInItsFolder)
{
    form.txtSWFPath->setText(QStringLiteral("/movies/old.swf"));
    dialogs.answers.push_back(fakes::choose(QStringLiteral("/films/New.swf")));
    form.cmdSelectSWFFile_Click();

    ASSERT_EQ(dialogs.shown.size(), 1u);
    const platform::OpenFileNameA& record = dialogs.shown[0].record;
    EXPECT_EQ(dialogs.shown[0].call, fakes::FakeFileDialogs::Call::Save);
    EXPECT_EQ(record.Flags, 10242u);
    EXPECT_EQ(record.lpstrFilter, QByteArray("All Files (*.*)\0*.*\0SWF files\0*.swf\0\0", 37));
    EXPECT_EQ(record.lpstrInitialDir, QByteArray("/movies\0", 8));
    EXPECT_EQ(record.lpstrTitle, QByteArray(1, '\0'));
    EXPECT_TRUE(record.lpstrDefExt.isEmpty());
    EXPECT_EQ(form.txtSWFPath->text(), QStringLiteral("/films/New.swf"));
}

TEST_F(frmSWFTest, CancelledDestinationDialogChangesNothing)
{
    dialogs.answers.push_back(fakes::cancel());
    form.cmdSelectSWFFile_Click();
    EXPECT_EQ(dialogs.shown[0].record.lpstrInitialDir, QByteArray(1, '\0'));
    EXPECT_EQ(form.txtSWFPath->text(), QString());
    EXPECT_TRUE(fake.messageBox.shown.empty());
}

TEST_F(frmSWFTest, GetFilePathGivesTheFolderPart)
{
    struct Case {
        QString path, folder;
    };
    const Case cases[] = {
        {QStringLiteral("/movies/out.swf"), QStringLiteral("/movies")},
        {QStringLiteral("/home/me/movies/out.swf"), QStringLiteral("/home/me/movies")},
        {QStringLiteral("/out.swf"), QStringLiteral("/")},
        {QStringLiteral("out.swf"), QString()},
        {QString(), QString()},
    };
    for (const Case& each : cases)
        EXPECT_EQ(frmSWF::GetFilePath(each.path), each.folder) << each.path.toStdString();
}

TEST_F(frmSWFTest, EmptyPathsAreAskedForSourceFirst)
{
    struct Case {
        QString exe, swf, message;
    };
    const Case cases[] = {
        {QString(), QString(), QStringLiteral("Please select an Projector(Exe)File")},
        {QString(), QStringLiteral("out.swf"), QStringLiteral("Please select an Projector(Exe)File")},
        {QStringLiteral("in.exe"), QString(), QStringLiteral("Please Select An Destination Path")},
    };
    for (const Case& each : cases) {
        fake.messageBox.shown.clear();
        form.txtEXEPath->setText(each.exe);
        form.txtSWFPath->setText(each.swf);
        form.cmdParse_Click();
        ASSERT_EQ(fake.messageBox.shown.size(), 1u);
        const fakes::ShownMessage& shown = fake.messageBox.shown[0];
        EXPECT_EQ(shown.text, each.message);
        EXPECT_EQ(shown.title, QStringLiteral("converter"));
        EXPECT_EQ(shown.buttons, MsgButtons::Ok);
        EXPECT_EQ(shown.icon, MsgIcon::Critical);
        EXPECT_EQ(form.Label1->text(), QString());
        EXPECT_EQ(form.Label2->text(), QStringLiteral("Label2"));
    }
}

TEST_F(frmSWFTest, SuccessfulConversionShowsOutcomeAndSizes)
{
    const QString source = folder.filePath(QStringLiteral("intro.exe"));
    ASSERT_TRUE(testprojector::write(source, testprojector::bytes(1'000'000, {700'000})));
    form.txtEXEPath->setText(source);
    form.txtSWFPath->setText(folder.filePath(QStringLiteral("intro.swf")));
    form.cmdParse_Click();

    EXPECT_EQ(form.Label1->text(), QStringLiteral("Converting...: Succesfully\r\n"));
    EXPECT_EQ(form.Label2->text(), QStringLiteral("Original size: 1000000 bytes, extracted size: 300000 bytes"));
    EXPECT_GT(form.Label2->width(), platform::twipsToPixels(480)) << "the label sizes itself";
    EXPECT_EQ(QFile(folder.filePath(QStringLiteral("intro.swf"))).size(), 300'000);
    EXPECT_TRUE(fake.messageBox.shown.empty());
}

TEST_F(frmSWFTest, ShortSourceIsABadFileWithoutAMessage)
{
    const QString source = folder.filePath(QStringLiteral("small.exe"));
    ASSERT_TRUE(testprojector::write(source, testprojector::bytes(200'000)));
    form.txtContent->setPlainText(QStringLiteral("note: "));
    form.txtEXEPath->setText(source);
    form.txtSWFPath->setText(folder.filePath(QStringLiteral("small.swf")));
    form.cmdParse_Click();

    EXPECT_EQ(form.Label1->text(), QStringLiteral("Converting...: Bad File\r\n"));
    EXPECT_EQ(form.Label2->text(), QStringLiteral("note: Original size: 200000 bytes, extracted size: 0 bytes"));
    EXPECT_TRUE(fake.messageBox.shown.empty());
}

TEST_F(frmSWFTest, FailureThatIsNotTheProjectorsIsExplained)
{
    const QString source = folder.filePath(QStringLiteral("intro.exe"));
    ASSERT_TRUE(testprojector::write(source, testprojector::bytes(400'000, {350'000})));
    const QString fifo = folder.filePath(QStringLiteral("pipe.swf"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct {
        QString destination;
        QString words;
    } cases[] {
        {source, QStringLiteral("projector itself")},
        {fifo, QStringLiteral("a FIFO, not a regular file")},
    };
    for (const auto& c : cases) {
        fake.messageBox.shown.clear();
        form.txtEXEPath->setText(source);
        form.txtSWFPath->setText(c.destination);
        form.cmdParse_Click();

        EXPECT_EQ(form.Label1->text(), QStringLiteral("Converting...: Bad File\r\n"));
        ASSERT_EQ(fake.messageBox.shown.size(), 1u);
        EXPECT_EQ(fake.messageBox.shown[0].title, QStringLiteral("converter"));
        EXPECT_EQ(fake.messageBox.shown[0].icon, MsgIcon::Critical);
        EXPECT_TRUE(fake.messageBox.shown[0].text.contains(c.words)) << fake.messageBox.shown[0].text.toStdString();
        EXPECT_EQ(QFile(source).size(), 400'000);
    }
    EXPECT_TRUE(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
}

TEST(frmSWFSingle, OneWindowAtATimeBuiltAfreshAfterClosing)
{
    fakes::FakePlatform doubles;
    platform::Platform& fake = doubles.platform;

    frmSWF* first = frmSWF::showSingle(fake, nullptr);
    ASSERT_NE(first, nullptr);
    first->txtEXEPath->setText(QStringLiteral("typed.exe"));
    EXPECT_EQ(frmSWF::showSingle(fake, nullptr), first);
    EXPECT_EQ(frmSWF::single(), first);

    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frmSWF::single(), nullptr);

    frmSWF* second = frmSWF::showSingle(fake, nullptr);
    EXPECT_EQ(second->txtEXEPath->text(), QString());
    second->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
