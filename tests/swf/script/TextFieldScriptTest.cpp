// Text fields as script objects: made by createTextField, changed through
// their properties and methods, checked by what the script traces back
// and by what the field on stage then shows.

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "../TextBodies.h"
#include "support/ActionWriter.h"
#include "support/SwfShapes.h"
#include "support/SwfWriter.h"
#include "swf/Player.h"
#include "swf/Renderer.h"
#include "swf/read/TagCode.h"

namespace {

using swftest::ActionCode;
using swftest::ActionWriter;
using swftest::PushValue;

// A small vocabulary over ActionWriter for the statements these cases use.
struct Script {
    ActionWriter w;

    // t = _root.createTextField("t", 1, 10, 20, 100, 50), the field itself
    // read back by name since versions before 8 return nothing.
    Script& field()
    {
        w.push(50, 100, 20, 10, 1, "t", 6, "_root").op(ActionCode::GetVariable).push("createTextField").op(ActionCode::CallMethod).op(
            ActionCode::Pop);
        return *this;
    }
    Script& set(const char* object, const char* property, PushValue value)
    {
        w.push(object).op(ActionCode::GetVariable).push(property).pushValues({std::move(value)}).op(ActionCode::SetMember);
        return *this;
    }
    Script& setVariable(const char* name, PushValue value)
    {
        w.push(name).pushValues({std::move(value)}).op(ActionCode::SetVariable);
        return *this;
    }
    // object.method(args...) left on the stack.
    Script& call(const char* object, const char* method, const std::vector<PushValue>& args = {})
    {
        for (auto it = args.rbegin(); it != args.rend(); ++it)
            w.pushValues({*it});
        w.push(int(args.size()), object).op(ActionCode::GetVariable).push(method).op(ActionCode::CallMethod);
        return *this;
    }
    Script& drop()
    {
        w.op(ActionCode::Pop);
        return *this;
    }
    // trace(object.property), or trace(object) without a property.
    Script& trace(const char* object, const char* property = nullptr)
    {
        w.push(object).op(ActionCode::GetVariable);
        return member(property).traceTop();
    }
    Script& member(const char* property)
    {
        if (property)
            w.push(property).op(ActionCode::GetMember);
        return *this;
    }
    Script& traceTop()
    {
        w.op(ActionCode::Trace);
        return *this;
    }
};

std::vector<std::uint8_t> movieOf(const std::vector<ActionWriter>& frames, int version)
{
    swftest::SwfWriter writer;
    writer.setVersion(std::uint8_t(version)).setFrameSize(200, 100).setFrameRate(12).setFrameCount(std::uint16_t(frames.size()));
    for (const ActionWriter& frame : frames)
        writer.tag(std::uint16_t(swf::TagCode::DoAction), frame.build()).showFrame();
    return writer.end().build();
}

std::string traceOf(swf::Player& player, const std::vector<ActionWriter>& frames, int version = 8)
{
    std::string trace;
    player.setTraceOutput([&](std::string_view line) { trace.append(line).append("\n"); });
    player.open();
    player.feed(movieOf(frames, version));
    player.finish();
    for (std::size_t i = 1; i < frames.size(); ++i)
        player.advance();
    return trace;
}

} // namespace

