#include <gtest/gtest.h>
#include "RunScript.h"
using namespace swftest;
TEST(Scratch, ProtoFlags)
{
    ScriptRun r(5);
    ActionWriter w;
    // o = Object; trace(typeof o.__proto__); ASSetPropFlags(o, "__proto__", 0, 13440); trace(typeof o.__proto__)
    w.push("Object").op(ActionCode::GetVariable).push("__proto__").op(ActionCode::GetMember).op(ActionCode::TypeOf).op(ActionCode::Trace);
    w.push(13440, 0, "__proto__").push("Object").op(ActionCode::GetVariable).push(4, "ASSetPropFlags").op(ActionCode::CallFunction).op(ActionCode::Pop);
    w.push("Object").op(ActionCode::GetVariable).push("__proto__").op(ActionCode::GetMember).op(ActionCode::TypeOf).op(ActionCode::Trace);
    std::cout << r.run(w, 5);
    for (auto& d : r.host.diagnostics()) std::cout << "diag: " << d << "\n";
}
