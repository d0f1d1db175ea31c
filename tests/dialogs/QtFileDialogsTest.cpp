// The desktop's dialog behind the open-file record, driven offscreen: a
// timer plays the person, so nothing waits on anyone.

#include <functional>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include "platform/FileDialogs.h"
#include "support/FakePlatform.h"

namespace {

using platform::OpenFileNameA;
using platform::MsgResult;

// The dialog's own OK button: what the person's click on it runs.
void confirm(QDialog& dialog)
{
    dialog.accept();
}

class QtFileDialogsTest : public testing::Test {
protected:
    // Runs the dialog call while `person` acts on the dialog once it is up.
    // Whatever the person leaves open is cancelled, so no test can hang.
    bool showing(const std::function<bool()>& call, const std::function<void(QFileDialog&)>& person)
    {
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            person(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        return call();
    }

    OpenFileNameA record(std::uint32_t flags)
    {
        OpenFileNameA record;
        record.lStructSize = platform::kOpenFileNameSize;
        record.lpstrFilter = QByteArray("All Files (*.*)\0*.*\0SWF files\0*.swf\0\0", 37);
        record.nFilterIndex = 1;
        record.lpstrFile = QByteArray(256, '\0');
        record.nMaxFile = 255;
        record.lpstrFileTitle = QByteArray(256, '\0');
        record.nMaxFileTitle = 255;
        record.lpstrInitialDir = folder.path().toUtf8() + '\0';
        record.Flags = flags;
        return record;
    }

    QString existing(const QString& name)
    {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return file.fileName();
    }

    QTemporaryDir folder;
    fakes::FakeMessageBox prompts;
    platform::QtFileDialogs dialogs{prompts};
};

TEST_F(QtFileDialogsTest, SaveAsksBeforeReplacingAndStaysOpenOnNo)
{
    const QString path = existing(QStringLiteral("old.swf"));
    OpenFileNameA save = record(platform::OFN_OVERWRITEPROMPT | platform::OFN_PATHMUSTEXIST);
    prompts.answers = {MsgResult::No, MsgResult::Yes};
    const bool chosen = showing([&] { return dialogs.getSaveFileName(save); },
                                [&](QFileDialog& dialog) {
                                    dialog.selectFile(path);
                                    confirm(dialog);
                                    EXPECT_TRUE(dialog.isVisible());
                                    confirm(dialog);
                                });
    ASSERT_TRUE(chosen);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_TRUE(prompts.shown[0].text.contains(QStringLiteral("Do you want to replace it?")));
    EXPECT_EQ(platform::filedialog::textOf(save.lpstrFile), path);
    EXPECT_EQ(platform::filedialog::textOf(save.lpstrFileTitle), QStringLiteral("old.swf"));
}

TEST_F(QtFileDialogsTest, SaveAddsTheDefaultExtensionAndAsksBeforeCreating)
{
    OpenFileNameA save = record(0x2802);
    save.lpstrDefExt = "swf";
    prompts.answers = {MsgResult::Yes};
    const bool chosen = showing([&] { return dialogs.getSaveFileName(save); },
                                [&](QFileDialog& dialog) {
                                    dialog.selectFile(folder.filePath(QStringLiteral("movie")));
                                    confirm(dialog);
                                });
    ASSERT_TRUE(chosen);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_TRUE(prompts.shown[0].text.contains(QStringLiteral("Do you want to create it?")));
    EXPECT_EQ(platform::filedialog::textOf(save.lpstrFile), folder.filePath(QStringLiteral("movie.swf")));
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("movie.swf")))) << "a dialog creates nothing";
}

TEST_F(QtFileDialogsTest, OpenRefusesAMissingFileAndCancelLeavesTheBuffer)
{
    OpenFileNameA open = record(platform::OFN_FILEMUSTEXIST | platform::OFN_HIDEREADONLY);
    open.lpstrFile = QByteArray("start.swf") + QByteArray(247, '\0');
    const QByteArray before = open.lpstrFile;
    const bool chosen = showing([&] { return dialogs.getOpenFileName(open); },
                                [&](QFileDialog& dialog) {
                                    dialog.selectFile(folder.filePath(QStringLiteral("missing.swf")));
                                    confirm(dialog);
                                    EXPECT_TRUE(dialog.isVisible());
                                });
    EXPECT_FALSE(chosen);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_TRUE(prompts.shown[0].text.contains(QStringLiteral("File not found")));
    EXPECT_EQ(open.lpstrFile, before);
}

TEST_F(QtFileDialogsTest, OpenShowsTitleAndPreselectedFilter)
{
    OpenFileNameA open = record(platform::OFN_HIDEREADONLY);
    open.lpstrTitle = QByteArray("Open Falsh Projector\0", 21);
    open.nFilterIndex = 2;
    const QString path = existing(QStringLiteral("intro.swf"));
    const bool chosen = showing([&] { return dialogs.getOpenFileName(open); },
                                [&](QFileDialog& dialog) {
                                    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Open Falsh Projector"));
                                    EXPECT_TRUE(dialog.selectedNameFilter().startsWith(QStringLiteral("SWF files")));
                                    EXPECT_EQ(dialog.findChild<QCheckBox*>(), nullptr);
                                    dialog.selectFile(path);
                                    confirm(dialog);
                                });
    ASSERT_TRUE(chosen);
    EXPECT_EQ(open.nFilterIndex, 2);
    EXPECT_EQ(platform::filedialog::textOf(open.lpstrFile), path);
}

TEST_F(QtFileDialogsTest, ReadOnlyBoxIsOfferedUnlessHiddenAndReportedInFlags)
{
    OpenFileNameA open = record(0);
    const QString path = existing(QStringLiteral("intro.swf"));
    const bool chosen = showing([&] { return dialogs.getOpenFileName(open); },
                                [&](QFileDialog& dialog) {
                                    auto* readOnly = dialog.findChild<QCheckBox*>();
                                    ASSERT_NE(readOnly, nullptr);
                                    readOnly->setChecked(true);
                                    dialog.selectFile(path);
                                    confirm(dialog);
                                });
    ASSERT_TRUE(chosen);
    EXPECT_TRUE(open.Flags & platform::OFN_READONLY);
}

} // namespace