TEST(TextFieldScript, PropertiesAndMethodsActOnTheField)
{
    struct Case {
        const char* name;
        Script script;
        std::string expected;
    };
    std::vector<Case> cases;
    {
        Script s;
        s.field().trace("t", "_x").trace("t", "_name").trace("t", "_width").trace("t", "text").trace("t", "length");
        s.w.push("t").op(ActionCode::GetVariable).op(ActionCode::TypeOf).op(ActionCode::Trace);
        s.w.push("t").op(ActionCode::GetVariable).push("TextField").op(ActionCode::GetVariable).op(ActionCode::InstanceOf).op(ActionCode::Trace);
        cases.push_back({"a new field is an empty object placed as asked", s, "10\nt\n100\n\n0\nobject\ntrue\n"});
    }
    {
        Script s;
        s.field().set("t", "text", "a\nb").trace("t", "length").set("t", "text", 12).trace("t", "text");
        cases.push_back({"text keeps one break per line and takes any value as text", s, "3\n12\n"});
    }
    {
        Script s;
        s.field().set("t", "html", true).set("t", "htmlText", "<b>x</b>y").trace("t", "text");
        s.call("t", "getTextFormat", {0}).member("bold").traceTop();
        s.call("t", "getTextFormat", {1}).member("bold").traceTop();
        s.call("t", "getTextFormat").member("bold").traceTop();
        cases.push_back({"HTML sets formats a range reports, null where they differ", s, "xy\ntrue\nfalse\nnull\n"});
    }
    {
        Script s;
        s.field().set("t", "html", true).set("t", "htmlText", "a<br>b\rc").trace("t", "text").trace("t", "length");
        s.set("t", "multiline", true).set("t", "htmlText", "a<br>b\rc").trace("t", "text").trace("t", "length");
        cases.push_back({"HTML breaks at tags only when multiline; a raw CR breaks unseen", s, "abc\n4\na\rbc\n5\n"});
    }
    {
        Script s;
        s.field().set("t", "text", "abcd");
        s.w.push("f", 0, "TextFormat").op(ActionCode::NewObject).op(ActionCode::SetVariable);
        s.set("f", "italic", true);
        s.w.push("f").op(ActionCode::GetVariable).push(3, 1, 3, "t").op(ActionCode::GetVariable).push("setTextFormat").op(ActionCode::CallMethod).op(
            ActionCode::Pop);
        s.call("t", "getTextFormat", {1, 3}).member("italic").traceTop();
        s.call("t", "getTextFormat", {0, 4}).member("italic").traceTop();
        s.call("t", "getTextFormat", {1, 3}).member("font").traceTop();
        cases.push_back({"setTextFormat formats a range only", s, "true\nnull\nTimes New Roman\n"});
    }
    {
        Script s;
        s.field().set("t", "text", "abc").call("t", "replaceText", {1, 2, "XY"}).drop().trace("t", "text");
        s.call("t", "replaceText", {5, 6, "no"}).drop().trace("t", "text");
        cases.push_back({"replaceText swaps a range, ignores one past the end", s, "aXYc\naXYc\n"});
    }
    {
        Script s;
        s.field().set("t", "border", true).set("t", "borderColor", 0xFF0000).trace("t", "border").trace("t", "borderColor");
        s.set("t", "type", "input").trace("t", "type").set("t", "type", "bogus").trace("t", "type");
        s.set("t", "maxChars", 5).trace("t", "maxChars").set("t", "maxChars", PushValue::null()).trace("t", "maxChars");
        cases.push_back({"settings read back as set, nonsense ignored", s, "true\n16711680\ninput\ninput\n5\nnull\n"});
    }
    {
        Script s;
        s.field().call("t", "removeTextField").drop().trace("t", "_name");
        cases.push_back({"a removed field is gone", s, "undefined\n"});
    }
    {
        Script s;
        s.field().set("t", "text", "abc").call("Selection", "setFocus", {"t"}).traceTop();
        s.call("Selection", "getFocus").traceTop().call("Selection", "setSelection", {1, 2}).drop();
        s.call("Selection", "getBeginIndex").traceTop().call("Selection", "getEndIndex").traceTop();
        s.call("Selection", "setFocus", {PushValue::null()}).drop().call("Selection", "getBeginIndex").traceTop();
        cases.push_back({"focus and selection follow Selection", s, "false\n_level0.t\n1\n2\n-1\n"});
    }
    {
        Script s;
        s.field().set("t", "text", "own").setVariable("w", "a").set("t", "variable", "w").trace("t", "text");
        s.setVariable("w", "b").trace("t", "text").set("t", "text", "c").trace("w");
        s.set("t", "variable", "u").trace("u");
        cases.push_back({"a clip's variable is read live and takes what is written; the field keeps its own text", s,
                         "a\nb\nc\nown\n"});
    }
    {
        Script s;
        s.field().w.push("o", 0, "Object").op(ActionCode::NewObject).op(ActionCode::SetVariable);
        s.set("o", "v", 1).set("t", "variable", "o.v").trace("t", "text").set("o", "v", 2).trace("t", "text");
        s.set("t", "text", 3).trace("o", "v");
        cases.push_back({"an object's variable is copied when bound and written through", s, "1\n1\n3\n"});
    }
    {
        Script s;
        s.field().set("t", "_x", 107374182.4).trace("t", "_x").set("t", "_x", std::numeric_limits<double>::infinity()).trace("t", "_x");
        s.set("t", "_width", -5).trace("t", "_width");
        cases.push_back({"place and size are 32-bit twips; a negative size is refused", s, "-107374182.4\n0\n100\n"});
    }
    {
        Script s;
        s.field().set("t", "text", "Hello").set("t", "autoSize", true);
        s.w.push("w", "t").op(ActionCode::GetVariable).push("_width").op(ActionCode::GetMember).op(ActionCode::SetVariable);
        s.set("t", "autoSize", false).w.push("t").op(ActionCode::GetVariable).push("_width").op(ActionCode::GetMember);
        s.w.push("w").op(ActionCode::GetVariable).op(ActionCode::Equals2).op(ActionCode::Trace);
        s.w.push("w").op(ActionCode::GetVariable).push(100).op(ActionCode::Less2).op(ActionCode::Trace);
        cases.push_back({"a field that sized itself keeps that size once autoSize is off", s, "true\ntrue\n"});
    }
    {
        Script s;
        s.w.push("f", 0, "TextFormat").op(ActionCode::NewObject).op(ActionCode::SetVariable);
        s.call("f", "getTextExtent", {""}).member("height").traceTop();
        cases.push_back({"no text takes no height", s, "0\n"});
    }
    {
        // o.toString answers a number, then text.
        Script s;
        s.w.push("o", 0, "Object").op(ActionCode::NewObject).op(ActionCode::SetVariable);
        s.w.push("css", 0, "TextField").op(ActionCode::GetVariable).push("StyleSheet").op(ActionCode::NewMethod).op(ActionCode::SetVariable);
        for (const PushValue& answer : {PushValue(5), PushValue("Arial")}) {
            ActionWriter body;
            body.pushValues({answer}).op(ActionCode::Return);
            s.w.push("o").op(ActionCode::GetVariable).push("toString").defineFunction("", {}, body).op(ActionCode::SetMember);
            s.w.push("o").op(ActionCode::GetVariable).push(1, "css").op(ActionCode::GetVariable).push("parseCSSFontFamily").op(
                ActionCode::CallMethod).op(ActionCode::TypeOf).op(ActionCode::Trace);
            s.w.push("o").op(ActionCode::GetVariable).push(1, "css").op(ActionCode::GetVariable).push("parseCSSFontFamily").op(
                ActionCode::CallMethod).op(ActionCode::Trace);
        }
        cases.push_back({"a style sheet names an object's family by the text its toString answers", s,
                         "string\n[type Object]\nstring\nArial\n"});
    }
    for (const Case& c : cases) {
        swf::Player player;
        EXPECT_EQ(traceOf(player, {c.script.w}), c.expected) << c.name;
    }
}

