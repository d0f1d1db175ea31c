#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/FileDialogs.h"

namespace {

using namespace platform;
using filedialog::Verdict;

TEST(FileDialogRules, FilterPairsEndAtTheFirstEmptyString)
{
    const auto two = filedialog::filterPairs(QByteArray("All Files (*.*)\0*.*\0SWF files\0*.swf\0\0", 37));
    ASSERT_EQ(two.size(), 2);
    EXPECT_EQ(two[1].description, QStringLiteral("SWF files"));
    EXPECT_EQ(two[1].pattern, QStringLiteral("*.swf"));
    EXPECT_TRUE(filedialog::filterPairs(QByteArray(1, '\0')).isEmpty());
    EXPECT_EQ(filedialog::filterPairs(QByteArray("Exe\0*.exe\0\0\0Later\0*.x\0\0", 24)).size(), 1);
}

TEST(FileDialogRules, DefaultExtensionOnlyForNamesWithoutOne)
{
    struct Case {
        QString path, extension, expected;
    };
    const Case cases[] = {
        {QStringLiteral("/m/movie"), QStringLiteral("swf"), QStringLiteral("/m/movie.swf")},
        {QStringLiteral("/m/movie.SWF"), QStringLiteral("swf"), QStringLiteral("/m/movie.SWF")},
        {QStringLiteral("/m.d/movie"), QStringLiteral("swf"), QStringLiteral("/m.d/movie.swf")},
        {QStringLiteral("/m/movie"), QString(), QStringLiteral("/m/movie")},
    };
    for (const Case& each : cases)
        EXPECT_EQ(filedialog::withDefaultExtension(each.path, each.extension), each.expected) << each.path.toStdString();
}

TEST(FileDialogRules, VerdictFollowsTheFlags)
{
    QTemporaryDir folder;
    const QString present = folder.filePath(QStringLiteral("here.swf"));
    QFile(present).open(QIODevice::WriteOnly);
    const QString absent = folder.filePath(QStringLiteral("new.swf"));
    const QString nowhere = folder.filePath(QStringLiteral("no/such/folder/new.swf"));

    struct Case {
        const char* what;
        QString path;
        std::uint32_t flags;
        bool saving;
        Verdict expected;
    };
    const Case cases[] = {
        {"save over a file, asked", present, OFN_OVERWRITEPROMPT, true, Verdict::AskOverwrite},
        {"save over a file, not asked", present, 0, true, Verdict::Accept},
        {"save a new file, asked", absent, 0x2802, true, Verdict::AskCreate},
        {"save into a missing folder", nowhere, 0x2802, true, Verdict::PathMissing},
        {"save into a missing folder, unchecked", nowhere, 0, true, Verdict::Accept},
        {"open a missing file", absent, OFN_FILEMUSTEXIST, false, Verdict::FileMissing},
        {"open a missing file, create prompt wins", absent, OFN_FILEMUSTEXIST | OFN_CREATEPROMPT, false,
         Verdict::AskCreate},
        {"open from a missing folder", nowhere, OFN_FILEMUSTEXIST, false, Verdict::PathMissing},
        {"open an existing file", present, 0x285000, false, Verdict::Accept},
        {"overwrite prompt means nothing to open", present, OFN_OVERWRITEPROMPT, false, Verdict::Accept},
    };
    for (const Case& each : cases)
        EXPECT_EQ(filedialog::judge(each.path, each.flags, each.saving), each.expected) << each.what;
}

TEST(FileDialogRules, AnswerIsWrittenAsTheSystemWritesIt)
{
    OpenFileNameA record;
    record.lpstrFile = QByteArray(256, 'x');
    record.nMaxFile = 255;
    record.lpstrFileTitle = QByteArray(256, 'x');
    record.nMaxFileTitle = 255;
    const QString path = QDir::toNativeSeparators(QStringLiteral("/movies/intro.swf"));
    ASSERT_TRUE(filedialog::writeAnswer(record, {QStringLiteral("/movies/intro.swf")}, 2));
    EXPECT_TRUE(record.lpstrFile.startsWith(path.toUtf8() + '\0'));
    EXPECT_EQ(record.lpstrFile.size(), 256) << "the buffer keeps its size";
    EXPECT_TRUE(record.lpstrFileTitle.startsWith(QByteArray("intro.swf\0", 10)));
    EXPECT_EQ(record.nFilterIndex, 2);
    EXPECT_EQ(record.nFileOffset, 8);
    EXPECT_EQ(record.nFileExtension, 14);
}

TEST(FileDialogRules, SeveralFilesTakeTheMultiSelectForm)
{
    OpenFileNameA record;
    record.lpstrFile = QByteArray(64, '\0');
    record.nMaxFile = 64;
    ASSERT_TRUE(filedialog::writeAnswer(record, {QStringLiteral("/m/a.swf"), QStringLiteral("/m/b.swf")}, 1));
    const QByteArray folder = QDir::toNativeSeparators(QStringLiteral("/m")).toUtf8();
    EXPECT_TRUE(record.lpstrFile.startsWith(folder + QByteArray("\0a.swf\0b.swf\0\0", 14)));
    EXPECT_EQ(record.nFileOffset, folder.size() + 1);
}

TEST(FileDialogRules, AnswerThatDoesNotFitLeavesTheBuffers)
{
    struct Case {
        std::uint32_t capacity;
        bool fits;
    };
    // "/m/a.swf" and its NUL take nine bytes.
    for (const Case& each : {Case{8, false}, Case{9, true}}) {
        OpenFileNameA record;
        record.lpstrFile = QByteArray(16, '\0');
        record.nMaxFile = each.capacity;
        record.nFilterIndex = 3;
        EXPECT_EQ(filedialog::writeAnswer(record, {QStringLiteral("/m/a.swf")}, 1), each.fits) << each.capacity;
        EXPECT_EQ(record.nFilterIndex, each.fits ? 1 : 3);
        if (!each.fits) {
            EXPECT_EQ(record.lpstrFile, QByteArray(16, '\0'));
        }
    }
}

} // namespace
