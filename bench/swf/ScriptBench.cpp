// The script machine against Debian's duktape, an embeddable interpreter of
// the same ECMAScript family, on the same six programs: each is written
// once as the actions a Flash compiler emits (functions with registers,
// the way ActionScript 2 compiles them) and once as JavaScript. Both run in
// this process, alternately, several times; the figure is the median time
// of each and their ratio (duktape's time over ours: 1.0 or more means we
// are at least as fast). Both must print the same result, so neither side
// can skip the work.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <duktape.h>

#include "support/ActionWriter.h"
#include "swf/script/FakeHost.h"
#include "swf/script/Machine.h"

namespace {

using swftest::ActionCode;
using swftest::ActionWriter;
using swftest::Function2Parameter;
using swftest::PushValue;

// DefineFunction2 flags for functions that need neither this, arguments
// nor super (as the compiler leaves them out).
constexpr std::uint16_t kSuppressAll = 0x2 | 0x8 | 0x20;
constexpr std::uint16_t kPreloadThis = 0x1 | 0x8 | 0x20;

PushValue r(int reg)
{
    return PushValue::reg(reg);
}

// fib(n) = n < 2 ? n : fib(n - 1) + fib(n - 2)
ActionWriter recursion(int n)
{
    ActionWriter body;
    body.pushValues({r(1), 2}).op(ActionCode::Less2).op(ActionCode::Not).branchIf("recurse");
    body.pushValues({r(1)}).op(ActionCode::Return);
    body.label("recurse");
    body.pushValues({r(1), 1}).op(ActionCode::Subtract).push(1, "fib").op(ActionCode::CallFunction);
    body.pushValues({r(1), 2}).op(ActionCode::Subtract).push(1, "fib").op(ActionCode::CallFunction);
    body.op(ActionCode::Add2).op(ActionCode::Return);
    ActionWriter w;
    w.defineFunction2("fib", 2, kSuppressAll, {{1, "n"}}, body);
    w.push(n, 1, "fib").op(ActionCode::CallFunction).op(ActionCode::Trace);
    return w;
}

// s = 0; for (i = 0; i < n; i++) s += i % 7
ActionWriter numericLoop(int n)
{
    ActionWriter body;
    body.push(0).storeRegister(2).op(ActionCode::Pop);
    body.push(0).storeRegister(3).op(ActionCode::Pop);
    body.label("test").pushValues({r(3), r(1)}).op(ActionCode::Less2).op(ActionCode::Not).branchIf("done");
    body.pushValues({r(2), r(3), 7}).op(ActionCode::Modulo).op(ActionCode::Add2).storeRegister(2).op(ActionCode::Pop);
    body.pushValues({r(3)}).op(ActionCode::Increment).storeRegister(3).op(ActionCode::Pop);
    body.jump("test");
    body.label("done").pushValues({r(2)}).op(ActionCode::Return);
    ActionWriter w;
    w.defineFunction2("loop", 4, kSuppressAll, {{1, "n"}}, body);
    w.push(n, 1, "loop").op(ActionCode::CallFunction).op(ActionCode::Trace);
    return w;
}

// s = ""; for (i = 0; i < n; i++) s += "ab"; return s.length
ActionWriter stringBuilding(int n)
{
    ActionWriter body;
    body.push("").storeRegister(2).op(ActionCode::Pop);
    body.push(0).storeRegister(3).op(ActionCode::Pop);
    body.label("test").pushValues({r(3), r(1)}).op(ActionCode::Less2).op(ActionCode::Not).branchIf("done");
    body.pushValues({r(2), "ab"}).op(ActionCode::Add2).storeRegister(2).op(ActionCode::Pop);
    body.pushValues({r(3)}).op(ActionCode::Increment).storeRegister(3).op(ActionCode::Pop);
    body.jump("test");
    body.label("done").pushValues({r(2), "length"}).op(ActionCode::GetMember).op(ActionCode::Return);
    ActionWriter w;
    w.defineFunction2("build", 4, kSuppressAll, {{1, "n"}}, body);
    w.push(n, 1, "build").op(ActionCode::CallFunction).op(ActionCode::Trace);
    return w;
}

// a = []; x = 1; n times: x = (x * 69069 + 1) % 4294967296, a.push(x);
// a.sort(function (p, q) { return p - q; }); return a[0] + a[n - 1]
ActionWriter arraySort(int n)
{
    ActionWriter compare;
    compare.pushValues({r(1), r(2)}).op(ActionCode::Subtract).op(ActionCode::Return);
    ActionWriter body;
    body.push(0).op(ActionCode::InitArray).storeRegister(2).op(ActionCode::Pop);
    body.push(1).storeRegister(3).op(ActionCode::Pop);
    body.push(0).storeRegister(4).op(ActionCode::Pop);
    body.label("test").pushValues({r(4), r(1)}).op(ActionCode::Less2).op(ActionCode::Not).branchIf("done");
    body.pushValues({r(3), 69069}).op(ActionCode::Multiply).push(1).op(ActionCode::Add2).push(4294967296.0).op(ActionCode::Modulo);
    body.storeRegister(3).pushValues({1, r(2), "push"}).op(ActionCode::CallMethod).op(ActionCode::Pop);
    body.pushValues({r(4)}).op(ActionCode::Increment).storeRegister(4).op(ActionCode::Pop);
    body.jump("test");
    body.label("done");
    body.defineFunction2("", 3, kSuppressAll, {{1, "p"}, {2, "q"}}, compare);
    body.pushValues({1, r(2), "sort"}).op(ActionCode::CallMethod).op(ActionCode::Pop);
    body.pushValues({r(2), 0}).op(ActionCode::GetMember);
    body.pushValues({r(2), r(1), 1}).op(ActionCode::Subtract).op(ActionCode::GetMember).op(ActionCode::Add2).op(ActionCode::Return);
    ActionWriter w;
    w.defineFunction2("sorted", 5, kSuppressAll, {{1, "n"}}, body);
    w.push(n, 1, "sorted").op(ActionCode::CallFunction).op(ActionCode::Trace);
    return w;
}

// function P() {} P.prototype.x = 1; Q extends P, R extends Q;
// o = new R(); n times: s += o.x; o.y = i; return s + o.y
ActionWriter prototypeAccess(int n)
{
    ActionWriter empty;
    ActionWriter body;
    body.push(0, "R").op(ActionCode::NewObject).storeRegister(2).op(ActionCode::Pop);
    body.push(0).storeRegister(3).op(ActionCode::Pop);
    body.push(0).storeRegister(4).op(ActionCode::Pop);
    body.label("test").pushValues({r(4), r(1)}).op(ActionCode::Less2).op(ActionCode::Not).branchIf("done");
    body.pushValues({r(3), r(2), "x"}).op(ActionCode::GetMember).op(ActionCode::Add2).storeRegister(3).op(ActionCode::Pop);
    body.pushValues({r(2), "y", r(4)}).op(ActionCode::SetMember);
    body.pushValues({r(4)}).op(ActionCode::Increment).storeRegister(4).op(ActionCode::Pop);
    body.jump("test");
    body.label("done").pushValues({r(3), r(2), "y"}).op(ActionCode::GetMember).op(ActionCode::Add2).op(ActionCode::Return);
    ActionWriter w;
    w.defineFunction("P", {}, empty).defineFunction("Q", {}, empty).defineFunction("R", {}, empty);
    w.push("P").op(ActionCode::GetVariable).push("prototype").op(ActionCode::GetMember).push("x", 1).op(ActionCode::SetMember);
    w.push("Q").op(ActionCode::GetVariable).push("prototype", 0, "P").op(ActionCode::NewObject).op(ActionCode::SetMember);
    w.push("R").op(ActionCode::GetVariable).push("prototype", 0, "Q").op(ActionCode::NewObject).op(ActionCode::SetMember);
    w.defineFunction2("access", 5, kSuppressAll, {{1, "n"}}, body);
    w.push(n, 1, "access").op(ActionCode::CallFunction).op(ActionCode::Trace);
    return w;
}

// function C() { this.v = 0; } C.prototype.add = function (k) { this.v += k; return this.v; };
// c = new C(); n times: c.add(i); return c.v
ActionWriter methodCalls(int n)
{
    ActionWriter constructor;
    constructor.pushValues({r(1), "v", 0}).op(ActionCode::SetMember);
    ActionWriter add;
    add.pushValues({r(1), "v", r(1), "v"}).op(ActionCode::GetMember).pushValues({r(2)}).op(ActionCode::Add2).op(ActionCode::SetMember);
    add.pushValues({r(1), "v"}).op(ActionCode::GetMember).op(ActionCode::Return);
    ActionWriter body;
    body.push(0, "C").op(ActionCode::NewObject).storeRegister(2).op(ActionCode::Pop);
    body.push(0).storeRegister(3).op(ActionCode::Pop);
    body.label("test").pushValues({r(3), r(1)}).op(ActionCode::Less2).op(ActionCode::Not).branchIf("done");
    body.pushValues({r(3), 1, r(2), "add"}).op(ActionCode::CallMethod).op(ActionCode::Pop);
    body.pushValues({r(3)}).op(ActionCode::Increment).storeRegister(3).op(ActionCode::Pop);
    body.jump("test");
    body.label("done").pushValues({r(2), "v"}).op(ActionCode::GetMember).op(ActionCode::Return);
    ActionWriter w;
    w.defineFunction2("C", 2, kPreloadThis, {}, constructor);
    w.push("C").op(ActionCode::GetVariable).push("prototype").op(ActionCode::GetMember).push("add");
    w.defineFunction2("", 3, kPreloadThis, {{2, "k"}}, add).op(ActionCode::SetMember);
    w.defineFunction2("calls", 4, kSuppressAll, {{1, "n"}}, body);
    w.push(n, 1, "calls").op(ActionCode::CallFunction).op(ActionCode::Trace);
    return w;
}

struct Workload {
    const char* name;
    ActionWriter actions;
    std::string javascript;
};

std::vector<Workload> workloads()
{
    return {
        {"recursive function (fib 24)", recursion(24), "function fib(n) { return n < 2 ? n : fib(n - 1) + fib(n - 2); } String(fib(24));"},
        {"numeric loop (1e6)", numericLoop(1'000'000),
         "function loop(n) { var s = 0; for (var i = 0; i < n; i++) s = s + i % 7; return s; } String(loop(1000000));"},
        {"string building (20000)", stringBuilding(20'000),
         "function build(n) { var s = ''; for (var i = 0; i < n; i++) s = s + 'ab'; return s.length; } String(build(20000));"},
        {"array push and sort (20000)", arraySort(20'000),
         "function sorted(n) { var a = []; var x = 1; for (var i = 0; i < n; i++) { x = (x * 69069 + 1) % 4294967296; a.push(x); }"
         " a.sort(function (p, q) { return p - q; }); return a[0] + a[n - 1]; } String(sorted(20000));"},
        {"prototype property access (1e6)", prototypeAccess(1'000'000),
         "function P() {} function Q() {} function R() {} P.prototype.x = 1; Q.prototype = new P(); R.prototype = new Q();"
         " function access(n) { var o = new R(); var s = 0; for (var i = 0; i < n; i++) { s = s + o.x; o.y = i; } return s + o.y; }"
         " String(access(1000000));"},
        {"method calls (1e6)", methodCalls(1'000'000),
         "function C() { this.v = 0; } C.prototype.add = function (k) { this.v = this.v + k; return this.v; };"
         " function calls(n) { var c = new C(); for (var i = 0; i < n; i++) c.add(i); return c.v; } String(calls(1000000));"},
    };
}

std::string runOurs(const std::vector<std::uint8_t>& bytes)
{
    swftest::FakeHost host;
    swf::script::Machine machine(host, 8);
    host.setMachine(&machine);
    machine.runActions(bytes, host.rootHandle(), 8);
    std::string out = host.output();
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    for (const std::string& d : host.diagnostics())
        out += " [" + d + "]";
    return out;
}

std::string runDuktape(const std::string& source)
{
    duk_context* context = duk_create_heap_default();
    std::string out;
    if (duk_peval_string(context, source.c_str()) != 0)
        out = std::string("error: ") + duk_safe_to_string(context, -1);
    else
        out = duk_safe_to_string(context, -1);
    duk_destroy_heap(context);
    return out;
}

double seconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

// bench_script [ROUNDS [WORKLOAD-SUBSTRING]]
int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string only = argc > 2 ? argv[2] : "";
    std::printf("%-34s %12s %12s %8s\n", "workload", "ours (ms)", "duktape (ms)", "ratio");
    bool allAgree = true;
    double worst = 1e9;
    for (const Workload& w : workloads()) {
        if (!only.empty() && std::string(w.name).find(only) == std::string::npos)
            continue;
        const std::vector<std::uint8_t> bytes = w.actions.build();
        std::vector<double> ours;
        std::vector<double> theirs;
        std::string ourResult;
        std::string theirResult;
        // Alternate, so that a busy moment on the machine hits both.
        for (int i = 0; i < rounds; ++i) {
            ours.push_back(seconds([&] { ourResult = runOurs(bytes); }));
            theirs.push_back(seconds([&] { theirResult = runDuktape(w.javascript); }));
        }
        const double a = median(ours);
        const double b = median(theirs);
        const double ratio = b / a;
        worst = std::min(worst, ratio);
        std::printf("%-34s %12.1f %12.1f %8.2f%s\n", w.name, a * 1000, b * 1000, ratio, ourResult == theirResult ? "" : "  RESULTS DIFFER");
        if (ourResult != theirResult) {
            std::printf("    ours: %s\n    duktape: %s\n", ourResult.c_str(), theirResult.c_str());
            allAgree = false;
        }
    }
    std::printf("lowest ratio: %.2f (goal: 1.0 or more on every workload)\n", worst);
    return allAgree ? 0 : 1;
}