TEST(TextFieldScript, OlderVersionsSeeLessOfAField)
{
    struct Case {
        const char* name;
        int version;
        Script script;
        std::string expected;
    };
    std::vector<Case> cases;
    {
        Script s;
        s.field().set("t", "text", "abc").call("t", "replaceText", {0, 1, "X"}).drop().trace("t", "text");
        cases.push_back({"replaceText comes with version 7", 6, s, "abc\n"});
    }
    {
        Script s;
        s.field().set("t", "html", true).set("t", "htmlText", "a<br>b").trace("t", "text");
        cases.push_back({"before version 7 HTML tags break lines in any field", 6, s, "a\rb\n"});
    }
    {
        Script s;
        s.field().trace("t").set("t", "scroll", 2).trace("_root", "scroll");
        cases.push_back({"before version 6 a field's name stands for its clip", 5, s, "_level0\n2\n"});
    }
    {
        Script s;
        s.field().set("t", "_x", PushValue::undefined()).trace("t", "_x");
        cases.push_back({"an undefined place leaves a field where it is", 6, s, "10\n"});
    }
    for (const Case& c : cases) {
        swf::Player player;
        EXPECT_EQ(traceOf(player, {c.script.w}, c.version), c.expected) << c.name;
    }
}

TEST(TextFieldScript, BoundFieldFollowsItsVariable)
{
    Script first;
    first.field().set("t", "variable", "v").setVariable("v", "shown");
    Script second;
    second.trace("t", "text").set("t", "text", "typed").trace("v");
    swf::Player player;
    EXPECT_EQ(traceOf(player, {first.w, second.w}), "shown\ntyped\n");
}

TEST(TextFieldScript, ScriptBackgroundShowsOnStage)
{
    Script s;
    s.field().set("t", "background", true).set("t", "backgroundColor", 0xFF0000);
    swf::Player player;
    traceOf(player, {s.w});
    QImage image(200, 100, QImage::Format_ARGB32_Premultiplied);
    swf::render(player, image);
    EXPECT_EQ(QColor(image.pixel(50, 40)), QColor(255, 0, 0)) << "inside the field";
    EXPECT_EQ(QColor(image.pixel(150, 90)), QColor(255, 255, 255)) << "outside it";
}

