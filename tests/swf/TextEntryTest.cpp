// Text entry through the player, with no widget: a field of a movie the
// test writes is clicked, typed into, edited with keys and the clipboard,
// and read back from the stage and from what its script traced.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <QImage>

#include "MovieBits.h"
#include "TextBodies.h"
#include "support/ActionWriter.h"
#include "swf/Player.h"
#include "swf/Renderer.h"
#include "swf/StageFrame.h"
#include "swf/read/TagCode.h"
#include "swf/runtime/Clipboard.h"
#include "swf/runtime/EditTextInstance.h"
#include "swf/runtime/Stage.h"
#include "swf/runtime/TextEditing.h"

namespace {

using namespace movietest;
using swftest::ActionCode;
using swftest::ActionWriter;
using swftest::SwfWriter;

enum FieldFlag : std::uint16_t {
    kWordWrap = 0x4000, kMultiline = 0x2000, kPassword = 0x1000, kReadOnly = 0x0800, kHasMaxLength = 0x0200,
    kHasFont = 0x0100, kNoSelect = 0x0010, kHasText = 0x8000, kUseOutlines = 0x0001,
};

// Characters are 200 twips wide at the field's 400, lines 400 high; the
// field, at (2000, 2000), has room for ten characters on two lines.
constexpr double kChar = 200;
constexpr double kLeft = 2000 + 40;
constexpr double kTop = 2000 + 40;
constexpr int kFieldWidth = 10 * 200 + 80;
constexpr int kFieldHeight = 2 * 400 + 80;

struct Field {
    std::uint16_t flags = 0;
    std::uint16_t maxChars = 0;
    std::string text;
    std::string restrict; // none when empty
};

Bytes editTextBody(const Field& field)
{
    using texttest::put16;
    Bytes body;
    put16(body, 2);
    const Bytes bounds = swftest::BitWriter().ub(14, 5).sb(0, 14).sb(kFieldWidth, 14).sb(0, 14).sb(kFieldHeight, 14).finish();
    body.insert(body.end(), bounds.begin(), bounds.end());
    const std::uint16_t flags = field.flags | kHasFont | kUseOutlines | (field.maxChars ? kHasMaxLength : 0) | (field.text.empty() ? 0 : kHasText);
    body.push_back(std::uint8_t(flags >> 8));
    body.push_back(std::uint8_t(flags));
    put16(body, 1);
    put16(body, 400);
    if (field.maxChars)
        put16(body, field.maxChars);
    texttest::putString(body, "v");
    if (!field.text.empty())
        texttest::putString(body, field.text);
    return body;
}

// name.member = function(tf) { trace(prefix + variable[.property]); },
// or only the prefix without a variable.
void handler(ActionWriter& w, const char* object, const char* member, const char* prefix, const char* variable = nullptr,
             const char* property = nullptr)
{
    ActionWriter body;
    body.push(prefix);
    if (variable) {
        body.push(variable).op(ActionCode::GetVariable);
        if (property)
            body.push(property).op(ActionCode::GetMember);
        body.op(ActionCode::Add2);
    }
    body.op(ActionCode::Trace);
    w.push(object).op(ActionCode::GetVariable).push(member).defineFunction("", {"tf"}, body).op(ActionCode::SetMember);
}

using Tags = std::vector<std::pair<std::uint16_t, Bytes>>;

// A field named f bound to v, the movie's script tracing what it hears,
// with more tags before the script when given.
Bytes fieldMovie(const Field& field, const Tags& extraTags = {})
{
    ActionWriter script;
    handler(script, "f", "onChanged", "c:", "v");
    handler(script, "f", "onScroller", "s:", "tf", "scroll");
    handler(script, "f", "onSetFocus", "focus");
    handler(script, "f", "onKillFocus", "blur");
    if (!field.restrict.empty())
        script.push("f").op(ActionCode::GetVariable).push("restrict", field.restrict.c_str()).op(ActionCode::SetMember);
    script.op(ActionCode::Stop);

    swftest::Placement placement;
    placement.depth = 1;
    placement.characterId = 2;
    placement.matrix = translate(2000, 2000);
    placement.name = "f";
    SwfWriter w;
    w.setVersion(8);
    w.tag(+swf::TagCode::DefineFont2, [] {
        Bytes body;
        texttest::put16(body, 1);
        texttest::putBytes(body, texttest::fontBody(texttest::blockFont(u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ-*")));
        return body;
    }());
    w.tag(+swf::TagCode::DefineEditText, editTextBody(field));
    w.tag(+swf::TagCode::PlaceObject2, swftest::placeObject2(placement));
    for (const auto& [code, body] : extraTags)
        w.tag(code, body);
    w.tag(+swf::TagCode::DoAction, script.build()).showFrame();
    return w.build();
}

struct Entry {
    swf::OwnClipboard clipboard;
    swf::Player player;
    std::string trace;

    explicit Entry(const Field& field, const Tags& extraTags = {})
    {
        player.setClipboard(&clipboard);
        player.setTraceOutput([this](std::string_view line) { trace.append(line).append(" "); });
        load(player, fieldMovie(field, extraTags));
        trace.clear();
    }

    swf::EditTextInstance& field() { return static_cast<swf::EditTextInstance&>(*player.stage()->root()->childAt(1)); }
    std::string text() { return field().text().toStdString(); }
    // Before character `index` on line `line` (from 0), a little inside.
    void moveTo(double index, int line = 0) { player.pointerMove(kLeft + index * kChar + 10, kTop + line * 400 + 200); }
    void click(double index, int line = 0)
    {
        moveTo(index, line);
        player.pointerPress();
        player.pointerRelease();
    }
    void key(int code, int ascii = 0)
    {
        player.keyDown(code, ascii);
        player.keyUp(code, ascii);
    }
    void chord(int modifier, int code)
    {
        player.keyDown(modifier, 0);
        key(code);
        player.keyUp(modifier, 0);
    }
    void type(const std::string& text) { player.enterText(text); }
};

constexpr int kShift = 16, kControl = 17;
constexpr int kBackspace = 8, kEnter = 13, kEnd = 35, kHome = 36, kLeftKey = 37, kUpKey = 38, kRightKey = 39, kDelete = 46;

} // namespace

TEST(TextEntry, ClicksKeysAndTypingEditTheFocusedFieldWithinItsRules)
{
    using Steps = std::function<void(Entry&)>;
    const struct Case {
        const char* name;
        Field field;
        Steps steps;
        const char* text;
        qsizetype begin, end;
        const char* trace;
    } cases[] {
        {"typing at the caret", {}, [](Entry& e) { e.click(0), e.type("abc"); }, "abc", 3, 3, "focus c:abc "},
        {"a click places the caret", {0, 0, "abcd"}, [](Entry& e) { e.click(2), e.type("x"); }, "abxcd", 3, 3, "focus c:abxcd "},
        {"a click past the end", {0, 0, "ab"}, [](Entry& e) { e.click(8); }, "ab", 2, 2, "focus "},
        {"arrows and backspace", {0, 0, "abcd"},
         [](Entry& e) { e.click(4), e.key(kLeftKey), e.key(kLeftKey), e.key(kBackspace); }, "acd", 1, 1, "focus c:acd "},
        {"home, delete, end, shift+arrows replaced", {0, 0, "abcd"},
         [](Entry& e) {
             e.click(1), e.key(kHome), e.key(kDelete), e.key(kEnd), e.chord(kShift, kLeftKey), e.chord(kShift, kLeftKey);
             e.type("x");
         },
         "bx", 2, 2, "focus c:bcd c:bx "},
        {"shift+home selects back to the start", {0, 0, "abcd"}, [](Entry& e) { e.click(3), e.chord(kShift, kHome); }, "abcd", 0, 3, "focus "},
        {"an arrow collapses a selection to its side", {0, 0, "abcd"},
         [](Entry& e) { e.click(1), e.chord(kShift, kRightKey), e.chord(kShift, kRightKey), e.key(kLeftKey); }, "abcd", 1, 1, "focus "},
        {"a drag selects", {0, 0, "abcdef"},
         [](Entry& e) {
             e.moveTo(1), e.player.pointerPress(), e.moveTo(4), e.player.pointerRelease();
         },
         "abcdef", 1, 4, "focus "},
        {"a double click selects a word", {0, 0, "ab cde fg"},
         [](Entry& e) { e.moveTo(4), e.player.pointerDoubleClick(), e.moveTo(4), e.player.pointerRelease(); }, "ab cde fg", 3, 6, "focus "},
        {"ctrl+arrows move by words", {0, 0, "ab cd ef"},
         [](Entry& e) { e.click(0), e.chord(kControl, kRightKey), e.chord(kControl, kRightKey), e.type("x"); }, "ab cd xef", 7, 7,
         "focus c:ab cd xef "},
        {"ctrl+a then typing replaces everything", {0, 0, "abcd"},
         [](Entry& e) { e.click(1), e.chord(kControl, 65), e.type("z"); }, "z", 1, 1, "focus c:z "},
        {"enter in a single-line field", {0, 0, "ab"}, [](Entry& e) { e.click(1), e.key(kEnter, 13), e.type("\r\n"); }, "ab", 1, 1, "focus "},
        {"enter in a multiline field", {kMultiline, 0, "ab"}, [](Entry& e) { e.click(1), e.key(kEnter, 13); }, "a\rb", 2, 2, "focus c:a\rb "},
        {"pasted line breaks in a single-line field", {0, 0, ""}, [](Entry& e) { e.click(0), e.type("a\r\nb\tc"); }, "abc", 3, 3, "focus c:abc "},
        {"up and down keep the column", {kMultiline, 0, "abcd\rabcd"},
         [](Entry& e) { e.click(2, 1), e.key(kUpKey), e.type("x"); }, "abxcd\rabcd", 3, 3, "focus c:abxcd\rabcd "},
        {"maxChars", {0, 3, ""}, [](Entry& e) { e.click(0), e.type("abcdef"), e.key(kBackspace), e.type("zz"); }, "abz", 3, 3,
         "focus c:abc c:ab c:abz "},
        {"restrict to a range", {0, 0, "", "a-c"}, [](Entry& e) { e.click(0), e.type("abcdef"); }, "abc", 3, 3, "focus c:abc "},
        {"restrict refusing", {0, 0, "", "^b"}, [](Entry& e) { e.click(0), e.type("abc"); }, "ac", 2, 2, "focus c:ac "},
        {"restrict with a refused part of a range", {0, 0, "", "a-z^c-d"}, [](Entry& e) { e.click(0), e.type("abcdeX"); }, "abe", 3, 3,
         "focus c:abe "},
        {"restrict turns the case", {0, 0, "", "A-Z"}, [](Entry& e) { e.click(0), e.type("ab"); }, "AB", 2, 2, "focus c:AB "},
        {"restrict escapes", {0, 0, "", "a\\-c\\^"}, [](Entry& e) { e.click(0), e.type("ab-c^"); }, "a-c^", 4, 4, "focus c:a-c^ "},
        {"nothing restricted away, no change", {0, 0, "", "a"}, [](Entry& e) { e.click(0), e.type("bbb"); }, "", 0, 0, "focus "},
        {"read-only selectable text selects but does not edit", {kReadOnly, 0, "abcd"},
         [](Entry& e) { e.click(1), e.type("x"), e.key(kBackspace), e.chord(kShift, kEnd); }, "abcd", 1, 4, "focus "},
        {"unselectable text takes no focus", {kReadOnly | kNoSelect, 0, "abcd"}, [](Entry& e) { e.click(1), e.type("x"); }, "abcd", 4, 4, ""},
        {"a click outside lets go of the focus", {0, 0, "ab"}, [](Entry& e) { e.click(1), e.player.pointerMove(10, 10), e.player.pointerPress(), e.type("x"); },
         "ab", 1, 1, "focus blur "},
        {"the caret scrolls a long line into view", {0, 0, ""}, [](Entry& e) { e.click(0), e.type("abcdefghijkl"); }, "abcdefghijkl", 12, 12,
         "focus c:abcdefghijkl s:1 "},
        {"typing past the bottom scrolls down", {kMultiline, 0, "a\rb"}, [](Entry& e) { e.click(1, 1), e.key(kEnter, 13), e.type("c"); }, "a\rb\rc", 5,
         5, "focus c:a\rb\r s:2 c:a\rb\rc "},
    };
    for (const Case& c : cases) {
        Entry e(c.field);
        c.steps(e);
        EXPECT_EQ(e.text(), c.text) << c.name;
        EXPECT_EQ(e.field().selectionBegin(), c.begin) << c.name;
        EXPECT_EQ(e.field().selectionEnd(), c.end) << c.name;
        EXPECT_EQ(e.trace, c.trace) << c.name;
    }
}

TEST(TextEntry, CutCopyAndPasteGoThroughTheClipboardButPasswordsStay)
{
    const struct {
        const char* name;
        std::uint16_t flags;
        int modifier, code;
        const char* text;
        const char* clipboard;
    } cases[] {
        {"ctrl+c", 0, kControl, 67, "abcd", "bc"},
        {"ctrl+insert", 0, kControl, 45, "abcd", "bc"},
        {"ctrl+x", 0, kControl, 88, "ad", "bc"},
        {"shift+delete", 0, kShift, kDelete, "ad", "bc"},
        {"ctrl+v", 0, kControl, 86, "aheldd", "held"},
        {"shift+insert", 0, kShift, 45, "aheldd", "held"},
        {"password ctrl+c", kPassword, kControl, 67, "abcd", "held"},
        {"password ctrl+x", kPassword, kControl, 88, "abcd", "held"},
        {"read-only ctrl+c", kReadOnly, kControl, 67, "abcd", "bc"},
        {"read-only ctrl+x", kReadOnly, kControl, 88, "abcd", "held"},
        {"read-only ctrl+v", kReadOnly, kControl, 86, "abcd", "held"},
    };
    for (const auto& c : cases) {
        Entry e({c.flags, 0, "abcd"});
        e.clipboard.setText("held");
        e.click(1);
        e.chord(kShift, kRightKey);
        e.chord(kShift, kRightKey);
        e.chord(c.modifier, c.code);
        EXPECT_EQ(e.text(), c.text) << c.name;
        EXPECT_EQ(e.clipboard.text().toStdString(), c.clipboard) << c.name;
    }
}

TEST(TextEntry, SelectionAnswersFromTheFieldAndSetSelectionMovesTheCaret)
{
    ActionWriter read;
    for (const char* method : {"getBeginIndex", "getEndIndex", "getCaretIndex"})
        read.push(0, "Selection").op(ActionCode::GetVariable).push(method).op(ActionCode::CallMethod).op(ActionCode::Trace);
    ActionWriter onKey;
    onKey.raw(read.body());
    ActionWriter listen;
    // Key.addListener({onKeyUp: function () { trace the three }})
    listen.push("onKeyUp").defineFunction("", {}, onKey).push(1).op(ActionCode::InitObject);
    listen.push(1, "Key").op(ActionCode::GetVariable).push("addListener").op(ActionCode::CallMethod).op(ActionCode::Pop);
    Entry e({0, 0, "abcdef"}, {{+swf::TagCode::DoAction, listen.build()}});
    e.click(4);
    e.trace.clear();
    e.chord(kShift, kLeftKey);
    e.chord(kShift, kLeftKey);
    // Heard at each release, Left's then Shift's: begin, end, caret.
    EXPECT_EQ(e.trace, "3 4 3 3 4 3 2 4 2 2 4 2 ");
}

TEST(TextEntry, AFocusedFieldKeepsTheKeysItTakesFromButtonsButNotFromKeyListeners)
{
    ActionWriter listen;
    ActionWriter onKey;
    onKey.push("key ").push(0, "Key").op(ActionCode::GetVariable).push("getCode").op(ActionCode::CallMethod).op(ActionCode::Add2).op(
        ActionCode::Trace);
    listen.push("onKeyDown").defineFunction("", {}, onKey).push(1).op(ActionCode::InitObject);
    listen.push(1, "Key").op(ActionCode::GetVariable).push("addListener").op(ActionCode::CallMethod).op(ActionCode::Pop);
    // A button over nothing of the field's, pressed by the key "a".
    Bytes button;
    putU16(button, 4);
    button.push_back(0);
    putU16(button, 0);
    const Bytes records = [] {
        Bytes r {0x08};
        putU16(r, 3);
        putU16(r, 1);
        const Bytes matrix = swftest::matrixBytes(translate(8000, 6000));
        r.insert(r.end(), matrix.begin(), matrix.end());
        r.push_back(0);
        r.push_back(0);
        return r;
    }();
    button.insert(button.end(), records.begin(), records.end());
    button[3] = std::uint8_t(records.size() + 2);
    putU16(button, 0);
    putU16(button, std::uint16_t('a' << 9));
    ActionWriter pressed;
    pressed.push("button a").op(ActionCode::Trace);
    const Bytes actions = pressed.build();
    button.insert(button.end(), actions.begin(), actions.end());
    swftest::RectShape shape;
    shape.id = 3;
    Entry e({}, {{+swf::TagCode::DefineShape3, swftest::defineShape3(shape)},
                 {+swf::TagCode::DefineButton2, button},
                 {+swf::TagCode::PlaceObject2, place(2, 4)},
                 {+swf::TagCode::DoAction, listen.build()}});
    e.trace.clear();
    e.player.keyDown(65, 'a');
    EXPECT_TRUE(e.player.stage()->input().isKeyDown(65));
    e.type("a");
    e.player.keyUp(65, 'a');
    EXPECT_EQ(e.trace, "key 65 button a ") << "no field has focus: the key is the button's and typed nowhere";
    EXPECT_EQ(e.text(), "");
    e.click(0);
    e.trace.clear();
    e.player.keyDown(65, 'a');
    EXPECT_TRUE(e.player.stage()->input().isKeyDown(65));
    e.type("a");
    e.player.keyUp(65, 'a');
    EXPECT_EQ(e.trace, "key 65 c:a ");
    EXPECT_TRUE(e.player.hasTextFocus());
}

TEST(TextEntry, PasswordsShowAsterisksAndTheCaretAndSelectionAreDrawnWhereTheyChanged)
{
    Entry e({kPassword, 0, ""});
    swf::Renderer renderer;
    swf::StageFrame frame;
    QImage shown(550, 400, QImage::Format_ARGB32_Premultiplied);
    e.player.captureFrame(frame);
    renderer.render(frame, shown);
    const QImage blank = shown.copy();
    int step = 0;
    const auto redraw = [&] {
        ++step;
        e.player.captureFrame(frame);
        renderer.renderChanges(frame, shown);
        QImage whole(shown.size(), shown.format());
        swf::render(e.player, whole);
        EXPECT_TRUE(shown == whole) << "what was redrawn as damaged is the whole frame, step " << step;
    };
    e.click(0);
    e.type("ab");
    redraw();
    EXPECT_NE(shown, blank);
    const auto laid = e.field().layout();
    ASSERT_EQ(laid->lines.size(), 1u);
    EXPECT_EQ(laid->lines.front().runs.front().text.toStdString(), "**");
    EXPECT_EQ(e.text(), "ab");
    ASSERT_TRUE(laid->highlight);
    const auto caret = e.player.caretRect();
    ASSERT_TRUE(caret);
    EXPECT_DOUBLE_EQ(caret->x, kLeft + 2 * kChar);

    const QImage typed = shown.copy();
    e.chord(kShift, kHome);
    redraw();
    EXPECT_NE(shown, typed) << "the selection shows";
    e.player.pointerMove(10, 10);
    e.player.pointerPress();
    redraw();
    EXPECT_FALSE(e.field().layout()->highlight) << "no caret without focus";
}

TEST(TextEntry, HugePastesAndEndlessTypingAreCapped)
{
    Entry e({kMultiline | kWordWrap, 0, ""});
    e.click(0);
    e.clipboard.setText(QString(1 << 22, u'a'));
    e.chord(kControl, 86);
    EXPECT_EQ(e.field().text().size(), swf::kMaxTypedLength);
    e.chord(kControl, 65);
    e.key(kBackspace);
    // A million characters typed, a thousand at a time.
    const std::string thousand(1000, 'b');
    for (int i = 0; i < 1000; ++i)
        e.type(thousand);
    EXPECT_EQ(e.field().text().size(), swf::kMaxTypedLength);
    EXPECT_EQ(e.field().caretIndex(), swf::kMaxTypedLength);

    // Ten thousand escaped ranges, then one refusing everything: only the
    // first rules are read, and they allow letters.
    std::string rules;
    for (int i = 0; i < 10'000; ++i)
        rules += "\\a-\\z";
    Entry hostile({0, 0, "", rules + "^a-z"});
    hostile.click(0);
    hostile.type("mM1");
    EXPECT_EQ(hostile.text(), "mm");
}
