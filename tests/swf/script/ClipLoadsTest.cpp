// Loads into clips (MovieClipLoader, unloadMovie) in a movie opened from
// a folder: each outcome arrives at the second frame boundary, never
// inside the call, and every refusal leaves a diagnostic.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QUrl>

#include <string>

#include "support/ActionWriter.h"
#include "support/SwfWriter.h"
#include "swf/Player.h"
#include "swf/Renderer.h"
#include "swf/read/TagCode.h"

namespace {

using swftest::ActionCode;
using swftest::ActionWriter;

struct FolderMovie {
    QTemporaryDir folder;
    swf::Player player;
    std::string trace;

    FolderMovie()
    {
        const auto write = [&](const char* name, const QByteArray& bytes) {
            QFile file(folder.filePath(QString::fromLatin1(name)));
            EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        };
        QDir(folder.path()).mkdir(QStringLiteral("inside"));
        write("inside/notes.txt", "plain text, neither a movie nor an image");
        write("picture.jpg", QByteArray("\xFF\xD8\xFF\xE0", 4));
        write("movie2.swf", QByteArray("FWS\x08", 4));
        write("garbage.swf", QByteArray("CWS\x08\x40\x00\x00\x00not zlib at all", 23));
    }

    // Runs `code` as the first frame's actions, then `advances` frames;
    // returns what was traced after each advance, one entry per frame.
    std::vector<std::string> run(const ActionWriter& code, int advances)
    {
        swftest::SwfWriter writer;
        writer.setVersion(8).setFrameSize(100, 100).setFrameRate(12).setFrameCount(1);
        writer.tag(std::uint16_t(swf::TagCode::DoAction), code.build()).showFrame();
        const std::vector<std::uint8_t> bytes = writer.end().build();
        player.setTraceOutput([&](std::string_view line) { trace.append(line).append("\n"); });
        player.setMovieUrl(QUrl::fromLocalFile(folder.filePath(QStringLiteral("movie.swf"))).toString().toStdString());
        player.open();
        player.feed(bytes);
        player.finish();
        std::vector<std::string> frames {std::exchange(trace, {})};
        for (int i = 0; i < advances; ++i) {
            player.advance();
            frames.push_back(std::exchange(trace, {}));
        }
        return frames;
    }

