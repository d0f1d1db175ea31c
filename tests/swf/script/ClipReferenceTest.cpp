// The display side through the Host seam, with the fake stage: target
// paths, clip properties, timeline actions on the target, and references
// that outlive their clip.

#include <gtest/gtest.h>

#include "RunScript.h"

namespace {

using namespace swftest;
using A = ActionCode;

void makeClip(ActionWriter& w, const char* parent, const char* name, int depth)
{
    w.push(depth, name, 2).push(parent).op(A::GetVariable).push("createEmptyMovieClip").op(A::CallMethod).op(A::Pop);
}

TEST(ClipReference, AReferenceReachesTheClipNowAtItsPath)
{
    ScriptRun run;
    ActionWriter w;
    makeClip(w, "_root", "a", 1);
    w.push("keep", "a").op(A::GetVariable).op(A::SetVariable);
    w.push("a").op(A::GetVariable).push("mark", "first").op(A::SetMember);
    w.push(0, "a").op(A::GetVariable).push("removeMovieClip").op(A::CallMethod).op(A::Pop);
    w.push("keep").op(A::GetVariable).op(A::Trace);
    w.push("keep").op(A::GetVariable).push("_name").op(A::GetMember).op(A::Trace);
    w.push("keep").op(A::GetVariable).push("mark").op(A::GetMember).op(A::Trace);
    makeClip(w, "_root", "a", 2);
    w.push("a").op(A::GetVariable).push("mark", "second").op(A::SetMember);
    w.push("keep").op(A::GetVariable).push("mark").op(A::GetMember).op(A::Trace);
    w.push("keep").op(A::GetVariable).push("_target").op(A::GetMember).op(A::Trace);
    EXPECT_EQ(run.run(w), "\nundefined\nundefined\nsecond\n/a\n");
}

TEST(ClipReference, PathsInEveryForm)
{
    ScriptRun run;
    ActionWriter w;
    makeClip(w, "_root", "a", 1);
    makeClip(w, "a", "b", 1);
    w.push("a").op(A::GetVariable).push("b").op(A::GetMember).push("v", 7).op(A::SetMember);
    for (const char* path : {"/a/b:v", "a.b.v", "_root.a.b.v", "_level0.a.b.v", "/a/b/../b:v"})
        w.push(path).op(A::GetVariable).op(A::Trace);
    w.push("/a/b").op(A::GetVariable).op(A::TargetPath).op(A::Trace);
    w.push("a.b").op(A::GetVariable).push("_parent").op(A::GetMember).push("_name").op(A::GetMember).op(A::Trace);
    w.push("a").op(A::GetVariable).push("_target").op(A::GetMember).op(A::Trace);
    EXPECT_EQ(run.run(w), "7\n7\n7\n7\n7\n_level0.a.b\na\n/a\n");
}

// Where a variable name is split, and how its path is walked.
TEST(ClipReference, VariablePathsSplitAndWalkAsTheReferencePlayerDoes)
{
    const struct {
        const char* name;
        const char* traced;
    } cases[] {
        {":::a.b", "2"},         // leading colons are passed over
        {":b", "undefined"},     // an empty path leads nowhere
        {".a.b", "undefined"},   // a part takes its first character as it is: ".a"
        {"a::a:b", "undefined"}, // ":a"
        {"a/a.b", "3"},          // split at the last ':' or '.'
        {"/a.a:b", "undefined"}, // after a '/' a dot belongs to the name
        {"a.a/..:b", "2"},       // before it, it separates, and ".." is the parent
        {"a/b", "undefined"},    // a bare slash path names only clips
        {"a/a", "_level0.a.a"},
        {"_level0", "shadow"},   // a variable hides the level
        {"a/_level0", "_level0"},
    };
    ScriptRun run;
    ActionWriter w;
    makeClip(w, "_root", "a", 1);
    makeClip(w, "a", "a", 1);
    w.push("b", 1).op(A::SetVariable);
    w.push("_level0", "shadow").op(A::SetVariable);
    w.push("a").op(A::GetVariable).push("b", 2).op(A::SetMember);
    w.push("a").op(A::GetVariable).push("a").op(A::GetMember).push("b", 3).op(A::SetMember);
    std::string expected;
    for (const auto& c : cases) {
        w.push(c.name).op(A::GetVariable).op(A::Trace);
        expected += std::string(c.traced) + "\n";
    }
    // In a with block a variable path starts from the block's clip, a clip
    // path still from the target.
    ActionWriter body;
    body.push("a:b").op(A::GetVariable).op(A::Trace);
    body.push("a/a").op(A::GetVariable).op(A::Trace);
    w.push("a").op(A::GetVariable).with(body);
    expected += "3\n_level0.a.a\n";
    EXPECT_EQ(run.run(w), expected);
}

TEST(ClipReference, NumberedPropertiesAndTellTargetReachTheHost)
{
    ScriptRun run;
    ActionWriter w;
    makeClip(w, "_root", "a", 1);
    w.push("a", 0, 25).op(A::SetProperty);       // _x
    w.push("a", 13, "renamed").op(A::SetProperty); // _name
    w.push("renamed", 0).op(A::GetProperty).op(A::Trace);
    w.push("renamed").op(A::GetVariable).push("_xscale").op(A::GetMember).op(A::Trace);
    w.setTarget("renamed").op(A::Stop).push("_name").op(A::GetVariable).op(A::Trace).setTarget("");
    EXPECT_EQ(run.run(w), "25\n100\nrenamed\n");
    const auto handle = run.host.child(run.host.rootHandle(), "renamed", true);
    ASSERT_TRUE(handle);
    EXPECT_FALSE(run.host.clip(handle).playing);
    EXPECT_TRUE(run.host.clip(run.host.rootHandle()).playing);
}

TEST(ClipReference, AttachedClipsGetTheirRegisteredClass)
{
    ScriptRun run;
    ActionWriter constructor;
    constructor.push("constructed ").push("this").op(A::GetVariable).push("_name").op(A::GetMember).op(A::Add2).op(A::Trace);
    ActionWriter w;
    w.defineFunction("Ball", {}, constructor);
    w.push("Ball").op(A::GetVariable).push("MovieClip").op(A::GetVariable).op(A::Extends);
    w.push("Ball").op(A::GetVariable).push("prototype").op(A::GetMember).push("kind", "ball").op(A::SetMember);
    w.push("Ball").op(A::GetVariable).push("ball", 2, "Object").op(A::GetVariable).push("registerClass").op(A::CallMethod).op(A::Pop);
    w.push(5, "b1", "ball", 3, "_root").op(A::GetVariable).push("attachMovie").op(A::CallMethod);
    w.push("kind").op(A::GetMember).op(A::Trace);
    w.push(0, "b1").op(A::GetVariable).push("getDepth").op(A::CallMethod).op(A::Trace);
    w.push(0, "_root").op(A::GetVariable).push("getNextHighestDepth").op(A::CallMethod).op(A::Trace);
    EXPECT_EQ(run.run(w), "constructed b1\nball\n5\n6\n");
}

} // namespace
