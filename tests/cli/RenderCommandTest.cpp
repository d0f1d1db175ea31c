#include <gtest/gtest.h>

#include <QImage>

#include "TvkProcess.h"
#include "support/SwfWriter.h"

using swftest::SwfWriter;

namespace {

TEST(RenderCommand, WritesAnOpaqueStageSizedImage)
{
    struct Case {
        QStringList extra;
        QSize size;
    };
    const Case cases[] {
        {{}, {55, 40}},
        {{"--scale", "2"}, {110, 80}},
        {{"--scale", "0.5", "--frames", "3"}, {28, 20}},
    };
    Scratch scratch;
    const QString movie = scratch.write("m.swf", SwfWriter().setFrameSize(55, 40).setBackground({30, 60, 90}).showFrame().showFrame().build(swf::Compression::Zlib));
    for (const Case& c : cases) {
        const QString png = scratch.path("out.png");
        const TvkRun run = runTvk(QStringList {"render", movie, "-o", png} + c.extra);
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        const QImage image(png);
        EXPECT_EQ(image.size(), c.size);
        EXPECT_FALSE(image.hasAlphaChannel());
        EXPECT_EQ(image.pixel(0, 0), qRgb(30, 60, 90));
        EXPECT_EQ(image.pixel(image.width() - 1, image.height() - 1), qRgb(30, 60, 90));
    }
}

TEST(RenderCommand, RefusesWhatItCannotDo)
{
    Scratch scratch;
    const QString movie = scratch.write("m.swf", SwfWriter().showFrame().build());
    const QString empty = scratch.write("e.swf", SwfWriter().setFrameRect({}).showFrame().build());
    const QString vast = scratch.write("v.swf", SwfWriter().setFrameRect({0, 1 << 29, 0, 1 << 29}).showFrame().build());
    const QString png = scratch.path("out.png");
    struct Case {
        QStringList arguments;
        const char* reason;
    };
    const Case cases[] {
        {{"render", movie}, "usage"},
        {{"render", movie, "-o", png, "--frames", "-1"}, "--frames"},
        {{"render", movie, "-o", png, "--frames", "many"}, "--frames"},
        {{"render", movie, "-o", png, "--scale", "0"}, "--scale"},
        {{"render", movie, "-o", png, "--scale", "nan"}, "--scale"},
        {{"render", movie, "-o", png, "--bogus"}, "bogus"},
        {{"render", empty, "-o", png}, "no area"},
        {{"render", vast, "-o", png}, "too large"},
        {{"render", movie, "-o", scratch.path("no/such/dir/out.png")}, "could not write"},
    };
    for (const Case& c : cases) {
        const TvkRun run = runTvk(c.arguments);
        EXPECT_NE(run.status, 0) << c.reason;
        EXPECT_TRUE(run.err.contains(c.reason)) << c.reason << ": " << run.err.toStdString();
    }
}

} // namespace
