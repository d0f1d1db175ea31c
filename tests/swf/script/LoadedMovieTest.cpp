// Movies loaded into clips and levels: each shows with its own characters,
// runs its own code by its own version's rules, and answers for itself
// (_url, version, frames, bytes); whatever it is, a load never takes the
// player further than its caps.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QUrl>

#include <array>
#include <string>

#include "support/ActionWriter.h"
#include "support/SwfShapes.h"
#include "support/SwfWriter.h"
#include "swf/Player.h"
#include "swf/Renderer.h"
#include "swf/read/TagCode.h"
#include "swf/runtime/Stage.h"

namespace {

using swftest::ActionCode;
using swftest::ActionWriter;

std::vector<std::uint8_t> movieBytes(std::uint8_t version, const ActionWriter& firstFrame, std::vector<std::uint8_t> before = {})
{
    swftest::SwfWriter writer;
    writer.setVersion(version).setFrameSize(100, 100).setFrameRate(12).setFrameCount(2);
    if (!before.empty())
        writer.raw(before);
    writer.tag(std::uint16_t(swf::TagCode::DoAction), firstFrame.build()).showFrame().showFrame();
    return writer.end().build();
}

struct Folder {
    QTemporaryDir dir;
    void write(const char* name, std::span<const std::uint8_t> bytes)
    {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())), qint64(bytes.size()));
    }
};

// Plays `main` from the folder for `advances` frames; all it traced.
std::string play(swf::Player& player, Folder& folder, std::span<const std::uint8_t> main, int advances)
{
    std::string trace;
    player.setTraceOutput([&](std::string_view line) { trace.append(line).append("\n"); });
    player.setMovieUrl(QUrl::fromLocalFile(folder.dir.filePath(QStringLiteral("movie.swf"))).toString().toStdString());
    player.open();
    player.feed(main);
    player.finish();
    for (int i = 0; i < advances; ++i)
        player.advance();
    return trace;
}

// trace(this + " " + _root + " " + getSWFVersion() + " " + _framesloaded
//       + " " + _totalframes + " " + (getBytesTotal() > 0) + " " + FOO)
// after `foo = "folded"`: FOO finds foo only where names fold (before 7).
ActionWriter childCode()
{
    ActionWriter w;
    w.push("foo", "folded").op(ActionCode::SetVariable);
    w.push("this").op(ActionCode::GetVariable).push(" ").op(ActionCode::Add2);
    w.push("_root").op(ActionCode::GetVariable).op(ActionCode::Add2).push(" ").op(ActionCode::Add2);
    w.push(0, "this").op(ActionCode::GetVariable).push("getSWFVersion").op(ActionCode::CallMethod).op(ActionCode::Add2);
    w.push(" ").op(ActionCode::Add2).push("_framesloaded").op(ActionCode::GetVariable).op(ActionCode::Add2);
    w.push(" ").op(ActionCode::Add2).push("_totalframes").op(ActionCode::GetVariable).op(ActionCode::Add2).push(" ").op(ActionCode::Add2);
    w.push(0, "this").op(ActionCode::GetVariable).push("getBytesTotal").op(ActionCode::CallMethod).push(0).op(ActionCode::Greater);
    w.op(ActionCode::Add2).push(" ").op(ActionCode::Add2).push("FOO").op(ActionCode::GetVariable).op(ActionCode::Add2).op(ActionCode::Trace);
    return w;
}

TEST(LoadedMovie, ALoadedMovieRunsAsItselfInAClipOrALevel)
{
    struct Case {
        std::uint8_t childVersion;
        const char* target;
        const char* heard;
    };
    const Case cases[] {
        {6, "a", "_level0.a _level0 6 2 2 true folded\n"},
        {8, "a", "_level0.a _level0 8 2 2 true undefined\n"},
        {6, "_level3", "_level3 _level3 6 2 2 true folded\n"},
        {8, "_level3", "_level3 _level3 8 2 2 true undefined\n"},
    };
    for (const Case& c : cases) {
        Folder folder;
        folder.write("child.swf", movieBytes(c.childVersion, childCode()));
        ActionWriter main;
        main.push("a", 1, "a", 2, "_root").op(ActionCode::GetVariable).push("createEmptyMovieClip").op(ActionCode::CallMethod).op(ActionCode::Pop);
        main.push("child.swf", c.target).getUrl2(0x40);
        swf::Player player;
        EXPECT_EQ(play(player, folder, movieBytes(7, main), 3), c.heard) << c.target << int(c.childVersion);
    }
}

