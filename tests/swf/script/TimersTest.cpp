// setInterval, setTimeout and their clearing, on the host's clock.

#include <gtest/gtest.h>

#include "RunScript.h"

namespace {

using namespace swftest;
using A = ActionCode;

TEST(Timers, IntervalsAndTimeoutsFollowTheHostClock)
{
    ScriptRun run;
    ActionWriter tick;
    tick.push("tick ").push("n").op(A::GetVariable).op(A::Add2).op(A::Trace);
    ActionWriter once;
    once.push("once").op(A::Trace);
    ActionWriter w;
    w.push("id").push("a", 100).defineFunction("", {"n"}, tick).push(3, "setInterval").op(A::CallFunction).op(A::SetVariable);
    w.push(250).defineFunction("", {}, once).push(2, "setTimeout").op(A::CallFunction).op(A::Pop);
    run.run(w);

    std::string seen;
    for (int frame = 0; frame < 4; ++frame) {
        run.host.advanceTimer(100);
        run.host.clearOutput();
        run.machine->runTimers();
        seen += run.host.output();
    }
    EXPECT_EQ(seen, "tick a\ntick a\nonce\ntick a\ntick a\n");

    ActionWriter clear;
    clear.push("id").op(A::GetVariable).push(1, "clearInterval").op(A::CallFunction).op(A::Pop);
    run.run(clear);
    run.host.advanceTimer(1000);
    run.host.clearOutput();
    run.machine->runTimers();
    EXPECT_EQ(run.host.output(), "");
}

TEST(Timers, TheMethodFormCallsByNameEachTime)
{
    ScriptRun run;
    ActionWriter first;
    first.push("first").op(A::Trace);
    ActionWriter second;
    second.push("second").op(A::Trace);
    ActionWriter w;
    w.push("o", 0, "Object").op(A::NewObject).op(A::SetVariable);
    w.push("o").op(A::GetVariable).push("act").defineFunction("", {}, first).op(A::SetMember);
    w.push(50, "act", "o").op(A::GetVariable).push(3, "setInterval").op(A::CallFunction).op(A::Pop);
    run.run(w);
    run.host.advanceTimer(60);
    run.machine->runTimers();
    ActionWriter swap;
    swap.push("o").op(A::GetVariable).push("act").defineFunction("", {}, second).op(A::SetMember);
    run.run(swap);
    run.host.advanceTimer(60);
    run.host.clearOutput();
    run.machine->runTimers();
    EXPECT_EQ(run.host.output(), "second\n");
}

} // namespace
