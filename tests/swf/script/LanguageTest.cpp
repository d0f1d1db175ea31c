// The language as scripts see it: each case is a small program, as a
// compiler would emit it, and the lines it must trace. The expectations
// come from the reference player's behaviour, as its recorded traces show
// it.

#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "RunScript.h"

namespace {

using namespace swftest;
using A = ActionCode;

struct Case {
    const char* name;
    int version;
    std::function<void(ActionWriter&)> program;
    const char* traced;
};

// trace(a op b) for two pushed values.
std::function<void(ActionWriter&)> binary(PushValue a, PushValue b, A code)
{
    return [=](ActionWriter& w) { w.pushValues({a, b}).op(code).op(A::Trace); };
}

void get(ActionWriter& w, const char* name)
{
    w.push(name).op(A::GetVariable);
}

void set(ActionWriter& w, const char* name, PushValue value)
{
    w.pushValues({PushValue(name), value}).op(A::SetVariable);
}

void trace(ActionWriter& w, const char* name)
{
    get(w, name);
    w.op(A::Trace);
}

// o = new Object() in variable `name`.
void newObject(ActionWriter& w, const char* name)
{
    w.push(name, 0, "Object").op(A::NewObject).op(A::SetVariable);
}

void setMember(ActionWriter& w, const char* object, const char* member, PushValue value)
{
    get(w, object);
    w.pushValues({PushValue(member), value}).op(A::SetMember);
}

void traceMember(ActionWriter& w, const char* object, const char* member)
{
    get(w, object);
    w.push(member).op(A::GetMember).op(A::Trace);
}

void callMethod(ActionWriter& w, const char* object, const char* method, std::initializer_list<PushValue> args)
{
    std::vector<PushValue> reversed(args);
    for (auto it = reversed.rbegin(); it != reversed.rend(); ++it)
        w.pushValues({*it});
    w.push(int(args.size()));
    get(w, object);
    w.push(method).op(A::CallMethod);
}

// o inherits x from p through a link flagged for version 7 and later.
void inheritThroughLateLink(ActionWriter& w)
{
    newObject(w, "p");
    setMember(w, "p", "x", 1);
    newObject(w, "o");
    get(w, "o");
    w.push("__proto__");
    get(w, "p");
    w.op(A::SetMember);
    w.push(1024, "__proto__");
    get(w, "o");
    w.push(3, "ASSetPropFlags").op(A::CallFunction).op(A::Pop);
    traceMember(w, "o", "x");
}

// Two extends One; both have a hello method, Two's calls super's.
void superProgram(ActionWriter& w)
{
    ActionWriter one;
    one.push("One").op(A::Trace);
    ActionWriter two;
    two.push(0, "super").op(A::CallFunction).op(A::Pop).push("Two").op(A::Trace);
    ActionWriter hello;
    hello.push("base hello").op(A::Trace);
    ActionWriter override;
    override.push(0, "super").op(A::GetVariable).push("hello").op(A::CallMethod).op(A::Pop).push("derived hello").op(A::Trace);
    w.defineFunction("One", {}, one).defineFunction("Two", {}, two);
    get(w, "Two");
    get(w, "One");
    w.op(A::Extends);
    get(w, "One");
    w.push("prototype").op(A::GetMember).push("hello").defineFunction("", {}, hello).op(A::SetMember);
    get(w, "Two");
    w.push("prototype").op(A::GetMember).push("hello").defineFunction("", {}, override).op(A::SetMember);
    w.push("t", 0, "Two").op(A::NewObject).op(A::SetVariable);
    callMethod(w, "t", "hello", {});
    w.op(A::Pop);
}

// o.__resolve is a number; its prototype's is a function.
void resolveBehindNumber(ActionWriter& w)
{
    ActionWriter resolver;
    resolver.push("resolved").op(A::Return);
    newObject(w, "p");
    get(w, "p");
    w.push("__resolve").defineFunction("", {}, resolver).op(A::SetMember);
    newObject(w, "o");
    get(w, "o");
    w.push("__proto__");
    get(w, "p");
    w.op(A::SetMember);
    setMember(w, "o", "__resolve", 42);
    traceMember(w, "o", "missing");
}

// p inherits x from o; p's __proto__ is made deletable and deleted.
void deletePrototypeLink(ActionWriter& w)
{
    w.push("o", 0, "Object").op(A::NewObject).op(A::SetVariable);
    w.push("o").op(A::GetVariable).push("x", 42).op(A::SetMember);
    w.push("p", 0, "Object").op(A::NewObject).op(A::SetVariable);
    w.push("p").op(A::GetVariable).push("__proto__", "o").op(A::GetVariable).op(A::SetMember);
    w.push(7, 0, "__proto__", "p").op(A::GetVariable).push(4, "ASSetPropFlags").op(A::CallFunction).op(A::Pop);
    w.push("p").op(A::GetVariable).push("__proto__").op(A::Delete).op(A::Pop);
    w.push("p").op(A::GetVariable).push("x").op(A::GetMember).op(A::Trace);
}

// o and p get a valueOf that traces its object's name; o's answers
// undefined, p's answers p itself. Then trace(o == p).
void compareObjectsWithValueOf(ActionWriter& w)
{
    for (const char* name : {"o", "p"}) {
        newObject(w, name);
        ActionWriter body;
        body.push(name).op(A::Trace);
        if (name[0] == 'p')
            body.push("this").op(A::GetVariable).op(A::Return);
        get(w, name);
        w.push("valueOf").defineFunction("", {}, body).op(A::SetMember);
    }
    get(w, "o");
    get(w, "p");
    w.op(A::Equals2).op(A::Trace);
}

const Case kCases[] {
    // Operators and conversions.
    {"Add2 concatenates when either side is text", 6, binary("a", 1, A::Add2), "a1\n"},
    {"Add2 adds numbers", 6, binary(1, 2.5, A::Add2), "3.5\n"},
    {"the version 4 Add reads text as numbers", 4, binary("2", "3", A::Add), "5\n"},
    {"version 4 divides by zero to an error", 4, binary(1, 0, A::Divide), "#ERROR#\n"},
    {"later versions divide by zero to infinity", 6, binary(1, 0, A::Divide), "Infinity\n"},
    {"undefined is empty text before version 7", 6, binary("x", PushValue::undefined(), A::Add2), "x\n"},
    {"undefined is undefined from version 7", 7, binary("x", PushValue::undefined(), A::Add2), "xundefined\n"},
    {"Equals2 compares text and numbers as numbers", 6, binary("1.0", 1, A::Equals2), "true\n"},
    {"NaN equals NaN", 6, [](ActionWriter& w) { w.push("NaN").op(A::GetVariable).push("NaN").op(A::GetVariable).op(A::Equals2).op(A::Trace); }, "true\n"},
    {"StrictEquals does not convert", 6, binary("1", 1, A::StrictEquals), "false\n"},
    {"version 5 asks two objects for valueOf, the right first, and again where one is left without",
     5, compareObjectsWithValueOf, "p\no\np\nfalse\n"},
    {"later versions compare two objects by identity", 6, compareObjectsWithValueOf, "false\n"},
    {"Less2 with NaN is undefined", 6, binary("a", 1, A::Less2), "undefined\n"},
    {"text compares as text", 6, binary("abc", "abd", A::Less2), "true\n"},
    {"empty text comes after other text", 6, [](ActionWriter& w) {
         w.pushValues({"", "0"}).op(A::Less2).op(A::Trace);
         w.pushValues({"", "0"}).op(A::Greater).op(A::Trace);
     },
     "false\ntrue\n"},
    {"an object without a primitive value compares false", 6, [](ActionWriter& w) {
         w.push(0, "Object").op(A::NewObject).push(1).op(A::Less2).op(A::Trace);
     },
     "false\n"},
    {"shifts take five bits of the count", 6, binary(1, 33, A::BitLShift), "2\n"},
    {"unsigned shift", 6, binary(-1, 28, A::BitURShift), "15\n"},
    {"int() wraps to 32 bits", 6, [](ActionWriter& w) { w.push(103584024400.25).op(A::ToInteger).op(A::Trace); }, "504809296\n"},
    {"text in a condition before version 7 is its number", 6, [](ActionWriter& w) { w.push("abc").op(A::Not).op(A::Trace); }, "true\n"},
    {"text in a condition from version 7 is its emptiness", 7, [](ActionWriter& w) { w.push("abc").op(A::Not).op(A::Trace); }, "false\n"},
    {"typeof", 6, [](ActionWriter& w) {
         for (PushValue v : {PushValue(1), PushValue("s"), PushValue(true), PushValue::null(), PushValue::undefined()})
             w.pushValues({v}).op(A::TypeOf).op(A::Trace);
         get(w, "Object");
         w.op(A::TypeOf).op(A::Trace);
         get(w, "_root");
         w.op(A::TypeOf).op(A::Trace);
     },
     "number\nstring\nboolean\nnull\nundefined\nfunction\nmovieclip\n"},
    // Strings, by version.
    {"version 5 counts bytes", 5, [](ActionWriter& w) { w.push("\xC3\xA4x").op(A::StringLength).op(A::Trace); }, "3\n"},
    {"version 6 counts UTF-8 characters", 6, [](ActionWriter& w) { w.push("\xC3\xA4x").op(A::StringLength).op(A::Trace); }, "2\n"},
    {"version 5 traces single-byte text as UTF-8", 5, [](ActionWriter& w) { w.push("\xE4").op(A::Trace); }, "\xC3\xA4\n"},
    {"version 5 chr keeps the low byte, mbchr two bytes, a zero byte ending it", 5, [](ActionWriter& w) {
         w.push(300).op(A::AsciiToChar).op(A::Trace);
         w.push(300).op(A::MbAsciiToChar).op(A::Trace);
         w.push(65600).op(A::MbAsciiToChar).op(A::Trace);
         w.push(256, 1, "String").op(A::GetVariable).push("fromCharCode").op(A::CallMethod).op(A::Trace);
     },
     ",\n\x01,\n\n\x01\n"},
    {"StringExtract counts from one", 6, [](ActionWriter& w) { w.push("hello", 2, 3).op(A::StringExtract).op(A::Trace); }, "ell\n"},
    {"substring swaps its ends", 6, [](ActionWriter& w) {
         w.push("s", "hello").op(A::SetVariable);
         callMethod(w, "s", "substring", {4, 1});
         w.op(A::Trace);
     },
     "ell\n"},
    {"substring and substr at and past the end", 6, [](ActionWriter& w) {
         w.push("s", "ABCDEF").op(A::SetVariable);
         callMethod(w, "s", "substring", {6, 2});
         w.op(A::Trace);
         callMethod(w, "s", "substr", {-5, -2});
         w.op(A::Trace);
         callMethod(w, "s", "substr", {-5, -1});
         w.op(A::Trace);
     },
     "\nBCDE\n\n"},
    {"split with a negative limit gives nothing", 6, [](ActionWriter& w) {
         w.push("s", "a,b").op(A::SetVariable);
         callMethod(w, "s", "split", {",", -1});
         w.push("length").op(A::GetMember).op(A::Trace);
     },
     "0\n"},
    {"version 5 keeps the string whole at an empty separator whatever the limit", 5, [](ActionWriter& w) {
         w.push("s", "a,b").op(A::SetVariable);
         callMethod(w, "s", "split", {"", -1});
         w.push("length").op(A::GetMember).op(A::Trace);
     },
     "1\n"},
    // Variables, scopes and names.
    {"names are case-insensitive before version 7", 6, [](ActionWriter& w) {
         set(w, "Abc", 1);
         trace(w, "aBC");
     },
     "1\n"},
    {"names are case-sensitive from version 7", 7, [](ActionWriter& w) {
         set(w, "Abc", 1);
         trace(w, "aBC");
     },
     "undefined\n"},
    {"slash paths reach variables of clips", 6, [](ActionWriter& w) {
         set(w, "/:v", 5);
         trace(w, "_root.v");
         trace(w, "/:v");
     },
     "5\n5\n"},
    {"with finds and sets members of its object", 6, [](ActionWriter& w) {
         newObject(w, "o");
         setMember(w, "o", "a", 1);
         ActionWriter body;
         set(body, "a", 2);
         set(body, "b", 3);
         get(w, "o");
         w.with(body);
         traceMember(w, "o", "a");
         traceMember(w, "o", "b");
         trace(w, "b");
     },
     "2\nundefined\n3\n"},
    {"with on nothing skips its block", 6, [](ActionWriter& w) {
         ActionWriter body;
         body.push("inside").op(A::Trace);
         w.push(PushValue::undefined()).with(body).push("after").op(A::Trace);
     },
     "after\n"},
    {"closures keep their scope after their function returns", 6, [](ActionWriter& w) {
         ActionWriter inner;
         get(inner, "x");
         inner.op(A::Return);
         ActionWriter outer;
         outer.push("x", "captured").op(A::DefineLocal);
         outer.defineFunction("", {}, inner).op(A::Return);
         w.defineFunction("make", {}, outer);
         w.push("f", 0, "make").op(A::CallFunction).op(A::SetVariable);
         w.push(0, "f").op(A::CallFunction).op(A::Trace);
         trace(w, "x");
     },
     "captured\nundefined\n"},
    {"a plain call's this is where the function was found", 6, [](ActionWriter& w) {
         ActionWriter inner;
         inner.push("this").op(A::GetVariable).push("a").op(A::GetMember).op(A::Trace);
         ActionWriter outer;
         outer.push("a", 5).op(A::DefineLocal);
         outer.push("g").defineFunction("", {}, inner).op(A::DefineLocal);
         outer.push(0, "g").op(A::CallFunction).op(A::Pop);
         w.defineFunction("test", {}, outer);
         w.push(0, "test").op(A::CallFunction).op(A::Pop);
     },
     "5\n"},
    {"DefineFunction2 preloads this, arguments and _global into registers", 7, [](ActionWriter& w) {
         ActionWriter body;
         body.pushValues({PushValue::reg(1), "tag"}).op(A::GetMember).op(A::Trace);
         body.pushValues({PushValue::reg(2), "length"}).op(A::GetMember).op(A::Trace);
         body.pushValues({PushValue::reg(3), "Math"}).op(A::GetMember).op(A::TypeOf).op(A::Trace);
         body.pushValues({PushValue::reg(4)}).op(A::Trace);
         newObject(w, "o");
         setMember(w, "o", "tag", "me");
         get(w, "o");
         w.push("m");
         w.defineFunction2("", 5, 0x1 | 0x4 | 0x100, {{4, "p"}}, body).op(A::SetMember);
         callMethod(w, "o", "m", {"first", "second"});
         w.op(A::Pop);
     },
     "me\n2\nobject\nfirst\n"},
    {"registers of blocks are their own", 6, [](ActionWriter& w) {
         w.push(7).storeRegister(0).op(A::Pop).pushValues({PushValue::reg(0)}).op(A::Trace);
         w.pushValues({PushValue::reg(200)}).op(A::Trace);
     },
     "7\nundefined\n"},
    {"the constant pool of a function is the one where it was defined", 6, [](ActionWriter& w) {
         ActionWriter body;
         body.pushValues({PushValue::constant(0)}).op(A::Trace);
         w.constantPool({"defined"}).defineFunction("f", {}, body).constantPool({"called"});
         w.push(0, "f").op(A::CallFunction).op(A::Pop).pushValues({PushValue::constant(0)}).op(A::Trace);
     },
     "defined\ncalled\n"},
    // Objects, prototypes and classes.
    {"members are found through prototypes", 6, [](ActionWriter& w) {
         newObject(w, "p");
         setMember(w, "p", "x", 1);
         newObject(w, "o");
         get(w, "o");
         w.push("__proto__");
         get(w, "p");
         w.op(A::SetMember);
         traceMember(w, "o", "x");
     },
     "1\n"},
    {"new sets __constructor__ and instanceof follows prototypes", 6, [](ActionWriter& w) {
         ActionWriter empty;
         w.defineFunction("Klass", {}, empty);
         w.push("instance", 0, "Klass").op(A::NewObject).op(A::SetVariable);
         get(w, "instance");
         get(w, "Klass");
         w.op(A::InstanceOf).op(A::Trace);
         get(w, "instance");
         get(w, "Array");
         w.op(A::InstanceOf).op(A::Trace);
         get(w, "instance");
         w.push("__constructor__").op(A::GetMember);
         get(w, "Klass");
         w.op(A::StrictEquals).op(A::Trace);
     },
     "true\nfalse\ntrue\n"},
    {"instanceof stops at a hidden or, from version 7, a deleted link", 7, [](ActionWriter& w) {
         newObject(w, "o");
         get(w, "o");
         get(w, "Object");
         w.op(A::InstanceOf).op(A::Trace);
         w.push(4096, "__proto__", "o").op(A::GetVariable).push(3, "ASSetPropFlags").op(A::CallFunction).op(A::Pop);
         get(w, "o");
         get(w, "Object");
         w.op(A::InstanceOf).op(A::Trace);
         w.push(4098, 0, "__proto__", "o").op(A::GetVariable).push(4, "ASSetPropFlags").op(A::CallFunction).op(A::Pop);
         get(w, "o");
         w.push("__proto__").op(A::Delete).op(A::Pop);
         get(w, "o");
         w.push("toString").op(A::GetMember).op(A::TypeOf).op(A::Trace);
         get(w, "o");
         get(w, "Object");
         w.op(A::InstanceOf).op(A::Trace);
     },
     "true\nfalse\nfunction\nfalse\n"},
    {"localToGlobal converts only two numbers, through 32-bit twips", 7, [](ActionWriter& w) {
         for (const auto& [x, y] : {std::pair<PushValue, PushValue> {"5", 1.0}, {2147483648.0, 1.0}, {std::numeric_limits<double>::infinity(), 2.5}}) {
             newObject(w, "p");
             setMember(w, "p", "x", x);
             setMember(w, "p", "y", y);
             w.push("p").op(A::GetVariable).push(1, "_root").op(A::GetVariable).push("localToGlobal").op(A::CallMethod).op(A::Pop);
             traceMember(w, "p", "x");
             traceMember(w, "p", "y");
         }
     },
     "5\n1\n0\n1\n0\n2.5\n"},
    {"the stage's scale mode is the player's, native setter or not", 7, [](ActionWriter& w) {
         w.push("setMode", 2, 666, 2, "ASnative").op(A::CallFunction).op(A::SetVariable);
         w.push("NOBORDER", 1, "setMode").op(A::CallFunction).op(A::Pop);
         traceMember(w, "Stage", "scaleMode");
         w.push(0, "setMode").op(A::CallFunction).op(A::Pop);
         traceMember(w, "Stage", "scaleMode");
     },
     "noBorder\nnoBorder\n"},
    {"a clip's own accessor is read before its built-in property, not written", 7, [](ActionWriter& w) {
         ActionWriter setter;
         setter.push("setter ran").op(A::Trace);
         ActionWriter getter;
         getter.push(42).op(A::Return);
         w.defineFunction("", {}, setter).defineFunction("", {}, getter);
         w.push("_x", 3, "_root").op(A::GetVariable).push("addProperty").op(A::CallMethod).op(A::Pop);
         traceMember(w, "_root", "_x");
         setMember(w, "_root", "_x", 10);
         traceMember(w, "_root", "_x");
     },
     "42\n42\n"},
    {"attachMovie copies init properties the version hides", 5, [](ActionWriter& w) {
         newObject(w, "init");
         setMember(w, "init", "hidden", 7);
         w.push(128, "hidden", "init").op(A::GetVariable).push(3, "ASSetPropFlags").op(A::CallFunction).op(A::Pop);
         w.push("init").op(A::GetVariable).push(1, "c", "symbol", 4, "_root").op(A::GetVariable);
         w.push("attachMovie").op(A::CallMethod).op(A::Pop);
         trace(w, "c.hidden");
     },
     "7\n"},
    {"super calls the class extended and its methods", 7, superProgram, "One\nTwo\nbase hello\nderived hello\n"},
    {"version 5 has no super", 5, superProgram, "Two\nderived hello\n"},
    {"addProperty getters and setters run on the object", 6, [](ActionWriter& w) {
         ActionWriter getter;
         getter.push("get").op(A::Trace).push(42).op(A::Return);
         ActionWriter setter;
         setter.push("set ").push("v").op(A::GetVariable).op(A::Add2).op(A::Trace);
         newObject(w, "o");
         w.defineFunction("", {"v"}, setter).defineFunction("", {}, getter);
         w.push("x", 3);
         get(w, "o");
         w.push("addProperty").op(A::CallMethod).op(A::Pop);
         traceMember(w, "o", "x");
         setMember(w, "o", "x", 7);
     },
     "get\n42\nset 7\n"},
    {"watch sees old and new values and decides what is stored", 6, [](ActionWriter& w) {
         ActionWriter watcher;
         watcher.push("old").op(A::GetVariable).push(" -> ").op(A::Add2).push("new").op(A::GetVariable).op(A::Add2).op(A::Trace);
         watcher.push("new").op(A::GetVariable).push(10).op(A::Multiply).op(A::Return);
         newObject(w, "o");
         setMember(w, "o", "x", 1);
         w.defineFunction("", {"name", "old", "new"}, watcher);
         w.push("x", 2);
         get(w, "o");
         w.push("watch").op(A::CallMethod).op(A::Pop);
         setMember(w, "o", "x", 2);
         traceMember(w, "o", "x");
     },
     "1 -> 2\n20\n"},
    {"__resolve answers for missing names", 6, [](ActionWriter& w) {
         ActionWriter resolver;
         resolver.push("resolved ").push("n").op(A::GetVariable).op(A::Add2).op(A::Return);
         newObject(w, "o");
         get(w, "o");
         w.push("__resolve").defineFunction("", {"n"}, resolver).op(A::SetMember);
         traceMember(w, "o", "missing");
     },
     "resolved missing\n"},
    {"ASSetPropFlags hides, protects and makes read-only", 6, [](ActionWriter& w) {
         newObject(w, "o");
         setMember(w, "o", "a", 1);
         setMember(w, "o", "b", 2);
         w.push(7, "a");
         get(w, "o");
         w.push(3, "ASSetPropFlags").op(A::CallFunction).op(A::Pop);
         setMember(w, "o", "a", 9);
         traceMember(w, "o", "a");
         get(w, "o");
         w.push("a").op(A::Delete).op(A::Trace);
         get(w, "o");
         w.op(A::Enumerate2);
         w.label("loop").storeRegister(0).push(PushValue::null()).op(A::Equals2).branchIf("done");
         w.pushValues({PushValue::reg(0)}).op(A::Trace).jump("loop").label("done");
     },
     "1\nfalse\nb\n"},
    {"properties flagged for later versions are hidden from earlier ones", 6, [](ActionWriter& w) {
         newObject(w, "o");
         setMember(w, "o", "late", 1);
         w.push(1024, "late");
         get(w, "o");
         w.push(3, "ASSetPropFlags").op(A::CallFunction).op(A::Pop);
         traceMember(w, "o", "late");
         w.push("late", 1);
         get(w, "o");
         w.push("hasOwnProperty").op(A::CallMethod).op(A::Trace);
     },
     "undefined\ntrue\n"},
    {"a link hidden from version 6 ends its lookups", 6, inheritThroughLateLink, "undefined\n"},
    {"version 7 reads past a link flagged for it", 7, inheritThroughLateLink, "1\n"},
    {"for..in lists newest first, then inherited", 6, [](ActionWriter& w) {
         newObject(w, "p");
         setMember(w, "p", "inherited", 1);
         newObject(w, "o");
         get(w, "o");
         w.push("__proto__");
         get(w, "p");
         w.op(A::SetMember);
         setMember(w, "o", "first", 1);
         setMember(w, "o", "second", 1);
         w.push("o").op(A::Enumerate);
         w.label("loop").storeRegister(0).push(PushValue::null()).op(A::Equals2).branchIf("done");
         w.pushValues({PushValue::reg(0)}).op(A::Trace).jump("loop").label("done");
     },
     "second\nfirst\ninherited\n"},
    {"deleting __proto__ cuts the link before version 7", 6, deletePrototypeLink, "undefined\n"},
    {"deleting __proto__ leaves the link lookups follow from version 7", 7, deletePrototypeLink, "42\n"},
    {"__resolve answers even when hidden from the version", 8, [](ActionWriter& w) {
         ActionWriter body;
         body.push("resolved").op(A::Return);
         w.push("o", 0, "Object").op(A::NewObject).op(A::SetVariable);
         w.push("o").op(A::GetVariable).push("__resolve").defineFunction("", {}, body).op(A::SetMember);
         w.push(0, 1 << 13, "__resolve", "o").op(A::GetVariable).push(4, "ASSetPropFlags").op(A::CallFunction).op(A::Pop);
         w.push("o").op(A::GetVariable).push("missing").op(A::GetMember).op(A::Trace);
     },
     "resolved\n"},
    {"hasOwnProperty passes by what is hidden from version 6, in any version", 8, [](ActionWriter& w) {
         w.push("o", 0, "Object").op(A::NewObject).op(A::SetVariable);
         w.push("o").op(A::GetVariable).push("a", 1).op(A::SetMember);
         w.push("o").op(A::GetVariable).push("b", 2).op(A::SetMember);
         w.push(256, "b", "o").op(A::GetVariable).push(3, "ASSetPropFlags").op(A::CallFunction).op(A::Pop);
         for (const char* name : {"a", "b"})
             w.push(name, 1, "o").op(A::GetVariable).push("hasOwnProperty").op(A::CallMethod).op(A::Trace);
         w.push("o").op(A::GetVariable).push("b").op(A::GetMember).op(A::Trace);
     },
     "true\nfalse\n2\n"},
    {"tellTarget by a path to a plain object stays on the timeline", 7, [](ActionWriter& w) {
         w.push("o", 0, "Object").op(A::NewObject).op(A::SetVariable);
         w.push("o").op(A::GetVariable).push("v", "object").op(A::SetMember);
         w.push("v", "timeline").op(A::SetVariable);
         w.setTarget("o").push("v").op(A::GetVariable).op(A::Trace).setTarget("");
     },
     "timeline\n"},
    {"delete removes own properties only", 6, [](ActionWriter& w) {
         set(w, "x", 1);
         w.push("x").op(A::Delete2).op(A::Trace);
         trace(w, "x");
         w.push("x").op(A::Delete2).op(A::Trace);
     },
     "true\nundefined\nfalse\n"},
    // Exceptions.
    {"a throw is caught, then finally runs", 7, [](ActionWriter& w) {
         ActionWriter tryBody;
         tryBody.push("oops").op(A::Throw);
         ActionWriter catchBody;
         catchBody.push("caught ").push("e").op(A::GetVariable).op(A::Add2).op(A::Trace);
         ActionWriter finallyBody;
         finallyBody.push("finally").op(A::Trace);
         w.tryCatch(tryBody, &catchBody, &finallyBody, "e");
         w.push("after").op(A::Trace);
     },
     "caught oops\nfinally\nafter\n"},
    {"a throw crosses function calls to a catch in a register", 7, [](ActionWriter& w) {
         ActionWriter thrower;
         thrower.push("deep").op(A::Throw);
         w.defineFunction("f", {}, thrower);
         ActionWriter tryBody;
         tryBody.push(0, "f").op(A::CallFunction).op(A::Pop).push("not here").op(A::Trace);
         ActionWriter catchBody;
         catchBody.pushValues({PushValue::reg(1)}).op(A::Trace);
         w.tryCatch(tryBody, &catchBody, nullptr, "", 1);
     },
     "deep\n"},
    {"an uncaught throw ends the block", 7, [](ActionWriter& w) { w.push("x").op(A::Throw).push("never").op(A::Trace); }, ""},
    // Core classes.
    {"Array methods", 6, [](ActionWriter& w) {
         w.push(3, 2, 1, 3).op(A::InitArray).push("a").op(A::StackSwap).op(A::SetVariable);
         callMethod(w, "a", "push", {4});
         w.op(A::Trace);
         callMethod(w, "a", "reverse", {});
         w.op(A::Trace);
         callMethod(w, "a", "splice", {1, 2, "x"});
         w.op(A::Trace);
         trace(w, "a");
         callMethod(w, "a", "slice", {-2});
         w.op(A::Trace);
         callMethod(w, "a", "join", {"-"});
         w.op(A::Trace);
     },
     "4\n4,3,2,1\n3,2\n4,x,1\nx,1\n4-x-1\n"},
    {"sort flags", 6, [](ActionWriter& w) {
         w.push("b", 10, "a", 9, 4).op(A::InitArray).push("a").op(A::StackSwap).op(A::SetVariable);
         callMethod(w, "a", "sort", {});
         w.op(A::Trace);
         get(w, "Array");
         w.push("NUMERIC").op(A::GetMember);
         get(w, "Array");
         w.push("DESCENDING").op(A::GetMember).op(A::BitOr).push(1);
         get(w, "a");
         w.push("sort").op(A::CallMethod).op(A::Trace);
         get(w, "Array");
         w.push("UNIQUESORT").op(A::GetMember).push(1);
         w.push("b", "b", 2).op(A::InitArray).push("sort").op(A::CallMethod).op(A::Trace);
     },
     "10,9,a,b\nb,a,10,9\n0\n"},
    {"Math", 6, [](ActionWriter& w) {
         get(w, "Math");
         w.push("PI").op(A::GetMember).op(A::Trace);
         w.push(-2.5, 1);
         get(w, "Math");
         w.push("round").op(A::CallMethod).op(A::Trace);
         w.push(3, 2, 2);
         get(w, "Math");
         w.push("pow").op(A::CallMethod).op(A::Trace);
     },
     "3.14159265358979\n-2\n8\n"},
    {"Date in UTC", 7, [](ActionWriter& w) {
         w.push("d", 300, 50, 50, 13, 25, 5, 1983, 7, "Date").op(A::NewObject).op(A::SetVariable);
         trace(w, "d");
         callMethod(w, "d", "getTime", {});
         w.op(A::Trace);
         callMethod(w, "d", "getDay", {});
         w.op(A::Trace);
     },
     "Sat Jun 25 13:50:50 GMT+0000 1983\n425397050300\n6\n"},
    {"Number and Boolean wrap", 6, [](ActionWriter& w) {
         w.push(255, 1, "Number").op(A::NewObject).push("n").op(A::StackSwap).op(A::SetVariable);
         callMethod(w, "n", "toString", {16});
         w.op(A::Trace);
         w.push(PushValue::undefined(), 1, "Boolean").op(A::CallFunction).op(A::Trace);
     },
     "ff\nfalse\n"},
    {"AsBroadcaster sends to each listener", 6, [](ActionWriter& w) {
         ActionWriter hear;
         hear.push("heard ").push("m").op(A::GetVariable).op(A::Add2).op(A::Trace);
         newObject(w, "b");
         newObject(w, "l");
         get(w, "l");
         w.push("onNews").defineFunction("", {"m"}, hear).op(A::SetMember);
         get(w, "b");
         w.push(1, "AsBroadcaster").op(A::GetVariable).push("initialize").op(A::CallMethod).op(A::Pop);
         w.push("l").op(A::GetVariable).push(1);
         get(w, "b");
         w.push("addListener").op(A::CallMethod).op(A::Pop);
         callMethod(w, "b", "broadcastMessage", {"onNews", "today"});
         w.op(A::Trace);
     },
     "heard today\ntrue\n"},
    {"Function.apply spreads an array", 6, [](ActionWriter& w) {
         ActionWriter body;
         body.push("a").op(A::GetVariable).push("b").op(A::GetVariable).op(A::Add2).op(A::Return);
         w.defineFunction("f", {"a", "b"}, body);
         w.push(2, 3, 2).op(A::InitArray).push(PushValue::null(), 2, "f").op(A::GetVariable).push("apply").op(A::CallMethod).op(A::Trace);
     },
     "5\n"},
    {"clip methods added in version 6 are hidden from version 5", 5, [](ActionWriter& w) {
         w.push("_root").op(A::GetVariable).push("createEmptyMovieClip").op(A::GetMember).op(A::TypeOf).op(A::Trace);
         w.push("_root").op(A::GetVariable).push("attachMovie").op(A::GetMember).op(A::TypeOf).op(A::Trace);
     },
     "undefined\nfunction\n"},
    {"a Push value of an unknown type is undefined and ends the Push", 7, [](ActionWriter& w) {
         w.push("kept").action(0x96, {0x42, 0x23, 0x03}).op(A::Trace).op(A::Trace);
     },
     "undefined\nkept\n"},
    {"InitObject asked for more pairs than there are takes the whole stack", 6, [](ActionWriter& w) {
         w.push("below", "one", 1, 5).op(A::InitObject).push("one").op(A::GetMember).op(A::Trace).op(A::Trace);
     },
     "1\nundefined\n"},
    {"version 6 stops at the first __resolve", 6, resolveBehindNumber, "undefined\n"},
    {"version 7 passes a __resolve that is no object by", 7, resolveBehindNumber, "resolved\n"},
    {"ASnew tells a function whether new called it", 6, [](ActionWriter& w) {
         w.push("ASnew", 0, 2, 2, "ASnative").op(A::CallFunction).op(A::SetVariable);
         ActionWriter body;
         body.push(0, "ASnew").op(A::CallFunction).op(A::Trace);
         w.defineFunction("f", {}, body);
         w.push(0, "f").op(A::CallFunction).op(A::Pop);
         w.push(0, "f").op(A::NewObject).op(A::Pop);
     },
     "false\ntrue\n"},
    {"call makes an object of a primitive this, and of none", 6, [](ActionWriter& w) {
         ActionWriter body;
         body.push("this").op(A::GetVariable).op(A::TypeOf).op(A::Trace);
         w.defineFunction("f", {}, body);
         w.push(5, 1, "f").op(A::GetVariable).push("call").op(A::CallMethod).op(A::Pop);
         w.push(0, "f").op(A::GetVariable).push("call").op(A::CallMethod).op(A::Pop);
     },
     "object\nobject\n"},
    {"call and apply are hidden from version 5", 5, [](ActionWriter& w) {
         ActionWriter body;
         w.defineFunction("f", {}, body);
         w.push("f").op(A::GetVariable).push("call").op(A::GetMember).op(A::TypeOf).op(A::Trace);
     },
     "undefined\n"},
    {"escape and unescape", 6, [](ActionWriter& w) {
         w.push("a b&c", 1, "escape").op(A::CallFunction).op(A::Trace);
         w.push("%41%2", 1, "unescape").op(A::CallFunction).op(A::Trace);
         w.push("%g+%C3%A4%80%00x", 1, "unescape").op(A::CallFunction).op(A::Trace);
     },
     "a%20b%26c\nA\n \xC3\xA4\xC2\x80\n"},
    {"ASSetNative gives names natives by place; 6 to 9 first is a version", 7, [](ActionWriter& w) {
         newObject(w, "o");
         w.push("e,7u,8i", 100, "o").op(A::GetVariable).push(3, "ASSetNative").op(A::CallFunction).op(A::Pop);
         w.push(2, "p", 100, "o").op(A::GetVariable).push(4, "ASSetNative").op(A::CallFunction).op(A::Pop);
         w.push("a b", 1, "o").op(A::GetVariable).push("e").op(A::CallMethod).op(A::Trace);
         w.push("%41", 1, "o").op(A::GetVariable).push("u").op(A::CallMethod).op(A::Trace);
         w.push("o").op(A::GetVariable).push("i").op(A::GetMember).op(A::TypeOf).op(A::Trace);
         w.push("12x", 1, "o").op(A::GetVariable).push("p").op(A::CallMethod).op(A::Trace);
     },
     "a%20b\nA\nundefined\n12\n"},
    {"version 5 unescapes a broken escape to undefined", 5, [](ActionWriter& w) {
         w.push("%41%2", 1, "unescape").op(A::CallFunction).op(A::Trace);
     },
     "undefined\n"},
};

TEST(Language, ProgramsTraceWhatTheReferencePlayerTraces)
{
    for (const Case& c : kCases) {
        ScriptRun run(c.version);
        ActionWriter w;
        c.program(w);
        EXPECT_EQ(run.run(w, c.version), c.traced) << c.name;
    }
}

} // namespace
