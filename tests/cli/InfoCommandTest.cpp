#include <gtest/gtest.h>

#include <QJsonArray>

#include "TvkProcess.h"
#include "support/SwfWriter.h"

using swftest::SwfWriter;

namespace {

int countOf(const QJsonObject& info, int code)
{
    for (const QJsonValue& tag : info["tags"].toArray())
        if (tag["code"].toInt() == code)
            return tag["count"].toInt();
    return 0;
}

TEST(InfoCommand, ReportsHeaderFactsOfAGeneratedMovie)
{
    struct Case {
        swf::Compression compression;
        const char* signature;
        const char* name;
    };
    const Case cases[] {
        {swf::Compression::None, "FWS", "none"},
        {swf::Compression::Zlib, "CWS", "zlib"},
        {swf::Compression::Lzma, "ZWS", "lzma"},
    };
    for (const Case& c : cases) {
        SwfWriter writer;
        writer.setVersion(13).setFrameSize(550, 400).setFrameRate(24.5).setBackground({0x12, 0xAB, 0xEF});
        writer.showFrame().showFrame();
        Scratch scratch;
        const auto bytes = writer.build(c.compression);
        const TvkRun run = runTvk({"info", scratch.write("movie.swf", bytes)});
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_TRUE(run.err.isEmpty());
        const QJsonObject info = run.json();
        EXPECT_EQ(info["signature"].toString(), c.signature);
        EXPECT_EQ(info["compression"].toString(), c.name);
        EXPECT_EQ(info["version"].toInt(), 13);
        EXPECT_EQ(info["fileLength"].toInt(), int(writer.uncompressed().size()));
        EXPECT_EQ(info["stage"]["twips"]["width"].toInt(), 11000);
        EXPECT_EQ(info["stage"]["pixels"]["height"].toDouble(), 400.0);
        EXPECT_EQ(info["frameRate"].toDouble(), 24.5);
        EXPECT_EQ(info["frameCount"].toInt(), 2);
        EXPECT_EQ(info["framesLoaded"].toInt(), 2);
        EXPECT_EQ(info["backgroundColor"].toString(), "#12abef");
        EXPECT_EQ(countOf(info, 1), 2);
        EXPECT_EQ(countOf(info, 9), 1);
        EXPECT_TRUE(info["diagnostics"].toArray().isEmpty());
    }
}

TEST(InfoCommand, NamesKnownTagsOnly)
{
    SwfWriter writer;
    writer.tag(500).showFrame();
    Scratch scratch;
    const QJsonObject info = runTvk({"info", scratch.write("m.swf", writer.build())}).json();
    for (const QJsonValue& tag : info["tags"].toArray()) {
        if (tag["code"].toInt() == 500)
            EXPECT_FALSE(tag.toObject().contains("name"));
        else
            EXPECT_FALSE(tag["name"].toString().isEmpty());
    }
    const QJsonArray diagnostics = info["diagnostics"].toArray();
    ASSERT_EQ(diagnostics.size(), 1);
    EXPECT_EQ(diagnostics[0]["tagCode"].toInt(), 500);
}

TEST(InfoCommand, DamagedMovieStillReportsWithDiagnostics)
{
    SwfWriter writer;
    writer.showFrame().tagClaiming(2, 100000).showFrame();
    Scratch scratch;
    const TvkRun run = runTvk({"info", scratch.write("m.swf", writer.build(swf::Compression::Zlib))});
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.json()["framesLoaded"].toInt(), 1);
    EXPECT_FALSE(run.json()["diagnostics"].toArray().isEmpty());
}

TEST(InfoCommand, FailuresGiveOneLineAndNonZeroStatus)
{
    Scratch scratch;
    const QString notAMovie = scratch.write("notes.txt", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
    const QString empty = scratch.write("empty.swf", {});
    const QString truncated = scratch.write("cut.swf", {'F', 'W', 'S', 6, 100, 0, 0, 0, 0x78});
    const QString huge = scratch.write("huge.swf", SwfWriter().setDeclaredLength(0x7FFFFFFF).build(swf::Compression::Zlib));
    struct Case {
        QStringList arguments;
        const char* reason;
    };
    const Case cases[] {
        {{"info", scratch.path("missing.swf")}, "missing.swf"},
        {{"info", notAMovie}, "not a Flash movie"},
        {{"info", empty}, "empty"},
        {{"info", truncated}, "ends inside the header"},
        {{"info", huge}, "limit"},
        {{"info", scratch.path("")}, "folder"},
        {{"info"}, "usage"},
        {{"frobnicate"}, "unknown command"},
        {{}, "usage"},
    };
    for (const Case& c : cases) {
        const TvkRun run = runTvk(c.arguments);
        EXPECT_NE(run.status, 0) << c.reason;
        EXPECT_TRUE(run.out.isEmpty()) << c.reason;
        EXPECT_TRUE(run.err.contains(c.reason)) << c.reason << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.startsWith("tvk: ") || run.err.startsWith("usage")) << run.err.toStdString();
    }
}

} // namespace
