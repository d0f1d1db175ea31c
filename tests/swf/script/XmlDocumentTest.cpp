// XML documents' own state (ignoreWhite, declarations) as movies set and
// read it, through the accessors the first document puts on the prototype.

#include <gtest/gtest.h>

#include "RunScript.h"

namespace {

using namespace swftest;
using A = ActionCode;

// trace(new XML(text).firstChild.childNodes.length)
ActionWriter& traceChildCount(ActionWriter& w, const char* text)
{
    w.push(text, 1, "XML").op(A::NewObject).push("firstChild").op(A::GetMember).push("childNodes").op(A::GetMember);
    return w.push("length").op(A::GetMember).op(A::Trace);
}

ActionWriter& setOnPrototype(ActionWriter& w, const char* name, bool value)
{
    return w.push("XML").op(A::GetVariable).push("prototype").op(A::GetMember).push(name, value).op(A::SetMember);
}

TEST(XmlDocument, IgnoreWhiteOnThePrototypeReachesEveryDocumentWhenEverItIsSet)
{
    for (const bool documentMadeFirst : {false, true}) {
        ScriptRun run;
        ActionWriter w;
        if (documentMadeFirst)
            w.push(0, "XML").op(A::NewObject).op(A::Pop);
        setOnPrototype(w, "ignoreWhite", true);
        traceChildCount(w, "<a> <b/> </a>");
        setOnPrototype(w, "ignoreWhite", false);
        traceChildCount(w, "<a> <b/> </a>");
        EXPECT_EQ(run.run(w), "1\n3\n") << documentMadeFirst;
    }
}

// What super() does for a subclass: XML runs on an object `new` made
// elsewhere; the document's fields must still show.
TEST(XmlDocument, AnObjectXmlRunsOnWithoutNewHasTheDocumentsFields)
{
    ScriptRun run;
    ActionWriter w;
    w.push("o", 0, "Object").op(A::NewObject).op(A::SetVariable);
    w.push("o").op(A::GetVariable).push("__proto__", "XML").op(A::GetVariable).push("prototype").op(A::GetMember).op(A::SetMember);
    w.push("<a/>", "o").op(A::GetVariable).push(2, "XML").op(A::GetVariable).push("call").op(A::CallMethod).op(A::Pop);
    w.push("o").op(A::GetVariable).push("status").op(A::GetMember).op(A::Trace);
    w.push("o").op(A::GetVariable).op(A::Trace);
    EXPECT_EQ(run.run(w), "0\n<a />\n");
}

TEST(XmlDocument, ParsingAgainDropsTheDeclarationsTheNewTextLacks)
{
    ScriptRun run;
    ActionWriter w;
    w.push("x", "<?xml version=\"1.0\"?><!DOCTYPE a><a/>", 1, "XML").op(A::NewObject).op(A::SetVariable);
    w.push("x").op(A::GetVariable).op(A::Trace);
    // Undefined parses nothing; null is the text "null".
    w.push(PushValue::undefined(), 1, "x").op(A::GetVariable).push("parseXML").op(A::CallMethod).op(A::Pop);
    w.push("x").op(A::GetVariable).op(A::Trace);
    w.push(PushValue::null(), 1, "x").op(A::GetVariable).push("parseXML").op(A::CallMethod).op(A::Pop);
    w.push("x").op(A::GetVariable).op(A::Trace);
    w.push("x").op(A::GetVariable).push("xmlDecl").op(A::GetMember).op(A::Trace);
    EXPECT_EQ(run.run(w), "<?xml version=\"1.0\"?><!DOCTYPE a><a />\n<?xml version=\"1.0\"?><!DOCTYPE a><a />\nnull\nundefined\n");
}

// Before version 8 a node may be put below its own child, as the
// reference player allows; the text of such a tree never ends, and
// writing it must end the script on its budget, not hang the player.
// From version 8 the move is refused.
TEST(XmlDocument, ANodeBelowItsOwnChildMakesACycleOnlyBeforeVersion8)
{
    for (const int version : {6, 8}) {
        ScriptRun run(version);
        run.machine->setLimits({256, 100'000});
        ActionWriter w;
        w.push("r", "<a><b/></a>", 1, "XML").op(A::NewObject).push("firstChild").op(A::GetMember).op(A::SetVariable);
        w.push("r").op(A::GetVariable).push(1, "r").op(A::GetVariable).push("firstChild").op(A::GetMember);
        w.push("appendChild").op(A::CallMethod).op(A::Pop);
        w.push("r").op(A::GetVariable).push("firstChild").op(A::GetMember).push("lastChild").op(A::GetMember);
        w.push("r").op(A::GetVariable).op(A::StrictEquals).op(A::Trace);
        w.push("r").op(A::GetVariable).op(A::Trace);
        EXPECT_EQ(run.run(w, version), version < 8 ? "true\n" : "false\n<a><b /></a>\n") << version;
        EXPECT_EQ(run.host.diagnostics().empty(), version >= 8) << version;
    }
}

} // namespace

namespace {

// No socket is ever opened: connect says so at once, and the default
// onData still turns text into a document for onXML.
TEST(XmlSocket, ConnectIsRefusedAtOnceAndOnDataStillParses)
{
    ScriptRun run;
    ActionWriter onXml;
    onXml.push("d").op(A::GetVariable).push("firstChild").op(A::GetMember).push("nodeName").op(A::GetMember).op(A::Trace);
    ActionWriter w;
    w.push("s", 0, "XMLSocket").op(A::NewObject).op(A::SetVariable);
    w.push("s").op(A::GetVariable).push("onXML").defineFunction("", {"d"}, onXml).op(A::SetMember);
    w.push(8080, "localhost", 2, "s").op(A::GetVariable).push("connect").op(A::CallMethod).op(A::Trace);
    w.push("<hello/>", 1, "s").op(A::GetVariable).push("onData").op(A::CallMethod).op(A::Pop);
    EXPECT_EQ(run.run(w), "false\nhello\n");
    ASSERT_EQ(run.host.diagnostics().size(), 1u);
    EXPECT_NE(run.host.diagnostics()[0].find("localhost:8080"), std::string::npos);
}

} // namespace
