// The sandbox for script's loads: what a movie from disk and one from the
// web may read, and every kind of address each is refused.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "RunScript.h"
#include "swf/script/LoadPolicy.h"
#include "swf/script/classes/Loads.h"

namespace {

using swf::script::LoadTarget;
using Kind = LoadTarget::Kind;

TEST(LoadPolicy, MoviesReadOnlyWhereTheirOriginAllows)
{
    struct Case {
        const char* movie;
        const char* requested;
        Kind kind;
        const char* location; // when allowed
        swf::script::LocalSandbox sandbox = swf::script::LocalSandbox::Files;
    };
    constexpr auto kNetwork = swf::script::LocalSandbox::Network;
    const Case cases[] {
        {"file:///m/movie.swf", "data.txt", Kind::LocalFile, "/m/data.txt"},
        {"file:///m/movie.swf", "sub/data.txt", Kind::LocalFile, "/m/sub/data.txt"},
        {"file:///m/movie.swf", "file:///m/sub/x.xml", Kind::LocalFile, "/m/sub/x.xml"},
        {"file:///m/movie.swf", "../secret.txt", Kind::Refused, ""},
        {"file:///m/movie.swf", "sub/../../m2/x", Kind::Refused, ""},
        {"file:///m/movie.swf", "/etc/passwd", Kind::Refused, ""},
        {"file:///m/movie.swf", "file:///etc/passwd", Kind::Refused, ""},
        {"file:///m/movie.swf", "http://example.com/x", Kind::Refused, ""},
        {"file:///m/movie.swf", "javascript:alert(1)", Kind::Refused, ""},
        {"file:///m/movie.swf", "", Kind::Refused, ""},
        {"file:///m/movie.swf", "data.txt", Kind::Refused, "", kNetwork},
        {"file:///m/movie.swf", "http://example.com/x", Kind::Refused, "", kNetwork},
        {"http://host.example/dir/movie.swf", "data.txt", Kind::Web, "http://host.example/dir/data.txt"},
        {"http://host.example/dir/movie.swf", "https://HOST.example/x", Kind::Web, "https://host.example/x"},
        {"http://host.example/dir/movie.swf", "http://other.example/x", Kind::Refused, ""},
        {"http://host.example/dir/movie.swf", "data.txt", Kind::Web, "http://host.example/dir/data.txt", kNetwork},
        {"http://host.example/dir/movie.swf", "file:///etc/passwd", Kind::Refused, ""},
        {"http://host.example/dir/movie.swf", "ftp://host.example/x", Kind::Refused, ""},
        {"http://host.example/dir/movie.swf", "javascript:alert(1)", Kind::Refused, ""},
        {"ftp://host.example/movie.swf", "data.txt", Kind::Refused, ""},
        {"", "data.txt", Kind::Refused, ""},
    };
    for (const Case& c : cases) {
        const LoadTarget target = swf::script::resolveLoad(c.movie, c.requested, c.sandbox);
        EXPECT_EQ(target.kind, c.kind) << c.movie << " asks for " << c.requested;
        if (c.kind == Kind::Refused)
            EXPECT_FALSE(target.reason.empty()) << c.requested;
        else
            EXPECT_EQ(target.location, c.location) << c.requested;
    }
}

TEST(LoadPolicy, ALinkOutOfTheMoviesFolderIsRefused)
{
    QTemporaryDir outside;
    QTemporaryDir folder;
    ASSERT_TRUE(outside.isValid() && folder.isValid());
    QFile secret(outside.filePath(QStringLiteral("secret.txt")));
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::link(secret.fileName(), folder.filePath(QStringLiteral("link.txt"))));
    const std::string movie = "file://" + folder.filePath(QStringLiteral("movie.swf")).toStdString();
    EXPECT_EQ(swf::script::resolveLoad(movie, "link.txt").kind, Kind::Refused);
}

// A host that loads nothing refuses everything; the object hears of it
// at the next frame boundary, as onLoad(false), never inside load().
TEST(LoadPolicy, ARefusedLoadEndsInOnLoadFalseAtTheNextFrame)
{
    using namespace swftest;
    using A = ActionCode;
    ScriptRun run;
    ActionWriter onLoad;
    onLoad.push("loaded: ", "ok").op(A::GetVariable).op(A::Add2).op(A::Trace);
    ActionWriter w;
    w.push("lv", 0, "LoadVars").op(A::NewObject).op(A::SetVariable);
    w.push("lv").op(A::GetVariable).push("onLoad").defineFunction("", {"ok"}, onLoad).op(A::SetMember);
    w.push("data.txt", 1, "lv").op(A::GetVariable).push("load").op(A::CallMethod).op(A::Trace);
    EXPECT_EQ(run.run(w), "true\n");
    run.host.clearOutput();
    swf::script::deliverLoads(*run.machine);
    EXPECT_EQ(run.host.output(), "loaded: false\n");
}

} // namespace
