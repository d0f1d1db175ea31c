#include <gtest/gtest.h>
#include "RunScript.h"
using namespace swftest;
TEST(Scratch, Hidden)
{
    ScriptRun r(5);
    ActionWriter w;
    // o = Object.prototype; trace(o.hasOwnProperty); o.hasOwnProperty = ASnative(101,5); trace(o.hasOwnProperty("toString")); trace(delete o.hasOwnProperty); trace(o.hasOwnProperty)
    w.push("o").push("Object").op(ActionCode::GetVariable).push("prototype").op(ActionCode::GetMember).op(ActionCode::SetVariable);
    w.push("o").op(ActionCode::GetVariable).push("hasOwnProperty").op(ActionCode::GetMember).op(ActionCode::Trace);
    w.push("o").op(ActionCode::GetVariable).push("hasOwnProperty").push(5, 101, 2, "ASnative").op(ActionCode::CallFunction).op(ActionCode::SetMember);
    w.push("toString", 1, "o").op(ActionCode::GetVariable).push("hasOwnProperty").op(ActionCode::CallMethod).op(ActionCode::Trace);
    w.push("o").op(ActionCode::GetVariable).push("hasOwnProperty").op(ActionCode::Delete).op(ActionCode::Trace);
    w.push("o").op(ActionCode::GetVariable).push("hasOwnProperty").op(ActionCode::GetMember).op(ActionCode::Trace);
    std::cout << r.run(w, 5);
}
