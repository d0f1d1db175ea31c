// The collector: a script that allocates without end runs in bounded
// memory, cycles go, and what the host or a native holds stays.

#include <gtest/gtest.h>

#include "RunScript.h"
#include "swf/script/Heap.h"

namespace {

using namespace swftest;
using A = ActionCode;

// i = 0; while (true) { o = new Object(); o.self = o; o.text = "item " + i; a = [o, o.text]; i++; }
ActionWriter allocateForever()
{
    ActionWriter w;
    w.push("i", 0).op(A::SetVariable);
    w.label("loop");
    w.push("o", 0, "Object").op(A::NewObject).op(A::SetVariable);
    w.push("o").op(A::GetVariable).push("self", "o").op(A::GetVariable).op(A::SetMember);
    w.push("o").op(A::GetVariable).push("text", "item ", "i").op(A::GetVariable).op(A::Add2).op(A::SetMember);
    w.push("a", "o").op(A::GetVariable).push("text").op(A::GetMember).push("o").op(A::GetVariable).push(2).op(A::InitArray).op(A::SetVariable);
    w.push("i", "i").op(A::GetVariable).op(A::Increment).op(A::SetVariable);
    w.push(true).branchIf("loop");
    return w;
}

TEST(Heap, AnEndlesslyAllocatingScriptStaysInBoundedMemory)
{
    ScriptRun run;
    swf::script::ScriptLimits limits;
    limits.instructionBudget = 3'000'000;
    run.machine->setLimits(limits);
    run.run(allocateForever());
    auto& heap = run.machine->heap();
    // Some 100,000 rounds allocate far more than this; the collector
    // keeps what is live near its threshold.
    EXPECT_GT(heap.collections(), 2u);
    EXPECT_LT(heap.peakBytes(), 3 * swf::script::Heap::kMinCollectionBytes);
    ASSERT_FALSE(run.host.diagnostics().empty());
}

TEST(Heap, CyclesNoLongerReachableAreCollected)
{
    ScriptRun run;
    auto& heap = run.machine->heap();
    run.machine->collectGarbage();
    const std::size_t before = heap.cellCount();
    ActionWriter w;
    for (int i = 0; i < 100; ++i) {
        w.push("a", 0, "Object").op(A::NewObject).op(A::SetVariable);
        w.push("b", 0, "Object").op(A::NewObject).op(A::SetVariable);
        w.push("a").op(A::GetVariable).push("peer", "b").op(A::GetVariable).op(A::SetMember);
        w.push("b").op(A::GetVariable).push("peer", "a").op(A::GetVariable).op(A::SetMember);
    }
    w.push("a").op(A::Delete2).op(A::Pop).push("b").op(A::Delete2).op(A::Pop);
    run.run(w);
    run.machine->forgetCompiled();
    run.machine->collectGarbage();
    EXPECT_LE(heap.cellCount(), before + 2);
}

TEST(Heap, WhatTheHostHoldsStaysUntilItLetsGo)
{
    ScriptRun run;
    auto& heap = run.machine->heap();
    run.machine->collectGarbage();
    const std::size_t before = heap.cellCount();
    swf::script::Object* object = run.machine->newObject();
    run.machine->set(object, "name", run.machine->stringValue("kept by the host"));
    const std::size_t root = run.machine->addHostRoot(swf::script::Value::object(object));
    run.machine->collectGarbage();
    EXPECT_EQ(run.machine->toStdString(run.machine->get(object, "name")), "kept by the host");
    run.machine->removeHostRoot(root);
    run.machine->collectGarbage();
    EXPECT_LE(heap.cellCount(), before + 2);
}

TEST(Heap, NamesUsedOnceAreNotKeptForever)
{
    ScriptRun run;
    auto& heap = run.machine->heap();
    run.machine->collectGarbage();
    const std::size_t builtins = heap.cellCount();
    ActionWriter w;
    w.push("o", 0, "Object").op(A::NewObject).op(A::SetVariable).push("i", 0).op(A::SetVariable);
    w.label("loop");
    w.push("o").op(A::GetVariable).push("name ", "i").op(A::GetVariable).op(A::Add2).push(1).op(A::SetMember);
    w.push("i", "i").op(A::GetVariable).op(A::Increment).op(A::SetVariable);
    w.push("i").op(A::GetVariable).push(5000).op(A::Less2).branchIf("loop");
    w.push("o").op(A::Delete2).op(A::Pop);
    run.run(w);
    run.machine->forgetCompiled();
    run.machine->collectGarbage();
    // The texts of the small numbers the loop counted through stay cached.
    EXPECT_LT(heap.cellCount(), builtins + 1500) << "of 5000 names";
}

// Joined strings may share a buffer with the string they grew from; every
// string must still read as what it was made of, whichever grew after it.
TEST(Heap, JoinedStringsKeepTheirTextWhateverGrowsFromThem)
{
    swf::script::Heap heap;
    const std::string base(300, 'x');
    swf::script::String* s = heap.string(base);
    swf::script::String* a = heap.join(s, heap.string("a"));
    swf::script::String* aa = heap.join(a, heap.string("a"));   // grows in place after `a`
    swf::script::String* b = heap.join(s, heap.string("b"));    // `s` is no longer the end: a copy
    swf::script::String* ab = heap.join(a, heap.string("b"));   // nor is `a`
    swf::script::String* twice = heap.join(aa, aa);             // from its own buffer
    const std::pair<swf::script::String*, std::string> expected[] {
        {s, base}, {a, base + "a"}, {aa, base + "aa"}, {b, base + "b"}, {ab, base + "ab"}, {twice, base + "aa" + base + "aa"},
    };
    for (const auto& [string, text] : expected)
        EXPECT_EQ(string->view(), text);
    EXPECT_EQ(heap.join(s, heap.emptyString()), s);
}

} // namespace
