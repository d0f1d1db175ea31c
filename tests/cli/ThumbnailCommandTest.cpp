#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include "TvkProcess.h"
#include "support/BlankThenDrawn.h"
#include "support/SwfWriter.h"

using swftest::SwfWriter;

namespace {

TEST(ThumbnailCommand, WritesTheFirstFrameThatDrawsScaledToFit)
{
    struct Case {
        QStringList size;
        QSize expected;
    };
    const Case cases[] {
        {{}, {128, 102}},
        {{"-s", "256"}, {256, 205}},
        {{"--size", "20"}, {20, 16}},
    };
    Scratch scratch;
    const QString movie = scratch.write("late.swf", swftest::blankThenDrawn(4, 8, swf::Compression::Zlib));
    for (const Case& c : cases) {
        const QString png = scratch.path("thumb.png");
        const TvkRun run = runTvk(QStringList {"thumbnail"} + c.size + QStringList {movie, png});
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        const QImage image(png);
        EXPECT_EQ(image.size(), c.expected);
        EXPECT_EQ(image.pixel(image.width() / 2, image.height() / 2), qRgb(255, 0, 0));
    }
}

TEST(ThumbnailCommand, RefusesWhatItCannotDo)
{
    Scratch scratch;
    const QString movie = scratch.write("m.swf", swftest::blankThenDrawn(0, 1));
    const QString junk = scratch.write("junk.swf", {'n', 'o', 't', ' ', 'a', ' ', 'm', 'o', 'v', 'i', 'e'});
    const QString png = scratch.path("out.png");
    struct Case {
        QStringList arguments;
        const char* reason;
    };
    const Case cases[] {
        {{"thumbnail", movie}, "usage"},
        {{"thumbnail", "-s", "0", movie, png}, "-s"},
        {{"thumbnail", "-s", "huge", movie, png}, "-s"},
        {{"thumbnail", "--time-limit", "0", movie, png}, "--time-limit"},
        {{"thumbnail", junk, png}, "junk.swf"},
        {{"thumbnail", scratch.path("missing.swf"), png}, "missing.swf"},
        {{"thumbnail", movie, scratch.path("no/such/dir/out.png")}, "could not write"},
    };
    for (const Case& c : cases) {
        const TvkRun run = runTvk(c.arguments);
        EXPECT_NE(run.status, 0) << c.reason;
        EXPECT_TRUE(run.err.contains(c.reason)) << c.reason << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.endsWith('\n')) << c.reason;
    }
    EXPECT_FALSE(QFile::exists(png));
}

TEST(ThumbnailCommand, AMovieThatOverrunsTheCapEndsTheRunWithoutAnImage)
{
    // 40 MB of one tag to inflate: far more than a millisecond's work.
    const std::vector<std::uint8_t> padding(40 * 1024 * 1024, 0);
    Scratch scratch;
    const QString movie = scratch.write("slow.swf", SwfWriter().tag(255, padding).showFrame().build(swf::Compression::Zlib));
    const QString png = scratch.path("out.png");
    const TvkRun run = runTvk({"thumbnail", "--time-limit", "1", movie, png});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("no thumbnail within 1 ms")) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(png));
    // With time enough the same movie has its thumbnail.
    EXPECT_EQ(runTvk({"thumbnail", movie, png}).status, 0);
    EXPECT_TRUE(QFile::exists(png));
}

} // namespace
