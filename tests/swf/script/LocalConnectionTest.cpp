// Two movies in one program calling each other through LocalConnection.

#include <gtest/gtest.h>

#include "RunScript.h"
#include "swf/script/classes/Builtins.h"

namespace {

using namespace swftest;
using namespace swf::script;
using A = ActionCode;

// lc = new LocalConnection(); lc.<method> = function(a, b) { trace(<body>) }
ActionWriter connection(const char* method, const ActionWriter& body)
{
    ActionWriter w;
    w.push("lc", 0, "LocalConnection").op(A::NewObject).op(A::SetVariable);
    w.push("lc").op(A::GetVariable).push(method).defineFunction("", {"a", "b"}, body).op(A::SetMember);
    return w;
}

ActionWriter& callLc(ActionWriter& w, const char* method, std::initializer_list<const char*> arguments)
{
    for (auto it = std::rbegin(arguments); it != std::rend(arguments); ++it)
        w.push(*it);
    return w.push(int(arguments.size()), "lc").op(A::GetVariable).push(method).op(A::CallMethod);
}

TEST(LocalConnection, CallsReachTheReceiverAtItsFrameAndSendersHearWhetherAnyoneWasThere)
{
    ScriptRun receiver;
    ScriptRun sender;
    ScriptRun rival;

    ActionWriter hello;
    hello.push("a").op(A::GetVariable).push("b").op(A::GetVariable).push("x").op(A::GetMember).op(A::Add2).op(A::Trace);
    ActionWriter listen = connection("hello", hello);
    callLc(listen, "connect", {"Chat"}).op(A::Trace);
    EXPECT_EQ(receiver.run(listen), "true\n");
    // The name is taken, whatever its case.
    ActionWriter taken = connection("hello", hello);
    callLc(taken, "connect", {"chat"}).op(A::Trace);
    EXPECT_EQ(rival.run(taken), "false\n");

    ActionWriter status;
    status.push("a").op(A::GetVariable).push("level").op(A::GetMember).op(A::Trace);
    ActionWriter talk = connection("onStatus", status);
    // lc.send("chat", "hello", "hi ", {x: 1}); lc.send("nobody", "hello"); lc.send("chat", "close")
    talk.push("x", 1, 1).op(A::InitObject).push("hi ", "hello", "chat", 4, "lc").op(A::GetVariable).push("send").op(A::CallMethod).op(A::Trace);
    callLc(talk, "send", {"nobody", "hello"}).op(A::Trace);
    callLc(talk, "send", {"chat", "close"}).op(A::Trace);
    EXPECT_EQ(sender.run(talk), "true\ntrue\nfalse\n");
    EXPECT_EQ(receiver.host.output(), "true\n") << "nothing arrives before the receiver's frame";

    receiver.host.clearOutput();
    deliverLocalConnections(*receiver.machine);
    EXPECT_EQ(receiver.host.output(), "hi 1\n");
    sender.host.clearOutput();
    deliverLocalConnections(*sender.machine);
    EXPECT_EQ(sender.host.output(), "status\nerror\n");

    // Once the receiver is gone, its name is free and sends go nowhere.
    closeLocalConnections(*receiver.machine);
    ActionWriter again = connection("hello", hello);
    callLc(again, "connect", {"chat"}).op(A::Trace);
    EXPECT_EQ(rival.run(again), "true\n");
    closeLocalConnections(*rival.machine);
    closeLocalConnections(*sender.machine);
}

} // namespace
