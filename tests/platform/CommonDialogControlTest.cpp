#include <gtest/gtest.h>

#include "platform/CommonDialogControl.h"
#include "support/FakeFileDialogs.h"

namespace {

using platform::CommonDialogControl;

TEST(CommonDialogControl, ShowOpenHandsTheBarFilterAsPairsWithTitleAndFlags)
{
    fakes::FakeFileDialogs system;
    CommonDialogControl cdlg(system, nullptr);
    cdlg.Filter(QStringLiteral("Exe Only|*.exe|All|*.*"));
    cdlg.DialogTitle(QStringLiteral("Open Falsh Projector"));
    cdlg.Flags(4);
    cdlg.ShowOpen();

    ASSERT_EQ(system.shown.size(), 1u);
    const platform::OpenFileNameA& record = system.shown[0].record;
    EXPECT_EQ(system.shown[0].call, fakes::FakeFileDialogs::Call::Open);
    EXPECT_EQ(record.lpstrFilter, QByteArray("Exe Only\0*.exe\0All\0*.*\0\0", 24));
    EXPECT_EQ(platform::filedialog::textOf(record.lpstrTitle), QStringLiteral("Open Falsh Projector"));
    EXPECT_EQ(record.Flags, 4u);
    EXPECT_EQ(record.nFilterIndex, 1);
    EXPECT_EQ(record.nMaxFile, CommonDialogControl::kMaxFileSize);
}

TEST(CommonDialogControl, FileNameIsTheChoiceAndSurvivesACancel)
{
    fakes::FakeFileDialogs system;
    CommonDialogControl cdlg(system, nullptr);
    system.answers = {fakes::choose(QStringLiteral("/movies/intro.exe")), fakes::cancel()};
    EXPECT_TRUE(cdlg.ShowOpen());
    EXPECT_EQ(cdlg.FileName(), QStringLiteral("/movies/intro.exe"));
    EXPECT_FALSE(cdlg.ShowOpen());
    EXPECT_EQ(cdlg.FileName(), QStringLiteral("/movies/intro.exe"));
    EXPECT_TRUE(system.shown[1].record.lpstrFile.startsWith("/movies/intro.exe"));
}

TEST(CommonDialogControl, LongFileNamesGoInAndComeBackWhole)
{
    // In: a preset name longer than the usual buffer gets a buffer of its own.
    fakes::FakeFileDialogs system;
    CommonDialogControl cdlg(system, nullptr);
    const QString preset(int(CommonDialogControl::kMaxFileSize) + 100, QLatin1Char('a'));
    cdlg.FileName(preset);
    cdlg.ShowOpen();
    EXPECT_EQ(system.shown[0].record.nMaxFile, CommonDialogControl::kMaxFileSize + 101);
    EXPECT_EQ(cdlg.FileName(), preset);
    // Out: any path the system accepts is an answer, not a silent cancel.
    for (const int length : {255, 1000, int(CommonDialogControl::kMaxFileSize) - 1}) {
        const QString chosen = QStringLiteral("/") + QString(length - 1, QLatin1Char('m'));
        fakes::FakeFileDialogs again;
        again.answers.push_back(fakes::choose(chosen));
        CommonDialogControl fresh(again, nullptr);
        EXPECT_TRUE(fresh.ShowOpen()) << length;
        EXPECT_EQ(fresh.FileName(), chosen) << length;
    }
}

} // namespace
