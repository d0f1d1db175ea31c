#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "TempTree.h"
#include "app/FileListBox.h"

namespace {

QStringList entries(const app::FileListBox& list)
{
    QStringList names;
    for (int i = 0; i < list.listCount(); ++i)
        names << list.entry(i);
    return names;
}

class FileListBoxTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"intro.swf", "B.SWF", "clip.xswf", "notes.txt", "swf", "a.swf.bak"})
            tree.file(QString::fromLatin1(name));
        tree.folder(QStringLiteral("folder.swf"));
        QFile::link(tree.at(QStringLiteral("gone.swf")), tree.at(QStringLiteral("broken.swf")));
        list.setPattern(QStringLiteral("*.*swf"));
        ASSERT_TRUE(list.setPath(tree.path()));
    }

    TempTree tree;
    app::FileListBox list;
};

} // namespace

TEST_F(FileListBoxTest, ListsMatchingFilesOnlySortedWithoutRegardToCase)
{
    EXPECT_EQ(entries(list), (QStringList{"B.SWF", "clip.xswf", "intro.swf"}));
    EXPECT_EQ(list.listCount(), 3);
}

TEST_F(FileListBoxTest, SelectionReportsTheBareNameAndNothingWhenNoneIsSelected)
{
    EXPECT_EQ(list.fileName(), QString());
    list.setListIndex(2);
    EXPECT_EQ(list.fileName(), QStringLiteral("intro.swf"));
    list.setListIndex(-1);
    EXPECT_EQ(list.fileName(), QString());
}

TEST_F(FileListBoxTest, SettingTheFileNameToAFolderListsThatFolder)
{
    tree.folder(QStringLiteral("more"));
    tree.file(QStringLiteral("more/one.swf"));
    EXPECT_TRUE(list.setFileName(tree.at(QStringLiteral("more"))));
    EXPECT_EQ(entries(list), QStringList{"one.swf"});
    EXPECT_EQ(list.pattern(), QStringLiteral("*.*swf"));
}

TEST_F(FileListBoxTest, SettingAPatternChangesThePattern)
{
    EXPECT_TRUE(list.setFileName(QStringLiteral("*.txt")));
    EXPECT_EQ(entries(list), QStringList{"notes.txt"});
}

TEST_F(FileListBoxTest, AValueThatIsNeitherFolderNorPatternFailsAndChangesNothing)
{
    const QStringList before = entries(list);
    EXPECT_FALSE(list.setFileName(tree.at(QStringLiteral("no-such-folder"))));
    EXPECT_FALSE(list.setFileName(QStringLiteral("/no/such/place/*.swf")));
    EXPECT_EQ(entries(list), before);
    EXPECT_EQ(list.path(), tree.path());
}

TEST_F(FileListBoxTest, VanishedFolderIsRefusedAndARefreshOfItListsNothing)
{
    tree.folder(QStringLiteral("brief"));
    tree.file(QStringLiteral("brief/a.swf"));
    ASSERT_TRUE(list.setPath(tree.at(QStringLiteral("brief"))));
    EXPECT_EQ(list.listCount(), 1);
    QDir(tree.at(QStringLiteral("brief"))).removeRecursively();
    list.refresh();
    EXPECT_EQ(list.listCount(), 0);
    EXPECT_FALSE(list.setPath(tree.at(QStringLiteral("brief"))));
}

TEST_F(FileListBoxTest, EveryChangeOfSelectionAndEveryClickCountsAsAClick)
{
    QSignalSpy clicks(&list, &app::FileListBox::Click);
    // What a click handler reads at the moment of the click.
    QStringList seen;
    QObject::connect(&list, &app::FileListBox::Click, [&] { seen << list.fileName(); });
    list.resize(200, 200);
    list.show();
    list.setFocus();
    list.setListIndex(0);
    EXPECT_EQ(clicks.count(), 1);
    QTest::keyClick(&list, Qt::Key_Down);
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(clicks.count(), 3);
    EXPECT_EQ(list.fileName(), QStringLiteral("intro.swf"));

    // Clicking the entry already selected plays it again; a new one, once.
    const QRect third = list.visualRect(list.model()->index(2, 0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_EQ(clicks.count(), 4);
    const QRect first = list.visualRect(list.model()->index(0, 0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, first.center());
    EXPECT_EQ(clicks.count(), 5);
    EXPECT_EQ(seen, (QStringList {"B.SWF", "clip.xswf", "intro.swf", "intro.swf", "B.SWF"}));
}

TEST(FileListBoxListing, UnreadableOrMissingFoldersListNothing)
{
    const app::FilePattern any(QStringLiteral("*.*"));
    EXPECT_TRUE(app::FileListBox::listFolder(QStringLiteral("/no/such/folder"), any).isEmpty());
    EXPECT_TRUE(app::FileListBox::listFolder(QString(), any).isEmpty());
}
