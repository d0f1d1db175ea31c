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
    cdlg.ShowOpen();
    EXPECT_EQ(cdlg.FileName(), QStringLiteral("/movies/intro.exe"));
    cdlg.ShowOpen();
    EXPECT_EQ(cdlg.FileName(), QStringLiteral("/movies/intro.exe"));
    EXPECT_TRUE(system.shown[1].record.lpstrFile.startsWith("/movies/intro.exe"));
}

TEST(CommonDialogControl, LongFileNameGetsABufferLargeEnough)
{
    fakes::FakeFileDialogs system;
    CommonDialogControl cdlg(system, nullptr);
    cdlg.FileName(QString(400, QLatin1Char('a')));
    cdlg.ShowOpen();
    EXPECT_EQ(system.shown[0].record.nMaxFile, 401u);
    EXPECT_EQ(cdlg.FileName(), QString(400, QLatin1Char('a')));
}

} // namespace
