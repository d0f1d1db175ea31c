#include <gtest/gtest.h>
#include "RunScript.h"
using namespace swftest;
TEST(Scratch, DateNaN)
{
    ScriptRun r(6);
    ActionWriter w;
    w.push(89, 54, 43).push("Infinity").op(ActionCode::GetVariable).push(-1).op(ActionCode::Multiply).push("Infinity").op(ActionCode::GetVariable).push(11, 1983, 7, "Date").op(ActionCode::NewObject);
    w.op(ActionCode::PushDuplicate).op(ActionCode::Trace).push(0).op(ActionCode::StackSwap).push("getTime").op(ActionCode::CallMethod).op(ActionCode::Trace);
    std::cout << r.run(w, 6);
}