TEST(LoadedMovie, LoaderListenersHearOfAMovieAroundItsFirstFrame)
{
    Folder folder;
    ActionWriter child;
    child.op(ActionCode::Stop).push("frame").op(ActionCode::Trace);
    folder.write("child.swf", movieBytes(8, child));
    ActionWriter main;
    main.push("a", 1, "a", 2, "_root").op(ActionCode::GetVariable).push("createEmptyMovieClip").op(ActionCode::CallMethod).op(ActionCode::Pop);
    main.push("l", 0, "MovieClipLoader").op(ActionCode::NewObject).op(ActionCode::SetVariable);
    for (const char* event : {"Start", "Progress", "Complete", "Init", "Error"}) {
        ActionWriter heard;
        heard.push(event).op(ActionCode::Trace);
        main.push("l").op(ActionCode::GetVariable).push(("onLoad" + std::string(event)).c_str());
        main.defineFunction("", {}, heard).op(ActionCode::SetMember);
    }
    main.push("a", "child.swf", 2, "l").op(ActionCode::GetVariable).push("loadClip").op(ActionCode::CallMethod).op(ActionCode::Pop);
    swf::Player player;
    EXPECT_EQ(play(player, folder, movieBytes(8, main), 3), "Start\nProgress\nProgress\nComplete\nframe\nInit\n");
}

TEST(LoadedMovie, ALevelIsDrawnAboveTheMainMovieUntilUnloaded)
{
    Folder folder;
    const std::vector<std::uint8_t> place = swftest::tagBytes(std::uint16_t(swf::TagCode::PlaceObject2), swftest::placeObject2({1, 1}));
    const auto square = [&](swf::Color colour) {
        swftest::RectShape shape;
        shape.width = shape.height = 1000;
        shape.fill = colour;
        std::vector<std::uint8_t> tags = swftest::tagBytes(std::uint16_t(swf::TagCode::DefineShape3), swftest::defineShape3(shape));
        tags.insert(tags.end(), place.begin(), place.end());
        return tags;
    };
    folder.write("red.swf", movieBytes(6, ActionWriter(), square({255, 0, 0, 255})));
    struct Case {
        bool unload;
        QColor shown;
    };
    for (const Case& c : {Case {false, QColor(255, 0, 0)}, Case {true, QColor(0, 0, 255)}}) {
        ActionWriter main;
        main.push("red.swf", "_level1").getUrl2(0x40);
        if (c.unload)
            main.push("", "_level1").getUrl2(0x40);
        swf::Player player;
        play(player, folder, movieBytes(6, main, square({0, 0, 255, 255})), 3);
        QImage stage(100, 100, QImage::Format_ARGB32_Premultiplied);
        swf::render(player, stage);
        EXPECT_EQ(stage.pixelColor(10, 10), c.shown) << c.unload;
    }
}

// DefineBitsLossless2 of a 2x2 bitmap all of `argb`.
std::vector<std::uint8_t> bitmapTag(std::uint16_t id, std::array<std::uint8_t, 4> argb)
{
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < 4; ++i)
        pixels.insert(pixels.end(), argb.begin(), argb.end());
    std::vector<std::uint8_t> body {std::uint8_t(id), std::uint8_t(id >> 8), 5, 2, 0, 2, 0};
    const std::vector<std::uint8_t> packed = swftest::SwfWriter::zlib(pixels);
    body.insert(body.end(), packed.begin(), packed.end());
    return swftest::tagBytes(std::uint16_t(swf::TagCode::DefineBitsLossless2), body);
}

// Tags that fill a 1000-twip square at depth 1 with bitmap 1 of `argb`.
std::vector<std::uint8_t> bitmapSquare(std::array<std::uint8_t, 4> argb)
{
    // Shape 2: the square, its fill the bitmap scaled to it.
    std::vector<std::uint8_t> shape {2, 0};
    const std::vector<std::uint8_t> bounds = swftest::rectBytes(1000);
    shape.insert(shape.end(), bounds.begin(), bounds.end());
    shape.insert(shape.end(), {1, 0x40, 1, 0});
    swf::Matrix scale;
    scale.a = scale.d = 20;
    const std::vector<std::uint8_t> fillMatrix = swftest::matrixBytes(scale);
    shape.insert(shape.end(), fillMatrix.begin(), fillMatrix.end());
    shape.push_back(0);
    const std::vector<std::uint8_t> records = swftest::square(1000, true);
    shape.insert(shape.end(), records.begin(), records.end());
    std::vector<std::uint8_t> tags = bitmapTag(1, argb);
    const std::vector<std::uint8_t> shapeTag = swftest::tagBytes(std::uint16_t(swf::TagCode::DefineShape3), shape);
    const std::vector<std::uint8_t> place = swftest::tagBytes(std::uint16_t(swf::TagCode::PlaceObject2), swftest::placeObject2({1, 2}));
    tags.insert(tags.end(), shapeTag.begin(), shapeTag.end());
    tags.insert(tags.end(), place.begin(), place.end());
    return tags;
}

QColor shownAt(swf::Player& player, int x, int y)
{
    QImage stage(100, 100, QImage::Format_ARGB32_Premultiplied);
    swf::render(player, stage);
    return stage.pixelColor(x, y);
}

