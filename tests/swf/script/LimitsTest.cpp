// Runaway scripts are stopped with a diagnostic, and the machine goes on
// with the next block; after runaway recursion, as in the reference
// player, no more script runs.

#include <gtest/gtest.h>

#include "RunScript.h"
#include "swf/script/Heap.h"

namespace {

using namespace swftest;
using A = ActionCode;

ActionWriter foreverLoop()
{
    ActionWriter w;
    w.label("loop").push(true).branchIf("loop");
    return w;
}

ActionWriter traceDone()
{
    ActionWriter w;
    w.push("next block runs").op(A::Trace);
    return w;
}

TEST(Limits, EachLimitStopsTheScriptAndTheMachineGoesOn)
{
    struct Case {
        const char* name;
        std::function<void(ScriptRun&)> prepare;
        ActionWriter program;
        bool endsAllScript = false;
    };
    ActionWriter recursion;
    {
        ActionWriter body;
        body.push(0, "f").op(A::CallFunction).op(A::Return);
        recursion.defineFunction("f", {}, body).push(0, "f").op(A::CallFunction);
    }
    ActionWriter growingString;
    growingString.push("s", "0123456789abcdef").op(A::SetVariable);
    growingString.label("loop").push("s", "s").op(A::GetVariable).push("s").op(A::GetVariable).op(A::Add2).op(A::SetVariable);
    growingString.push(true).branchIf("loop");
    ActionWriter growingArray;
    growingArray.push("a", 0).op(A::InitArray).op(A::SetVariable);
    growingArray.label("loop").push("x", 1, "a").op(A::GetVariable).push("push").op(A::CallMethod).op(A::Pop);
    growingArray.push(true).branchIf("loop");
    ActionWriter pushForever;
    pushForever.label("loop").push(1).push(true).branchIf("loop");

    const Case cases[] {
        {"instruction budget", [](ScriptRun& r) { r.machine->setLimits({256, 100'000}); }, foreverLoop()},
        {"time check", [](ScriptRun& r) { r.host.setTimeChecksBeforeTimeout(3); }, foreverLoop()},
        {"recursion", [](ScriptRun&) {}, recursion, true},
        {"string size", [](ScriptRun&) {}, growingString},
        {"live memory", [](ScriptRun& r) { r.machine->heap().setLiveLimit(8 * 1024 * 1024); }, growingArray},
        {"operand stack", [](ScriptRun& r) { r.machine->setLimits({256, 5'000'000}); }, pushForever},
    };
    for (const Case& c : cases) {
        ScriptRun run;
        c.prepare(run);
        run.run(c.program);
        EXPECT_FALSE(run.host.diagnostics().empty()) << c.name;
        EXPECT_EQ(run.run(traceDone()), c.endsAllScript ? "" : "next block runs\n") << c.name;
    }
}

TEST(Limits, TheBudgetStopsAtTheSameInstructionEveryTime)
{
    ActionWriter w;
    w.push("i", 0).op(A::SetVariable);
    w.label("loop").push("i", "i").op(A::GetVariable).op(A::Increment).op(A::SetVariable).push(true).branchIf("loop");
    std::string first;
    for (int run = 0; run < 2; ++run) {
        ScriptRun r;
        r.machine->setLimits({256, 50'000});
        r.run(w);
        ActionWriter show;
        show.push("i").op(A::GetVariable).op(A::Trace);
        const std::string count = r.run(show);
        if (run == 0)
            first = count;
        else
            EXPECT_EQ(count, first);
    }
}

// Copying and hashing long texts is work however few instructions ask
// for it: naming properties by a megabyte-long key runs out of budget
// within a few rounds, not thousands.
TEST(Limits, LongTextsCountAsWork)
{
    ActionWriter w;
    w.push("s", "0123456789abcdef").op(A::SetVariable).push("n", 0).op(A::SetVariable);
    w.label("grow").push("s", "s").op(A::GetVariable).push("s").op(A::GetVariable).op(A::Add2).op(A::SetVariable);
    w.push("n", "n").op(A::GetVariable).op(A::Increment).op(A::SetVariable);
    w.push("n").op(A::GetVariable).push(16).op(A::Less2).branchIf("grow");
    w.push("i", 0).op(A::SetVariable);
    w.label("name").push("_root", "s").op(A::GetVariable).push("i").op(A::GetVariable).op(A::Add2).push(1).op(A::SetMember);
    w.push("i", "i").op(A::GetVariable).op(A::Increment).op(A::SetVariable).push(true).branchIf("name");
    ScriptRun r;
    r.machine->setLimits({256, 100'000});
    r.run(w);
    EXPECT_FALSE(r.host.diagnostics().empty());
    ActionWriter show;
    show.push("i").op(A::GetVariable).op(A::Trace);
    const int rounds = std::stoi(r.run(show));
    EXPECT_GT(rounds, 0);
    EXPECT_LT(rounds, 20);
}

} // namespace
