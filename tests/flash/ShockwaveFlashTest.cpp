#include <gtest/gtest.h>

#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "flash/FileSource.h"
#include "flash/ShockwaveFlash.h"
#include "support/SwfWriter.h"

namespace {

class ShockwaveFlashTest : public testing::Test {
protected:
    // Writes a movie of the given frames (and padding, to make it big) and
    // returns its path.
    QString writeMovie(const QString& name, int frames, swf::Compression compression = swf::Compression::None,
                       int paddingBytes = 0)
    {
        swftest::SwfWriter writer;
        writer.setFrameSize(400, 300).setFrameRate(24.0).setBackground({0x10, 0x20, 0x30});
        // An unknown tag is skipped; it only makes the movie long.
        const std::vector<std::uint8_t> padding(std::size_t(paddingBytes), 0xAB);
        if (paddingBytes > 0)
            writer.tag(250, padding);
        for (int i = 0; i < frames; ++i)
            writer.showFrame();
        const std::vector<std::uint8_t> bytes = writer.build(compression);
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        return path;
    }

    void loadFully(const QString& path)
    {
        QSignalSpy done(&control, &flash::ShockwaveFlash::loadFinished);
        control.setMovie(path);
        if (done.isEmpty()) {
            ASSERT_TRUE(done.wait(5000));
        }
    }

    QColor pixelAt(int x, int y)
    {
        return control.grab().toImage().pixelColor(x, y);
    }

    QTemporaryDir dir;
    flash::ShockwaveFlash control;
};

} // namespace

TEST_F(ShockwaveFlashTest, StartsWithTheStoredSettingsAndNoMovie)
{
    EXPECT_EQ(control.WMode(), QStringLiteral("Window"));
    EXPECT_TRUE(control.playSetting());
    EXPECT_TRUE(control.Loop());
    EXPECT_EQ(control.Quality(), QStringLiteral("High"));
    EXPECT_TRUE(control.Menu());
    EXPECT_EQ(control.AllowScriptAccess(), QStringLiteral("always"));
    EXPECT_EQ(control.Scale(), QStringLiteral("ShowAll"));
    EXPECT_FALSE(control.DeviceFont());
    EXPECT_FALSE(control.EmbedMovie());
    EXPECT_TRUE(control.Movie().isEmpty());
    EXPECT_FALSE(control.player().hasMovie());
    EXPECT_EQ(control.CurrentFrame(), 0);
    EXPECT_EQ(control.PercentLoaded(), 0);
}

TEST_F(ShockwaveFlashTest, AMoviePlaysAtOnceAndLoops)
{
    loadFully(writeMovie(QStringLiteral("three.swf"), 3));
    ASSERT_TRUE(control.player().hasMovie());
    EXPECT_EQ(control.PercentLoaded(), 100);
    EXPECT_EQ(control.CurrentFrame(), 0);
    control.advanceFrame();
    control.advanceFrame();
    EXPECT_EQ(control.CurrentFrame(), 2);
    control.advanceFrame();
    EXPECT_EQ(control.CurrentFrame(), 0);
}

TEST_F(ShockwaveFlashTest, StopHaltsAndPlayGoesOnFromTheCurrentFrame)
{
    loadFully(writeMovie(QStringLiteral("five.swf"), 5));
    control.advanceFrame();
    control.Stop();
    control.advanceFrame();
    EXPECT_EQ(control.CurrentFrame(), 1);
    control.Play();
    control.advanceFrame();
    EXPECT_EQ(control.CurrentFrame(), 2);
}

TEST_F(ShockwaveFlashTest, EveryCompressionLoads)
{
    for (swf::Compression compression : {swf::Compression::None, swf::Compression::Zlib, swf::Compression::Lzma}) {
        loadFully(writeMovie(QStringLiteral("c%1.swf").arg(int(compression)), 4, compression));
        EXPECT_TRUE(control.player().hasMovie()) << int(compression);
        EXPECT_EQ(control.player().frameCount(), 4);
        EXPECT_EQ(control.PercentLoaded(), 100);
    }
}

TEST_F(ShockwaveFlashTest, ABigMovieStartsBeforeItIsReadToTheEnd)
{
    const int padding = int(flash::FileSource::kChunkSize) * 3;
    const QString path = writeMovie(QStringLiteral("big.swf"), 2, swf::Compression::None, padding);
    QSignalSpy done(&control, &flash::ShockwaveFlash::loadFinished);
    control.setMovie(path);
    EXPECT_TRUE(control.player().hasMovie());
    EXPECT_TRUE(control.isLoading());
    EXPECT_LT(control.PercentLoaded(), 100);
    ASSERT_TRUE(done.wait(5000));
    EXPECT_EQ(control.PercentLoaded(), 100);
    EXPECT_EQ(control.player().framesLoaded(), 2);
}

TEST_F(ShockwaveFlashTest, ANewMovieCancelsAPendingLoad)
{
    const int padding = int(flash::FileSource::kChunkSize) * 3;
    control.setMovie(writeMovie(QStringLiteral("big.swf"), 9, swf::Compression::None, padding));
    loadFully(writeMovie(QStringLiteral("small.swf"), 2));
    QCoreApplication::processEvents();
    EXPECT_EQ(control.player().frameCount(), 2);
    EXPECT_FALSE(control.isLoading());
}

TEST_F(ShockwaveFlashTest, WhatIsNotAMovieLeavesTheControlEmpty)
{
    QFile text(dir.filePath(QStringLiteral("text.swf")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("hello, this is no movie");
    text.close();
    for (const QString& path : {text.fileName(), dir.filePath(QStringLiteral("missing.swf")), dir.path()}) {
        loadFully(path);
        EXPECT_FALSE(control.player().hasMovie()) << path.toStdString();
        EXPECT_EQ(control.CurrentFrame(), 0);
    }
    control.setMovie(QString());
    EXPECT_FALSE(control.player().hasMovie());
}

TEST_F(ShockwaveFlashTest, StageIsPaintedInTheMovieColourThenInTheChosenOne)
{
    control.resize(200, 50); // wider than the 4:3 stage: bars left and right
    loadFully(writeMovie(QStringLiteral("colour.swf"), 1));
    EXPECT_EQ(pixelAt(100, 25), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(pixelAt(2, 2), QColor(0x10, 0x20, 0x30));

    const qint32 chosen = 0x00563412; // red 0x12, green 0x34, blue 0x56
    control.setBackgroundColor(chosen);
    EXPECT_EQ(pixelAt(100, 25), QColor(0x12, 0x34, 0x56));
    // The chosen colour holds for the next movie too.
    loadFully(writeMovie(QStringLiteral("next.swf"), 1));
    EXPECT_EQ(pixelAt(100, 25), QColor(0x12, 0x34, 0x56));
}

TEST_F(ShockwaveFlashTest, ReducedMenuOffersOnlyAbout)
{
    std::unique_ptr<QMenu> full(control.buildContextMenu());
    int entries = 0;
    for (QAction* action : full->actions())
        entries += action->isSeparator() ? 0 : 1;
    EXPECT_GT(entries, 4);

    control.setMenu(false);
    std::unique_ptr<QMenu> reduced(control.buildContextMenu());
    ASSERT_EQ(reduced->actions().size(), 1);
    EXPECT_TRUE(reduced->actions().first()->text().startsWith(QStringLiteral("About")));
}

TEST_F(ShockwaveFlashTest, SizeIsPlacedInTwips)
{
    control.setWidth(7005);
    control.setHeight(4515);
    EXPECT_EQ(control.size(), QSize(467, 301));
    EXPECT_FLOAT_EQ(control.Width(), 7005.0f);
}
