#include <stdexcept>

#include <gtest/gtest.h>

#include "dialogs/cFileDlg.h"
#include "dialogs/cFilters.h"
#include "support/FakeFileDialogs.h"

namespace {

using dialogs::cFilters;

// The buffer is what the system dialog receives when the list is shown.
struct Listed {
    fakes::FakeFileDialogs system;
    dialogs::cFileDlg dialog{system};
    std::shared_ptr<cFilters> filters = dialog.Filters();

    QByteArray buffer()
    {
        dialog.ShowOpen(nullptr);
        return system.shown.back().record.lpstrFilter;
    }
};

TEST(cFilters, NewListIsEmptyAndAnswersBlanks)
{
    cFilters filters;
    EXPECT_EQ(filters.Count(), 0);
    EXPECT_EQ(filters.Filter(0), QString());
    EXPECT_EQ(filters.Filter(-1), QString());
    filters.Remove(0); // nothing to remove, nothing reported
    EXPECT_EQ(filters.Count(), 0);
}

TEST(cFilters, FilterJoinsDescriptionAndPatternWithASemicolon)
{
    cFilters filters;
    filters.AddFilter(QStringLiteral("All Files (*.*)"), QStringLiteral("*.*"));
    filters.AddFilter(QStringLiteral("SWF files"), QStringLiteral("*.swf"));
    EXPECT_EQ(filters.Count(), 2);
    EXPECT_EQ(filters.Filter(0), QStringLiteral("All Files (*.*);*.*"));
    EXPECT_EQ(filters.Filter(1), QStringLiteral("SWF files;*.swf"));
    EXPECT_EQ(filters.Filter(2), QString());
    EXPECT_THROW(filters.Filter(-1), std::out_of_range);
    EXPECT_EQ(filters.Count(), 2);
}

TEST(cFilters, RemoveTakesOutOneEntryOrNothing)
{
    struct Case {
        int index;
        QStringList left;
    };
    const Case cases[] = {
        {0, {QStringLiteral("SWF files;*.swf")}},
        {1, {QStringLiteral("All Files (*.*);*.*")}},
        {2, {QStringLiteral("All Files (*.*);*.*"), QStringLiteral("SWF files;*.swf")}},
        {-1, {QStringLiteral("All Files (*.*);*.*"), QStringLiteral("SWF files;*.swf")}},
    };
    for (const Case& each : cases) {
        cFilters filters;
        filters.AddFilter(QStringLiteral("All Files (*.*)"), QStringLiteral("*.*"));
        filters.AddFilter(QStringLiteral("SWF files"), QStringLiteral("*.swf"));
        filters.Remove(each.index);
        QStringList left;
        for (int i = 0; i < filters.Count(); ++i)
            left << filters.Filter(i);
        EXPECT_EQ(left, each.left) << "Remove(" << each.index << ")";
    }
}

TEST(cFilters, RemovingTheOnlyEntryEmptiesTheListForANewStart)
{
    cFilters filters;
    filters.AddFilter(QStringLiteral("SWF files"), QStringLiteral("*.swf"));
    filters.Remove(0);
    EXPECT_EQ(filters.Count(), 0);
    filters.AddFilter(QStringLiteral("Exe"), QStringLiteral("*.exe"));
    EXPECT_EQ(filters.Filter(0), QStringLiteral("Exe;*.exe"));
}

TEST(cFilters, BufferPairsEachEntryWithNulsAndClosesWithOneMore)
{
    Listed listed;
    listed.filters->AddFilter(QStringLiteral("SWF files"), QStringLiteral("*.swf"));
    const QByteArray two = listed.buffer();
    EXPECT_EQ(two, QByteArray("All Files (*.*)\0*.*\0SWF files\0*.swf\0\0", 37));

    listed.filters->Remove(0);
    EXPECT_EQ(listed.buffer(), QByteArray("SWF files\0*.swf\0\0", 17));

    listed.filters->Clear();
    EXPECT_EQ(listed.buffer(), QByteArray(1, '\0'));
}

TEST(cFilters, EmptyTextsStillContributeTheirNuls)
{
    Listed listed;
    listed.filters->Clear();
    listed.filters->AddFilter(QString(), QString());
    listed.filters->AddFilter(QStringLiteral("SWF files"), QStringLiteral("*.swf"));
    EXPECT_EQ(listed.buffer(), QByteArray("\0\0SWF files\0*.swf\0\0", 19));
    // The dialog stops at the first empty string, so it offers nothing.
    EXPECT_TRUE(platform::filedialog::filterPairs(listed.buffer()).isEmpty());
}

} // namespace