TEST(TextFieldScript, StyleSheetReadsCssIntoFormats)
{
    Script s;
    // css = new TextField.StyleSheet()
    s.w.push("css", 0, "TextField").op(ActionCode::GetVariable).push("StyleSheet").op(ActionCode::NewMethod).op(ActionCode::SetVariable);
    s.call("css", "parseCSS", {"p { color: #FF0000; font-size: 20px } broken"}).traceTop();
    s.call("css", "parseCSS", {"p { color: #FF0000; font-size: 20px }"}).traceTop();
    s.call("css", "getStyle", {"p"}).member("fontSize").traceTop();
    s.w.push("p", 1, "css").op(ActionCode::GetVariable).push("getStyle").op(ActionCode::CallMethod).push(1, "css").op(ActionCode::GetVariable).push(
        "transform").op(ActionCode::CallMethod).push("color").op(ActionCode::GetMember).op(ActionCode::Trace);
    s.call("css", "getStyleNames").member("length").traceTop();
    s.call("css", "clear").drop().call("css", "getStyleNames").member("length").traceTop();
    // A field with the sheet formats its HTML by tag and class.
    s.call("css", "parseCSS", {"p { text-align: right } .note { font-weight: bold }"}).drop();
    s.field().set("t", "html", true).w.push("t").op(ActionCode::GetVariable).push("styleSheet", "css").op(ActionCode::GetVariable).op(
        ActionCode::SetMember);
    s.set("t", "htmlText", "<p>a<span class='note'>b</span></p>");
    s.call("t", "getTextFormat", {0}).member("bold").traceTop().call("t", "getTextFormat", {1}).member("bold").traceTop();
    s.call("t", "getTextFormat", {0}).member("align").traceTop();
    swf::Player player;
    EXPECT_EQ(traceOf(player, {s.w}), "false\ntrue\n20px\n16711680\n1\n0\nfalse\ntrue\nright\n");
}

TEST(TextFieldScript, SnapshotReadsSearchesAndSelectsTheClipsStaticText)
{
    using namespace texttest;
    // "ab" on a first line and "c" on a second, in the block font: each
    // glyph's cell is 20 pixels wide and 40 tall above its baseline.
    Bytes font {1, 0};
    putBytes(font, fontBody(blockFont()));
    Bytes text {2, 0};
    putBytes(text, textBody({0, 2000, 0, 2000}, {{1, swf::Color {0, 0, 0, 255}, 200, 1000, 800, {{0, 400}, {1, 400}}},
                                                  {std::nullopt, std::nullopt, 200, 2000, 800, {{2, 400}}}},
                            false));
    Script s;
    s.w.push("s", 0, "this").op(ActionCode::GetVariable).push("getTextSnapshot").op(ActionCode::CallMethod).op(ActionCode::SetVariable);
    s.call("s", "getCount").traceTop().call("s", "getText", {0, 3, true}).traceTop().call("s", "getText", {2, 1}).traceTop();
    s.call("s", "findText", {0, "B", false}).traceTop().call("s", "findText", {0, "B", true}).traceTop();
    s.call("s", "setSelected", {1, 3, true}).drop().call("s", "getSelectedText", {false}).traceTop();
    s.call("s", "getSelected", {0, 1}).traceTop().call("s", "getSelected", {0, 2}).traceTop();
    s.call("s", "hitTestTextNearPos", {35, 40, 0}).traceTop().call("s", "hitTestTextNearPos", {80, 40, 0}).traceTop();
    s.call("s", "hitTestTextNearPos", {80, 40, 40}).traceTop().call("s", "hitTestTextNearPos", {20, 70}).traceTop();
    s.w.push("e", 0, "TextSnapshot").op(ActionCode::NewObject).op(ActionCode::SetVariable);
    s.call("e", "getCount").traceTop();

    swftest::SwfWriter writer;
    writer.setVersion(8).setFrameSize(200, 200).setFrameRate(12).setFrameCount(1);
    writer.tag(std::uint16_t(swf::TagCode::DefineFont2), font).tag(std::uint16_t(swf::TagCode::DefineText), text);
    writer.tag(std::uint16_t(swf::TagCode::PlaceObject2), swftest::placeObject2({.depth = 1, .characterId = 2}));
    writer.tag(std::uint16_t(swf::TagCode::DoAction), s.w.build()).showFrame();
    std::string trace;
    swf::Player player;
    player.setTraceOutput([&](std::string_view line) { trace.append(line).append("\n"); });
    player.open();
    player.feed(writer.end().build());
    player.finish();
    EXPECT_EQ(trace, "3\nab\nc\nc\n1\n-1\nbc\nfalse\ntrue\n1\n-1\n1\n2\n0\n");
}
