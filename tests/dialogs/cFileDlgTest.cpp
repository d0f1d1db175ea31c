#include <stdexcept>

#include <gtest/gtest.h>

#include "dialogs/cFileDlg.h"
#include "dialogs/cFilters.h"
#include "support/FakeFileDialogs.h"

namespace {

using dialogs::cFileDlg;
using fakes::FakeFileDialogs;

QByteArray nuls(int count)
{
    return QByteArray(count, '\0');
}

TEST(cFileDlg, RecordCarriesEveryPropertyInTheSystemLayout)
{
    FakeFileDialogs system;
    cFileDlg dialog(system);
    dialog.InitDir(QStringLiteral("/movies"));
    dialog.Title(QStringLiteral("Pick one"));
    dialog.DefExt(QStringLiteral("swf"));
    dialog.FilterIndex(2);
    dialog.Flags(0x2802);
    QWidget* const owner = reinterpret_cast<QWidget*>(0x1234);
    dialog.ShowSave(owner);

    ASSERT_EQ(system.shown.size(), 1u);
    EXPECT_EQ(system.shown[0].call, FakeFileDialogs::Call::Save);
    const platform::OpenFileNameA& record = system.shown[0].record;
    EXPECT_EQ(record.lStructSize, 76u);
    EXPECT_EQ(record.hwndOwner, owner);
    EXPECT_EQ(record.Flags, 0x2802u);
    EXPECT_EQ(record.lpstrInitialDir, QByteArray("/movies\0", 8));
    EXPECT_EQ(record.lpstrTitle, QByteArray("Pick one\0", 9));
    EXPECT_EQ(record.lpstrDefExt, QByteArray("swf"));
    EXPECT_EQ(record.nFilterIndex, 2);
    EXPECT_EQ(record.lpstrCustomFilter, nuls(256));
    EXPECT_EQ(record.nMaxCustFilter, 255u);
    EXPECT_TRUE(record.lpTemplateName.isEmpty());
    EXPECT_EQ(record.lCustData, 0);
    EXPECT_EQ(record.lpfnHook, nullptr);
}

TEST(cFileDlg, EmptyPropertiesGiveEmptyTextsAndFullBuffers)
{
    FakeFileDialogs system;
    cFileDlg dialog(system);
    dialog.ShowOpen(nullptr);
    const platform::OpenFileNameA& record = system.shown.back().record;
    EXPECT_EQ(system.shown.back().call, FakeFileDialogs::Call::Open);
    EXPECT_EQ(record.lpstrFile, nuls(cFileDlg::kMaxPath + 1));
    EXPECT_EQ(record.nMaxFile, std::uint32_t(cFileDlg::kMaxPath));
    EXPECT_EQ(record.lpstrFileTitle, nuls(cFileDlg::kMaxPath + 1));
    EXPECT_EQ(record.nMaxFileTitle, std::uint32_t(cFileDlg::kMaxPath));
    EXPECT_EQ(record.lpstrInitialDir, nuls(1));
    EXPECT_EQ(record.lpstrTitle, nuls(1));
    EXPECT_TRUE(record.lpstrDefExt.isEmpty());
}

TEST(cFileDlg, FileBufferTakesUpToTheLongestPathTheSystemAccepts)
{
    struct Case {
        const char* property;
        int length;
        bool accepted;
    };
    const Case cases[] = {
        {"Filename", cFileDlg::kMaxPath, true},
        {"Filename", cFileDlg::kMaxPath + 1, false},
        {"FileTitle", cFileDlg::kMaxPath, true},
        {"FileTitle", cFileDlg::kMaxPath + 1, false},
    };
    for (const Case& each : cases) {
        FakeFileDialogs system;
        cFileDlg dialog(system);
        const QString text(each.length, QLatin1Char('a'));
        const bool isFilename = QByteArray(each.property) == "Filename";
        if (isFilename)
            dialog.Filename(text);
        else
            dialog.FileTitle(text);
        if (!each.accepted) {
            EXPECT_THROW(dialog.ShowSave(nullptr), std::invalid_argument) << each.property << each.length;
            EXPECT_TRUE(system.shown.empty());
            EXPECT_FALSE(dialog.Cancelled());
            EXPECT_EQ(isFilename ? dialog.Filename() : dialog.FileTitle(), text);
            continue;
        }
        dialog.ShowSave(nullptr);
        const platform::OpenFileNameA& record = system.shown.back().record;
        EXPECT_EQ(isFilename ? record.lpstrFile : record.lpstrFileTitle, text.toUtf8() + nuls(1));
    }
}

TEST(cFileDlg, CancelSetsCancelledForGoodAndReadsTheBuffersBack)
{
    FakeFileDialogs system;
    cFileDlg dialog(system);
    dialog.Filename(QStringLiteral("/movies/intro.swf"));
    dialog.FileTitle(QStringLiteral("intro.swf"));
    dialog.FilterIndex(1);

    system.answers.push_back(fakes::cancel());
    EXPECT_FALSE(dialog.ShowOpen(nullptr));
    EXPECT_TRUE(dialog.Cancelled());
    EXPECT_EQ(dialog.Filename(), QStringLiteral("/movies/intro.swf"));
    EXPECT_EQ(dialog.FileTitle(), QStringLiteral("intro.swf"));
    EXPECT_EQ(dialog.FilterIndex(), 1);

    system.answers.push_back(fakes::choose(QStringLiteral("/movies/outro.swf"), 2));
    EXPECT_TRUE(dialog.ShowOpen(nullptr));
    EXPECT_TRUE(dialog.Cancelled());
    EXPECT_EQ(dialog.Filename(), QStringLiteral("/movies/outro.swf"));
    EXPECT_EQ(dialog.FileTitle(), QStringLiteral("outro.swf"));
    EXPECT_EQ(dialog.FilterIndex(), 2);
}

TEST(cFileDlg, CancelThatClearsTheBufferEmptiesFilename)
{
    FakeFileDialogs system;
    cFileDlg dialog(system);
    dialog.Filename(QStringLiteral("/movies/intro.swf"));
    system.answers.push_back({fakes::DialogAnswer::Kind::CancelCleared, {}, 0});
    EXPECT_FALSE(dialog.ShowSave(nullptr));
    EXPECT_EQ(dialog.Filename(), QString());
}

TEST(cFileDlg, ChosenPathBecomesTheNextShowsStartingName)
{
    FakeFileDialogs system;
    cFileDlg dialog(system);
    dialog.Filename(QStringLiteral("first.swf"));
    system.answers.push_back(fakes::choose(QStringLiteral("/movies/chosen.swf")));
    ASSERT_TRUE(dialog.ShowSave(nullptr));
    EXPECT_EQ(system.shown[0].record.lpstrFile.left(10), QByteArray("first.swf\0", 10));
    EXPECT_FALSE(dialog.Filename().contains(QChar(u'\0')));

    dialog.ShowSave(nullptr);
    EXPECT_TRUE(system.shown[1].record.lpstrFile.startsWith(QByteArray("/movies/chosen.swf\0", 19)));
}

TEST(cFileDlg, MultiSelectAnswerKeepsOnlyTheFolder)
{
    // Answers as the system does for two files: folder, NUL, each name.
    struct TwoFiles final : platform::FileDialogs {
        bool getOpenFileName(platform::OpenFileNameA& record) override
        {
            return platform::filedialog::writeAnswer(
                record, {QStringLiteral("/movies/a.swf"), QStringLiteral("/movies/b.swf")}, 1);
        }
        bool getSaveFileName(platform::OpenFileNameA&) override { return false; }
    } twoFiles;
    cFileDlg dialog(twoFiles);
    dialog.Flags(dialog.Flags() | std::int32_t(platform::OFN_ALLOWMULTISELECT));
    ASSERT_TRUE(dialog.ShowOpen(nullptr));
    EXPECT_EQ(dialog.Filename(), QStringLiteral("/movies"));
}

TEST(cFileDlg, FilenameWithANulComesBackCut)
{
    FakeFileDialogs system;
    cFileDlg dialog(system);
    dialog.Filename(QStringLiteral("intro") + QChar(u'\0') + QStringLiteral("rest"));
    dialog.ShowOpen(nullptr);
    EXPECT_EQ(dialog.Filename(), QStringLiteral("intro"));
}

TEST(cFileDlg, TextsSurviveTheEightBitCopy)
{
    FakeFileDialogs system;
    cFileDlg dialog(system);
    const QString name = QStringLiteral("/films/\u00e9t\u00e9 \u6620\u753b.swf");
    system.answers.push_back(fakes::choose(name));
    ASSERT_TRUE(dialog.ShowSave(nullptr));
    EXPECT_EQ(dialog.Filename(), name);
    EXPECT_EQ(dialog.FileTitle(), QStringLiteral("\u00e9t\u00e9 \u6620\u753b.swf"));
}

TEST(cFileDlg, AChosenPathComesBackWholeWhateverItsLength)
{
    // A folder deep enough for any path the system takes: 254 bytes was
    // once the most a dialog answered.
    for (const int length : {254, 255, 1000, cFileDlg::kMaxPath - 1}) {
        const QString path = QStringLiteral("/") + QString(length - 1, QLatin1Char('d'));
        FakeFileDialogs system;
        system.answers.push_back(fakes::choose(path));
        cFileDlg dialog(system);
        EXPECT_TRUE(dialog.ShowSave(nullptr)) << length;
        EXPECT_EQ(dialog.Filename(), path) << length;
        EXPECT_FALSE(dialog.Cancelled()) << length;
    }
}

} // namespace
