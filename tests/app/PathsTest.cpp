#include <gtest/gtest.h>

#include <QDir>

#include "app/Paths.h"

TEST(Paths, JoinNeverDoublesTheSeparatorAtARoot)
{
    const QString sep = QDir::separator();
    EXPECT_EQ(app::joinPath(sep, QStringLiteral("intro.swf")), sep + "intro.swf");
    EXPECT_EQ(app::joinPath(sep + "movies", QStringLiteral("intro.swf")), sep + "movies" + sep + "intro.swf");
    EXPECT_EQ(app::joinPath(QString(), QStringLiteral("intro.swf")), QStringLiteral("intro.swf"));
}

TEST(Paths, FoldersLoseTheirTrailingSeparatorExceptAtARoot)
{
    EXPECT_EQ(app::normalFolder(QStringLiteral("/")), QDir::toNativeSeparators(QStringLiteral("/")));
    EXPECT_EQ(app::normalFolder(QStringLiteral("/tmp/")), QDir::toNativeSeparators(QStringLiteral("/tmp")));
    EXPECT_EQ(app::normalFolder(QStringLiteral("/tmp/a/../b")), QDir::toNativeSeparators(QStringLiteral("/tmp/b")));
}

TEST(Paths, ProgramFolderIsWhereTheExecutableLives)
{
    const QString folder = app::programFolder();
    EXPECT_FALSE(folder.isEmpty());
    EXPECT_TRUE(QDir(folder).exists());
    EXPECT_FALSE(folder.size() > 1 && folder.endsWith(QDir::separator()));
}
