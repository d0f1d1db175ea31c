#include <gtest/gtest.h>

#include <QRegularExpression>

#include "TvkProcess.h"
#include "support/BlankThenDrawn.h"

namespace {

TEST(BenchCommand, TimesTheFirstFrameAndTheFramesAfterIt)
{
    Scratch scratch;
    const QString movie = scratch.write("m.swf", swftest::blankThenDrawn(2, 6));
    const TvkRun run = runTvk({"bench", movie, "--frames", "12", "--size", "64x48"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QString out = QString::fromUtf8(run.out);
    EXPECT_TRUE(out.contains(QStringLiteral("size: 64x48\n")));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("first frame: \\d+\\.\\d\\d ms\n")).match(out).hasMatch()) << out.toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("frames: 12 in \\d+\\.\\d\\d ms, \\d+\\.\\d frames/s\n")).match(out).hasMatch())
        << out.toStdString();
    // Without --size the stage's own size is used.
    EXPECT_TRUE(runTvk({"bench", movie, "--frames", "1"}).out.contains("size: 100x80\n"));
}

TEST(BenchCommand, RefusesWhatItCannotMeasure)
{
    Scratch scratch;
    const QString movie = scratch.write("m.swf", swftest::blankThenDrawn(0, 1));
    for (const QStringList& extra : {QStringList {"--size", "0x10"}, QStringList {"--size", "64"},
                                     QStringList {"--size", "99999x2"}, QStringList {"--frames", "0"}}) {
        const TvkRun run = runTvk(QStringList {"bench", movie} + extra);
        EXPECT_EQ(run.status, 2) << extra.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
    EXPECT_NE(runTvk({"bench", scratch.path("missing.swf")}).status, 0);
}

} // namespace