TEST(LoadedMovie, ALoadedMovieFillsWithItsOwnBitmaps)
{
    Folder folder;
    folder.write("red.swf", movieBytes(6, ActionWriter(), bitmapSquare({255, 255, 0, 0})));
    // The main movie's bitmap 1 is blue.
    ActionWriter main;
    main.push("red.swf", "_level1").getUrl2(0x40);
    swf::Player player;
    play(player, folder, movieBytes(6, main, bitmapSquare({255, 0, 0, 255})), 3);
    EXPECT_EQ(shownAt(player, 10, 10), QColor(255, 0, 0));
}

// An image loaded into a level shows there, level 0 too; level 0
// unloaded leaves the stage empty. The main movie shows red.
TEST(LoadedMovie, LevelsTakeImagesAndLevelZeroEmptiesWhenUnloaded)
{
    Folder folder;
    QImage blue(20, 20, QImage::Format_RGB32);
    blue.fill(QColor(0, 0, 255));
    ASSERT_TRUE(blue.save(folder.dir.filePath(QStringLiteral("blue.png"))));
    const struct {
        const char* url;
        const char* level;
        QColor shown;
    } cases[] {
        {"blue.png", "_level0", QColor(0, 0, 255)},
        {"blue.png", "_level2", QColor(0, 0, 255)},
        {"", "_level0", QColor(255, 255, 255)},
    };
    for (const auto& c : cases) {
        ActionWriter main;
        main.op(ActionCode::Stop).push(c.url, c.level).getUrl2(0x40);
        swf::Player player;
        play(player, folder, movieBytes(6, main, bitmapSquare({255, 255, 0, 0})), 3);
        EXPECT_EQ(shownAt(player, 10, 10), c.shown) << c.url << " " << c.level;
        EXPECT_TRUE(player.diagnostics().empty()) << player.diagnostics().front().message;
    }
}

TEST(LoadedMovie, AMovieLoadedIntoLevelZeroTakesTheMainMoviesPlace)
{
    Folder folder;
    // stop(); trace("next " + _level1), which version 6 adds as "" when
    // the level is gone
    ActionWriter next;
    next.op(ActionCode::Stop).push("next ", "_level1").op(ActionCode::GetVariable).op(ActionCode::Add2).op(ActionCode::Trace);
    swftest::SwfWriter writer;
    writer.setVersion(6).setFrameSize(300, 200).setFrameRate(30).setFrameCount(3).setBackground({0, 255, 0});
    writer.tag(std::uint16_t(swf::TagCode::DoAction), next.build()).showFrame().showFrame().showFrame();
    folder.write("next.swf", writer.end().build());
    folder.write("other.swf", movieBytes(6, ActionWriter()));
    // stop(); trace("main"); loadMovieNum("other.swf", 1); then into level 0
    // by number or through the clip.
    for (const bool byClip : {false, true}) {
        ActionWriter main;
        main.op(ActionCode::Stop).push("main").op(ActionCode::Trace);
        main.push("other.swf", "_level1").getUrl2(0x40);
        if (byClip)
            main.push("next.swf", 1, "_level0").op(ActionCode::GetVariable).push("loadMovie").op(ActionCode::CallMethod).op(ActionCode::Pop);
        else
            main.push("next.swf", "_level0").getUrl2(0x40);
        swf::Player player;
        EXPECT_EQ(play(player, folder, movieBytes(6, main), 3), "main\nnext \n") << byClip;
        EXPECT_EQ(player.frameRate(), 30);
        EXPECT_EQ(player.frameCount(), 3);
        EXPECT_EQ(player.backgroundColor(), (swf::Color {0, 255, 0, 255}));
        EXPECT_TRUE(player.stage()->levels().empty());
    }
}

TEST(LoadedMovie, AMovieLoadingItselfIntoItselfStopsAtTheNestingCap)
{
    Folder folder;
    // Each copy makes a clip and loads the movie into it again.
    ActionWriter again;
    again.op(ActionCode::Stop);
    again.push("c", 1, "c", 2, "this").op(ActionCode::GetVariable).push("createEmptyMovieClip").op(ActionCode::CallMethod).op(ActionCode::Pop);
    again.push("this").op(ActionCode::GetVariable).op(ActionCode::Trace);
    again.push("movie.swf", "c").getUrl2(0x40);
    const std::vector<std::uint8_t> self = movieBytes(6, again);
    folder.write("movie.swf", self);
    swf::Player player;
    const std::string heard = play(player, folder, self, 120);
    // One copy a level down every second frame, until clips nest no deeper.
    EXPECT_EQ(std::count(heard.begin(), heard.end(), '\n'), swf::Stage::kMaxNesting + 1);
    EXPECT_TRUE(player.hasMovie());
}

} // namespace
