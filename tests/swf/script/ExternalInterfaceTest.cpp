// ExternalInterface with no page to talk to: not available, its calls
// refused, and its text helpers escaping as the reference player's do.

#include <gtest/gtest.h>

#include "RunScript.h"

namespace {

using namespace swftest;
using A = ActionCode;

// flash.external.ExternalInterface.<method>(args...), traced.
void traceCall(ActionWriter& w, const char* method, const std::vector<PushValue>& args)
{
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        w.pushValues({*it});
    w.push(int(args.size()), "flash").op(A::GetVariable).push("external").op(A::GetMember).push("ExternalInterface").op(A::GetMember);
    w.push(method).op(A::CallMethod).op(A::Trace);
}

TEST(ExternalInterface, IsUnavailableAndEscapesTextAsTheReference)
{
    const struct {
        const char* method;
        std::vector<PushValue> args;
        const char* traced;
    } cases[] {
        {"call", {"f", 1}, "null\n"},
        {"addCallback", {"f", PushValue::null(), "g"}, "false\n"},
        {"_jsQuoteString", {"say \"hi\"\n\r\\'"}, "say \\\"hi\\\"\\n\\r\\'\n"},
        {"_escapeXML", {"<a href='x'>&\"</a>"}, "&lt;a href=&apos;x&apos;&gt;&amp;&quot;&lt;/a&gt;\n"},
        {"_unescapeXML", {"&amp;lt;&lt;&quot;&apos;&gt;&hi;&amp"}, "&lt;<\"'>&hi;&amp\n"},
        {"_escapeXML", {""}, "null\n"},
        {"_unescapeXML", {}, "null\n"},
    };
    for (const auto& c : cases) {
        ActionWriter w;
        traceCall(w, c.method, c.args);
        ScriptRun run;
        EXPECT_EQ(run.run(w), c.traced) << c.method;
    }
    ActionWriter available;
    available.push("flash").op(A::GetVariable).push("external").op(A::GetMember).push("ExternalInterface").op(A::GetMember);
    available.push("available").op(A::GetMember).op(A::Trace);
    ScriptRun run;
    EXPECT_EQ(run.run(available), "false\n");
    EXPECT_EQ(ScriptRun(7).run(available, 7), "undefined\n") << "version 8's alone";
}

} // namespace