    bool diagnosed(const std::string& part) const
    {
        for (const swf::Diagnostic& d : player.diagnostics())
            if (d.message.find(part) != std::string::npos)
                return true;
        return false;
    }
};

// a = createEmptyMovieClip("a", 1); a.x = 42
ActionWriter& makeClipA(ActionWriter& w)
{
    w.push("a", 1, "a", 2, "_root").op(ActionCode::GetVariable).push("createEmptyMovieClip").op(ActionCode::CallMethod).op(ActionCode::SetVariable);
    return w.push("a").op(ActionCode::GetVariable).push("x", 42).op(ActionCode::SetMember);
}

// trace(prefix + name + " " + second argument + " " + target.x)
ActionWriter listenerBody(const char* name)
{
    ActionWriter w;
    w.push(name, "e").op(ActionCode::GetVariable).op(ActionCode::Add2).push(" ").op(ActionCode::Add2);
    w.push("m").op(ActionCode::GetVariable).push("x").op(ActionCode::GetMember).op(ActionCode::Add2).op(ActionCode::Trace);
    return w;
}

TEST(ClipLoads, EachOutcomeReachesTheListenersAtTheSecondFrameBoundary)
{
    struct Case {
        const char* url;
        const char* heard; // in the second advance
        const char* diagnostic; // empty when none is due
    };
    const Case cases[] {
        {"absent.swf", "error URLNotFound 42\n", "absent.swf"},
        {"../outside.swf", "error URLNotFound 42\n", "outside the movie's folder"},
        {"http://example.com/x.swf", "error URLNotFound 42\n", "loads nothing from elsewhere"},
        {"javascript:alert(1)", "error URLNotFound 42\n", "refused"},
        // A broken image, and a movie cut short, fail as loads that never
        // completed, instead of leaving the movie waiting for onLoadInit.
        {"picture.jpg", "error LoadNeverCompleted 42\n", "cannot be decoded"},
        {"movie2.swf", "error LoadNeverCompleted 42\n", "not a movie this player can show"},
        {"garbage.swf", "error LoadNeverCompleted 42\n", "not a movie this player can show"},
        // Neither a movie nor an image: an empty clip takes the target's
        // place, its variables gone.
        {"inside/notes.txt", "start undefined undefined\nprogress 0 undefined\ncomplete 0 undefined\ninit undefined undefined\n", ""},
    };
    for (const Case& c : cases) {
        FolderMovie movie;
        ASSERT_TRUE(movie.folder.isValid());
        ActionWriter w;
        makeClipA(w);
        w.push("l", 0, "MovieClipLoader").op(ActionCode::NewObject).op(ActionCode::SetVariable);
        for (const char* event : {"Error", "Start", "Progress", "Complete", "Init"}) {
            std::string name = std::string(event);
            name[0] = char(name[0] - 'A' + 'a');
            w.push("l").op(ActionCode::GetVariable).push(("onLoad" + std::string(event)).c_str());
            w.defineFunction("", {"m", "e"}, listenerBody((name + " ").c_str())).op(ActionCode::SetMember);
        }
        w.push("a", c.url, 2, "l").op(ActionCode::GetVariable).push("loadClip").op(ActionCode::CallMethod).op(ActionCode::Trace);
        const std::vector<std::string> frames = movie.run(w, 3);
        EXPECT_EQ(frames[0], "true\n") << c.url;
        EXPECT_EQ(frames[1], "") << c.url;
        EXPECT_EQ(frames[2], c.heard) << c.url;
        EXPECT_EQ(frames[3], "") << c.url;
        EXPECT_TRUE(!*c.diagnostic || movie.diagnosed(c.diagnostic)) << c.url;
    }
}

// The loader is its own first listener, one that its _listeners show as
// undefined and that removeListener cannot take off.
TEST(ClipLoads, TheLoaderHearsItselfBeforeItsListeners)
{
    FolderMovie movie;
    ASSERT_TRUE(movie.folder.isValid());
    ActionWriter w;
    makeClipA(w);
    const auto say = [](const char* text) {
        ActionWriter body;
        body.push(text).op(ActionCode::Trace);
        return body;
    };
    w.push("l", 0, "MovieClipLoader").op(ActionCode::NewObject).op(ActionCode::SetVariable);
    w.push("o", 0, "Object").op(ActionCode::NewObject).op(ActionCode::SetVariable);
    w.push("o").op(ActionCode::GetVariable).push("onLoadError").defineFunction("", {}, say("other")).op(ActionCode::SetMember);
    w.push("l").op(ActionCode::GetVariable).push("onLoadError").defineFunction("", {}, say("self")).op(ActionCode::SetMember);
    w.push("o").op(ActionCode::GetVariable).push(1, "l").op(ActionCode::GetVariable).push("addListener").op(ActionCode::CallMethod).op(ActionCode::Pop);
    w.push("l").op(ActionCode::GetVariable).push(1, "l").op(ActionCode::GetVariable).push("removeListener").op(ActionCode::CallMethod).op(ActionCode::Trace);
    w.push("l").op(ActionCode::GetVariable).push("_listeners").op(ActionCode::GetMember).push(0).op(ActionCode::GetMember).op(ActionCode::Trace);
    w.push("a", "absent.swf", 2, "l").op(ActionCode::GetVariable).push("loadClip").op(ActionCode::CallMethod).op(ActionCode::Pop);
    const std::vector<std::string> frames = movie.run(w, 2);
    EXPECT_EQ(frames[0], "false\nundefined\n");
    EXPECT_EQ(frames[2], "self\nother\n");
}

TEST(ClipLoads, UnloadLeavesAnEmptyClipWithTheNameAndPlacementAtTheSecondBoundary)
{
    FolderMovie movie;
    ActionWriter w;
    makeClipA(w);
    w.push("a").op(ActionCode::GetVariable).push("_x", 30).op(ActionCode::SetMember);
    w.push("", "a").getUrl2(0x40);
    ActionWriter each;
    each.push("a").op(ActionCode::GetVariable).push("x").op(ActionCode::GetMember).push(" ").op(ActionCode::Add2);
    each.push("a").op(ActionCode::GetVariable).push("_x").op(ActionCode::GetMember).op(ActionCode::Add2).op(ActionCode::Trace);
    w.push("onEnterFrame").defineFunction("", {}, each).op(ActionCode::SetVariable);
    const std::vector<std::string> frames = movie.run(w, 2);
    EXPECT_EQ(frames[1], "42 30\n");
    EXPECT_EQ(frames[2], "undefined 30\n");
}

TEST(ClipLoads, TargetsThatNameNothingAreRefusedAtOnce)
{
    FolderMovie movie;
    ActionWriter w;
    w.push("l", 0, "MovieClipLoader").op(ActionCode::NewObject).op(ActionCode::SetVariable);
    for (const char* target : {"nowhere", "_levelx"}) {
        w.push("x.swf", target, 2, "l").op(ActionCode::GetVariable).push("loadClip").op(ActionCode::CallMethod).op(ActionCode::Trace);
    }
    w.push("x.swf", 1, "l").op(ActionCode::GetVariable).push("loadClip").op(ActionCode::CallMethod).op(ActionCode::Trace);
    EXPECT_EQ(movie.run(w, 0)[0], "false\nfalse\nfalse\n");
}

TEST(ClipLoads, AMovieAskingForLoadsWithoutEndGetsFailuresBeyondTheCap)
{
    FolderMovie movie;
    ActionWriter w;
    makeClipA(w);
    for (int i = 0; i < 70; ++i)
        w.push("absent.swf", "a").getUrl2(0x40);
    movie.run(w, 2);
    EXPECT_TRUE(movie.diagnosed("absent.swf\" into _level0.a failed"));
    EXPECT_TRUE(movie.diagnosed("more loads were asked for at once"));
}

TEST(ClipLoads, AnImageLoadedIntoAClipShowsThereAtItsOwnSize)
{
    FolderMovie movie;
    QImage red(40, 20, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(movie.folder.filePath(QStringLiteral("red.jpg")), "JPG"));
    ActionWriter w;
    makeClipA(w);
    w.push("a").op(ActionCode::GetVariable).push("_x", 50).op(ActionCode::SetMember);
    ActionWriter size;
    size.push("m").op(ActionCode::GetVariable).push("_width").op(ActionCode::GetMember).push("x").op(ActionCode::Add2);
    size.push("m").op(ActionCode::GetVariable).push("_height").op(ActionCode::GetMember).op(ActionCode::Add2).op(ActionCode::Trace);
    w.push("l", 0, "MovieClipLoader").op(ActionCode::NewObject).op(ActionCode::SetVariable);
    w.push("l").op(ActionCode::GetVariable).push("onLoadInit").defineFunction("", {"m"}, size).op(ActionCode::SetMember);
    w.push("a", "red.jpg", 2, "l").op(ActionCode::GetVariable).push("loadClip").op(ActionCode::CallMethod).op(ActionCode::Pop);
    const std::vector<std::string> frames = movie.run(w, 2);
    EXPECT_EQ(frames[2], "40x20\n");
    QImage stage(100, 100, QImage::Format_ARGB32_Premultiplied);
    swf::render(movie.player, stage);
    const QColor inside = stage.pixelColor(60, 10);
    EXPECT_GT(inside.red(), 200);
    EXPECT_LT(inside.green(), 60);
    EXPECT_NE(stage.pixelColor(20, 10), inside);
}

} // namespace
