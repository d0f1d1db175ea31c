#include <gtest/gtest.h>

#include <QHelpEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include "TempTree.h"
#include "app/FileListBox.h"
#include "app/MoviePreviews.h"
#include "support/BlankThenDrawn.h"

namespace {

using app::MoviePreviews;

QByteArray bytesOf(const std::vector<std::uint8_t>& movie)
{
    return QByteArray(reinterpret_cast<const char*>(movie.data()), qsizetype(movie.size()));
}

class MoviePreviewsTest : public testing::Test {
protected:
    void SetUp() override
    {
        tree.file(QStringLiteral("late & <odd>.swf"), bytesOf(swftest::blankThenDrawn(3, 5, swf::Compression::Zlib)));
        tree.file(QStringLiteral("junk.swf"), "not a movie at all");
    }

    // Asks until the preview is there, as hovering again would.
    MoviePreviews::Preview previewOf(const QString& name)
    {
        const QString path = tree.at(name);
        QSignalSpy ready(&previews, &MoviePreviews::ready);
        if (!previews.preview(path)) {
            EXPECT_TRUE(ready.wait(10'000)) << name.toStdString();
        }
        return previews.preview(path).value_or(MoviePreviews::Preview {});
    }

    TempTree tree;
    MoviePreviews previews;
};

TEST_F(MoviePreviewsTest, AMovieIsDescribedAndPicturedByItsFirstFrameThatDraws)
{
    const MoviePreviews::Preview shown = previewOf(QStringLiteral("late & <odd>.swf"));
    EXPECT_TRUE(shown.problem.isEmpty());
    EXPECT_TRUE(shown.facts.contains(QStringLiteral("Stage 100 × 80 pixels")));
    ASSERT_EQ(shown.thumbnail.size(), QSize(MoviePreviews::kThumbnailSize, 77));
    EXPECT_EQ(shown.thumbnail.pixel(48, 38), qRgb(255, 0, 0));

    const QString tip = previews.toolTip(tree.at(QStringLiteral("late & <odd>.swf")));
    EXPECT_TRUE(tip.contains(QStringLiteral("late &amp; &lt;odd&gt;.swf")));
    EXPECT_TRUE(tip.contains(QStringLiteral("<img src=\"data:image/png;base64,")));
}

TEST_F(MoviePreviewsTest, WhatIsNoMovieSaysWhyInsteadOfFacts)
{
    const MoviePreviews::Preview shown = previewOf(QStringLiteral("junk.swf"));
    EXPECT_FALSE(shown.problem.isEmpty());
    EXPECT_TRUE(shown.facts.isEmpty());
    EXPECT_TRUE(shown.thumbnail.isNull());
}

TEST_F(MoviePreviewsTest, AMovieIsReadOnceUntilItChanges)
{
    const QString path = tree.at(QStringLiteral("junk.swf"));
    previewOf(QStringLiteral("junk.swf"));
    QSignalSpy ready(&previews, &MoviePreviews::ready);
    EXPECT_TRUE(previews.preview(path).has_value());
    // Rewritten with other contents, it is another movie.
    tree.file(QStringLiteral("junk.swf"), bytesOf(swftest::blankThenDrawn(0, 1)));
    EXPECT_FALSE(previews.preview(path).has_value());
    EXPECT_FALSE(previews.preview(path).has_value()); // asked twice, made once
    ASSERT_TRUE(ready.wait(10'000));
    EXPECT_TRUE(previews.preview(path)->problem.isEmpty());
    QCoreApplication::processEvents();
    EXPECT_EQ(ready.count(), 1);
}

TEST_F(MoviePreviewsTest, TheListShowsThePreviewOfTheEntryUnderThePointer)
{
    app::FileListBox list;
    list.resize(300, 200);
    list.setPath(tree.path());
    list.setPreviews(&previews);
    list.show();
    // A window becoming active hides any tooltip; people hover over windows already in front.
    list.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
    const QRect entry = list.visualRect(list.model()->index(1, 0)); // "late & <odd>.swf", after "junk.swf"
    const QPoint at = entry.center();
    QHelpEvent hover(QEvent::ToolTip, at, list.viewport()->mapToGlobal(at));
    QSignalSpy ready(&previews, &MoviePreviews::ready);
    QCoreApplication::sendEvent(list.viewport(), &hover);
    EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("Reading"))) << QToolTip::text().toStdString();
    ASSERT_TRUE(ready.wait(10'000));
    // The tooltip still up is brought up to date without another hover.
    EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("Stage 100 × 80 pixels"))) << QToolTip::text().toStdString();
    QToolTip::hideText();
}

} // namespace
