#include <gtest/gtest.h>

#include <QSignalSpy>

#include "TempTree.h"
#include "app/DirListBox.h"

TEST(DirListBox, ShowsTheChainDownToTheFolderThenItsSubfolders)
{
    TempTree tree;
    tree.folder(QStringLiteral("movies/cartoons"));
    tree.folder(QStringLiteral("movies/adverts"));
    app::DirListBox dirs;
    ASSERT_TRUE(dirs.setPath(tree.at(QStringLiteral("movies"))));

    const int last = dirs.count() - 1;
    EXPECT_EQ(dirs.entryPath(0), QDir::toNativeSeparators(QDir::rootPath()));
    EXPECT_EQ(dirs.entryPath(last - 2), QDir::toNativeSeparators(tree.at(QStringLiteral("movies"))));
    EXPECT_EQ(dirs.entryPath(last - 1), QDir::toNativeSeparators(tree.at(QStringLiteral("movies/adverts"))));
    EXPECT_EQ(dirs.entryPath(last), QDir::toNativeSeparators(tree.at(QStringLiteral("movies/cartoons"))));
}

TEST(DirListBox, ChangeIsSignalledOnlyWhenTheFolderChanges)
{
    TempTree tree;
    tree.folder(QStringLiteral("a"));
    app::DirListBox dirs;
    QSignalSpy changes(&dirs, &app::DirListBox::Change);
    ASSERT_TRUE(dirs.setPath(tree.path()));
    ASSERT_TRUE(dirs.setPath(tree.path() + QDir::separator()));
    EXPECT_EQ(changes.count(), 1);
    ASSERT_TRUE(dirs.setPath(tree.at(QStringLiteral("a"))));
    EXPECT_EQ(changes.count(), 2);
}

TEST(DirListBox, NotAFolderIsRefusedAndNothingChanges)
{
    TempTree tree;
    tree.file(QStringLiteral("plain.swf"));
    app::DirListBox dirs;
    ASSERT_TRUE(dirs.setPath(tree.path()));
    QSignalSpy changes(&dirs, &app::DirListBox::Change);
    EXPECT_FALSE(dirs.setPath(tree.at(QStringLiteral("plain.swf"))));
    EXPECT_FALSE(dirs.setPath(tree.at(QStringLiteral("missing"))));
    EXPECT_FALSE(dirs.setPath(QString()));
    EXPECT_EQ(dirs.path(), tree.path());
    EXPECT_EQ(changes.count(), 0);
}

TEST(DirListBox, OpeningAnEntryThatVanishedShowsWhatIsThereNow)
{
    TempTree tree;
    tree.folder(QStringLiteral("fleeting"));
    app::DirListBox dirs;
    ASSERT_TRUE(dirs.setPath(tree.path()));
    const int row = dirs.count() - 1;
    ASSERT_EQ(dirs.entryPath(row), QDir::toNativeSeparators(tree.at(QStringLiteral("fleeting"))));
    QDir(tree.at(QStringLiteral("fleeting"))).removeRecursively();
    emit dirs.itemActivated(dirs.item(row));
    EXPECT_EQ(dirs.path(), tree.path());
    EXPECT_EQ(dirs.entryPath(dirs.count() - 1), QDir::toNativeSeparators(tree.path()));
}
