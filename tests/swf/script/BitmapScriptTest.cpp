// flash.filters, BitmapData, attachBitmap, beginBitmapFill and
// MovieClip.filters played through the Player. Script values are checked
// against the classes' documented defaults and ranges; pixels against
// what the script put there.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "support/ActionWriter.h"
#include "support/SwfWriter.h"
#include "swf/Player.h"
#include "swf/Renderer.h"
#include "swf/read/TagCode.h"

namespace {

using swftest::ActionCode;
using swftest::ActionWriter;
using swftest::PushValue;
using A = ActionCode;

// A small expression tree written out as a compiler would.
struct Expr {
    enum class Kind { Number, Text, Variable, New, Call, Array, Member };
    Kind kind = Kind::Number;
    double number = 0;
    std::string text; // text, variable, dotted class, method or member name
    std::vector<Expr> args;
    std::shared_ptr<Expr> target;
};

Expr num(double n)
{
    return {Expr::Kind::Number, n, {}, {}, {}};
}
Expr str(const char* s)
{
    return {Expr::Kind::Text, 0, s, {}, {}};
}
Expr var(const char* name)
{
    return {Expr::Kind::Variable, 0, name, {}, {}};
}
Expr make(const char* dottedClass, std::vector<Expr> args = {})
{
    return {Expr::Kind::New, 0, dottedClass, std::move(args), {}};
}
Expr call(Expr target, const char* method, std::vector<Expr> args = {})
{
    return {Expr::Kind::Call, 0, method, std::move(args), std::make_shared<Expr>(std::move(target))};
}
Expr array(std::vector<Expr> elements)
{
    return {Expr::Kind::Array, 0, {}, std::move(elements), {}};
}
Expr member(Expr target, const char* name)
{
    return {Expr::Kind::Member, 0, name, {}, std::make_shared<Expr>(std::move(target))};
}

void write(ActionWriter& w, const Expr& e);

void writeArgs(ActionWriter& w, const std::vector<Expr>& args)
{
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        write(w, *it);
    w.push(int(args.size()));
}

void write(ActionWriter& w, const Expr& e)
{
    switch (e.kind) {
    case Expr::Kind::Number: w.pushValues({PushValue(e.number)}); break;
    case Expr::Kind::Text: w.push(e.text); break;
    case Expr::Kind::Variable: w.push(e.text).op(A::GetVariable); break;
    case Expr::Kind::Array:
        writeArgs(w, e.args);
        w.op(A::InitArray);
        break;
    case Expr::Kind::Member:
        write(w, *e.target);
        w.push(e.text).op(A::GetMember);
        break;
    case Expr::Kind::Call:
        writeArgs(w, e.args);
        write(w, *e.target);
        w.push(e.text).op(A::CallMethod);
        break;
    case Expr::Kind::New: {
        writeArgs(w, e.args);
        const std::string path = e.text;
        const std::size_t last = path.rfind('.');
        std::size_t start = 0;
        std::size_t dot = path.find('.');
        w.push(path.substr(0, dot)).op(A::GetVariable);
        while (dot < last) {
            start = dot + 1;
            dot = path.find('.', start);
            w.push(path.substr(start, dot - start)).op(A::GetMember);
        }
        w.push(path.substr(last + 1)).op(A::NewMethod);
        break;
    }
    }
}

struct Statement {
    enum class Kind { Let, Trace, Do, SetMember };
    Kind kind;
    const char* name;
    Expr value;
    Expr target = num(0);
};

Statement let(const char* name, Expr value)
{
    return {Statement::Kind::Let, name, std::move(value)};
}
Statement show(Expr value)
{
    return {Statement::Kind::Trace, "", std::move(value)};
}
Statement run(Expr value)
{
    return {Statement::Kind::Do, "", std::move(value)};
}
Statement assign(Expr target, const char* name, Expr value)
{
    return {Statement::Kind::SetMember, name, std::move(value), std::move(target)};
}

ActionWriter script(const std::vector<Statement>& statements)
{
    ActionWriter w;
    for (const Statement& s : statements) {
        switch (s.kind) {
        case Statement::Kind::Let:
            w.push(s.name);
            write(w, s.value);
            w.op(A::SetVariable);
            break;
        case Statement::Kind::Trace:
            write(w, s.value);
            w.op(A::Trace);
            break;
        case Statement::Kind::Do:
            write(w, s.value);
            w.op(A::Pop);
            break;
        case Statement::Kind::SetMember:
            write(w, s.target);
            w.push(s.name);
            write(w, s.value);
            w.op(A::SetMember);
            break;
        }
    }
    return w;
}

std::vector<std::uint8_t> movieOf(const std::vector<ActionWriter>& frames)
{
    swftest::SwfWriter writer;
    writer.setVersion(8).setFrameSize(100, 100).setFrameRate(12).setFrameCount(std::uint16_t(frames.size()));
    for (const ActionWriter& frame : frames)
        writer.tag(std::uint16_t(swf::TagCode::DoAction), frame.build()).showFrame();
    return writer.end().build();
}

struct Played {
    std::string trace;
    swf::Player player;
};

void play(Played& run, const std::vector<ActionWriter>& frames)
{
    run.player.setTraceOutput([&](std::string_view line) { run.trace.append(line).append("\n"); });
    run.player.open();
    run.player.feed(movieOf(frames));
    run.player.finish();
}

std::string traceOf(const std::vector<Statement>& statements)
{
    Played run;
    play(run, {script(statements)});
    return run.trace;
}

constexpr const char* kBlur = "flash.filters.BlurFilter";

TEST(FilterClasses, ConstructorsDefaultAndClampAsDocumented)
{
    struct Case {
        Expr filter;
        const char* property;
        const char* traced;
    };
    const Case cases[] {
        {make(kBlur), "blurX", "4"},
        {make(kBlur, {num(300), num(-2)}), "blurX", "255"},
        {make(kBlur, {num(300), num(-2)}), "blurY", "0"},
        {make(kBlur, {num(1), num(1), num(40)}), "quality", "15"},
        {make("flash.filters.DropShadowFilter"), "angle", "45"},
        {make("flash.filters.DropShadowFilter", {num(4), num(45), num(0x1FF0000)}), "color", "16711680"},
        {make("flash.filters.DropShadowFilter", {num(4), num(45), num(0), num(7)}), "alpha", "1"},
        {make("flash.filters.GlowFilter"), "color", "16711680"},
        {make("flash.filters.GlowFilter"), "strength", "2"},
        {make("flash.filters.BevelFilter"), "highlightColor", "16777215"},
        {make("flash.filters.BevelFilter"), "type", "inner"},
        {make("flash.filters.GradientBevelFilter", {num(4), num(45), array({num(1), num(2)}), array({num(3), num(0.5)})}), "alphas",
         "1,0.5"},
        {make("flash.filters.ColorMatrixFilter"), "matrix", "1,0,0,0,0,0,1,0,0,0,0,0,1,0,0,0,0,0,1,0"},
        {make("flash.filters.ConvolutionFilter", {num(2), num(2), array({num(1), num(2), num(3), num(4), num(5)})}), "matrix",
         "1,2,3,4"},
        {make("flash.filters.ConvolutionFilter", {num(1), num(3), array({num(9)})}), "matrix", "9,0,0"},
        {make("flash.filters.ConvolutionFilter", {num(99)}), "matrixX", "15"},
        {make("flash.filters.ConvolutionFilter"), "preserveAlpha", "true"},
        {make("flash.filters.DisplacementMapFilter", {num(0), num(0), num(1), num(2), num(1e6), num(0), str("bogus")}), "mode",
         "wrap"},
        {make("flash.filters.DisplacementMapFilter", {num(0), num(0), num(1), num(2), num(1e6)}), "scaleX", "65535"},
    };
    for (const Case& c : cases) {
        const std::string traced = traceOf({let("f", c.filter), show(member(var("f"), c.property)),
                                            show(member(call(var("f"), "clone"), c.property))});
        EXPECT_EQ(traced, std::string(c.traced) + "\n" + c.traced + "\n") << c.filter.text << "." << c.property;
    }
}

TEST(FilterClasses, SettersConvertAndGettersHandOutCopies)
{
    EXPECT_EQ(traceOf({let("f", make(kBlur)), assign(var("f"), "blurX", str("12")), show(member(var("f"), "blurX")),
                       assign(var("f"), "quality", num(-3)), show(member(var("f"), "quality"))}),
              "12\n0\n");
    // Changing the array a getter gave leaves the filter's own alone.
    EXPECT_EQ(traceOf({let("f", make("flash.filters.ColorMatrixFilter")), let("m", member(var("f"), "matrix")),
                       assign(var("m"), "0", num(5)), show(call(member(var("f"), "matrix"), "shift"))}),
              "1\n");
}

TEST(FilterClasses, ClipFiltersAreCopiedInAndOut)
{
    EXPECT_EQ(traceOf({let("f", make(kBlur, {num(8), num(2)})), assign(var("_root"), "filters", array({var("f"), num(3)})),
                       assign(var("f"), "blurX", num(1)), let("back", member(var("_root"), "filters")),
                       show(member(var("back"), "length")), show(member(member(var("back"), "0"), "blurX")),
                       show(member(call(member(var("back"), "0"), "clone"), "blurY")),
                       assign(var("_root"), "filters", array({})), show(member(member(var("_root"), "filters"), "length"))}),
              "1\n8\n2\n0\n");
}

constexpr const char* kBitmap = "flash.display.BitmapData";

TEST(BitmapData, MethodsChangePixelsAsDocumented)
{
    struct Case {
        const char* name;
        std::vector<Statement> statements;
        const char* traced;
    };
    const auto b = [] { return var("b"); };
    const auto rect = [](double x, double y, double w, double h) { return make("flash.geom.Rectangle", {num(x), num(y), num(w), num(h)}); };
    const auto point = [](double x, double y) { return make("flash.geom.Point", {num(x), num(y)}); };
    const Case cases[] {
        {"sizes", {let("b", make(kBitmap, {num(2880), num(1)})), show(member(b(), "width")),
                   let("b", make(kBitmap, {num(2881), num(1)})), show(member(b(), "width")), show(member(b(), "rectangle")),
                   let("b", make(kBitmap, {num(0), num(5)})), show(member(b(), "height"))},
         "2880\n-1\n-1\n-1\n"},
        {"opaque bitmaps keep alpha",
         {let("b", make(kBitmap, {num(4), num(4), num(0), num(0x00FF0000)})), show(call(b(), "getPixel32", {num(0), num(0)})),
          run(call(b(), "setPixel32", {num(1), num(1), num(0x10203040)})), show(call(b(), "getPixel32", {num(1), num(1)}))},
         "4294901760\n4280299584\n"},
        {"outside reads zero", {let("b", make(kBitmap, {num(4), num(4)})), show(call(b(), "getPixel", {num(4), num(0)}))}, "0\n"},
        {"setPixel keeps alpha",
         {let("b", make(kBitmap, {num(2), num(2), num(1), num(0x80000000)})), run(call(b(), "setPixel", {num(0), num(0), num(0xFF)})),
          show(call(b(), "getPixel32", {num(0), num(0)}))},
         "2147483903\n"},
        {"fillRect is cut to the bitmap",
         {let("b", make(kBitmap, {num(4), num(4), num(0), num(0)})), run(call(b(), "fillRect", {rect(2, 2, 1e9, 1e9), num(0xFF)})),
          show(call(b(), "getPixel", {num(3), num(3)})), show(call(b(), "getPixel", {num(1), num(1)}))},
         "255\n0\n"},
        {"copyPixels onto itself",
         {let("b", make(kBitmap, {num(4), num(1), num(0), num(0)})), run(call(b(), "setPixel", {num(0), num(0), num(7)})),
          run(call(b(), "copyPixels", {b(), rect(0, 0, 3, 1), point(1, 0)})), show(call(b(), "getPixel", {num(1), num(0)})),
          show(call(b(), "getPixel", {num(2), num(0)}))},
         "7\n0\n"},
        {"copyPixels shows a half-clear pixel over an opaque bitmap, and hands it as it is to a clear one",
         {let("s", make(kBitmap, {num(1), num(1), num(1), num(0x80FF0000)})),
          let("b", make(kBitmap, {num(1), num(1), num(0), num(0x0000FF)})), run(call(b(), "copyPixels", {var("s"), rect(0, 0, 1, 1), point(0, 0)})),
          show(call(b(), "getPixel32", {num(0), num(0)})), let("b", make(kBitmap, {num(1), num(1), num(1), num(0xFF0000FF)})),
          run(call(b(), "copyPixels", {var("s"), rect(0, 0, 1, 1), point(0, 0)})), show(call(b(), "getPixel32", {num(0), num(0)}))},
         "4286578815\n2164195328\n"},
        {"draw's colour offsets leave clear pixels clear",
         {let("s", make(kBitmap, {num(2), num(1), num(1), num(0)})), run(call(var("s"), "setPixel32", {num(1), num(0), num(0xFF0000FF)})),
          let("b", make(kBitmap, {num(2), num(1), num(0), num(0xFFFFFF)})),
          run(call(b(), "draw", {var("s"), make("flash.geom.Matrix"),
                                 make("flash.geom.ColorTransform", {num(1), num(1), num(1), num(1), num(0), num(255), num(0), num(255)})})),
          show(call(b(), "getPixel", {num(0), num(0)})), show(call(b(), "getPixel", {num(1), num(0)}))},
         "16777215\n65535\n"},
        {"floodFill stops at other colours",
         {let("b", make(kBitmap, {num(5), num(5), num(0), num(0)})), run(call(b(), "fillRect", {rect(2, 0, 1, 5), num(9)})),
          run(call(b(), "floodFill", {num(0), num(0), num(0xFF)})),
          show(call(b(), "getColorBoundsRect", {num(0xFFFFFF), num(0xFF)}))},
         "(x=0, y=0, w=2, h=5)\n"},
        {"threshold counts what it changed",
         {let("b", make(kBitmap, {num(3), num(3), num(0), num(0x10)})), run(call(b(), "setPixel", {num(0), num(0), num(0x80)})),
          show(call(b(), "threshold", {b(), rect(0, 0, 3, 3), point(0, 0), str(">"), num(0xFF000040), num(0xFF00FF00)})),
          show(call(b(), "getPixel", {num(0), num(0)}))},
         "1\n65280\n"},
        {"scroll moves and leaves the rest",
         {let("b", make(kBitmap, {num(3), num(1), num(0), num(0)})), run(call(b(), "setPixel", {num(0), num(0), num(5)})),
          run(call(b(), "scroll", {num(1), num(0)})), show(call(b(), "getPixel", {num(1), num(0)})),
          show(call(b(), "getPixel", {num(0), num(0)})), run(call(b(), "scroll", {num(-1e12), num(1e12)}))},
         "5\n5\n"},
        {"compare", {let("b", make(kBitmap, {num(2), num(2), num(0), num(0)})), let("c", call(b(), "clone")),
                     show(call(b(), "compare", {var("c")})), show(call(b(), "compare", {make(kBitmap, {num(3), num(2)})})),
                     run(call(var("c"), "setPixel", {num(1), num(1), num(0x010203)})),
                     show(call(call(b(), "compare", {var("c")}), "getPixel32", {num(1), num(1)}))},
         "0\n-3\n4294967037\n"},
        {"merge weighs both",
         {let("b", make(kBitmap, {num(1), num(1), num(0), num(0)})), let("c", make(kBitmap, {num(1), num(1), num(0), num(0xC8C8C8)})),
          run(call(b(), "merge", {var("c"), rect(0, 0, 1, 1), point(0, 0), num(128), num(0), num(256), num(0)})),
          show(call(b(), "getPixel", {num(0), num(0)}))},
         "6553800\n"},
        {"paletteMap sums the tables",
         {let("b", make(kBitmap, {num(1), num(1), num(0), num(0x010203)})),
          run(call(b(), "paletteMap", {b(), rect(0, 0, 1, 1), point(0, 0), array({num(0), num(0x100)})})),
          show(call(b(), "getPixel", {num(0), num(0)}))},
         "771\n"},
        {"colorTransform", {let("b", make(kBitmap, {num(1), num(1), num(0), num(0x102030)})),
                            run(call(b(), "colorTransform", {rect(0, 0, 1, 1), make("flash.geom.ColorTransform", {num(2), num(1), num(0), num(1), num(0), num(0), num(5), num(0)})})),
                            show(call(b(), "getPixel", {num(0), num(0)}))},
         "2105349\n"},
        {"noise repeats for a seed",
         {let("b", make(kBitmap, {num(8), num(8)})), let("c", make(kBitmap, {num(8), num(8)})), run(call(b(), "noise", {num(42)})),
          run(call(var("c"), "noise", {num(42)})), show(call(b(), "compare", {var("c")}))},
         "0\n"},
        {"hitTest against a point and a rectangle",
         {let("b", make(kBitmap, {num(4), num(4), num(1), num(0)})), run(call(b(), "setPixel32", {num(1), num(1), num(0xFF000000)})),
          show(call(b(), "hitTest", {point(10, 10), num(255), point(11, 11)})),
          show(call(b(), "hitTest", {point(0, 0), num(255), point(0, 0)})),
          show(call(b(), "hitTest", {point(0, 0), num(1), rect(1, 1, 2, 2)}))},
         "true\nfalse\ntrue\n"},
        {"hostile arguments are cut to the canvas",
         {let("b", make(kBitmap, {num(std::nan("")), num(5)})), show(member(b(), "width")),
          let("b", make(kBitmap, {num(3), num(3), num(0), num(0)})), run(call(b(), "floodFill", {num(std::nan("")), num(1e300), num(5)})),
          run(call(b(), "scroll", {num(1e300), num(-1e300)})),
          run(call(b(), "fillRect", {rect(std::nan(""), std::nan(""), 1e300, 1e300), num(0xFF)})),
          run(call(b(), "perlinNoise", {num(1e-300), num(std::nan("")), num(1e9), num(7)})),
          run(call(b(), "copyPixels", {b(), rect(-1e300, -1e300, 1e300, 1e300), point(1e300, 0)})),
          show(member(b(), "height"))},
         "-1\n3\n"},
        {"disposed", {let("b", make(kBitmap, {num(4), num(4)})), run(call(b(), "dispose")), show(member(b(), "width")),
                      show(call(b(), "getPixel", {num(0), num(0)})), run(call(b(), "fillRect", {rect(0, 0, 1, 1), num(0)})),
                      run(call(var("_root"), "attachBitmap", {b(), num(1)})), show(call(b(), "clone"))},
         "-1\n-1\nundefined\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(traceOf(c.statements), c.traced) << c.name;
}

bool near(QRgb seen, QRgb expected)
{
    return std::abs(qRed(seen) - qRed(expected)) < 8 && std::abs(qGreen(seen) - qGreen(expected)) < 8
        && std::abs(qBlue(seen) - qBlue(expected)) < 8;
}

QImage drawn(const swf::Player& player)
{
    QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
    swf::render(player, image);
    return image;
}

// What shows: an attached bitmap follows its pixels, a drawn clip lands in
// a bitmap, and a bitmap fill paints with its pixels.
TEST(BitmapData, StageShowsBitmapsAsTheyChange)
{
    const auto b = [] { return var("b"); };
    const auto rect = [](double x, double y, double w, double h) { return make("flash.geom.Rectangle", {num(x), num(y), num(w), num(h)}); };
    Played played;
    play(played, {script({let("b", make(kBitmap, {num(20), num(20), num(0), num(0xFF0000)})),
                       run(call(var("_root"), "attachBitmap", {b(), num(5)})),
                       // A clip with a blue square, drawn into a second bitmap at 40,0.
                       let("c", call(var("_root"), "createEmptyMovieClip", {str("c"), num(1)})),
                       run(call(var("c"), "beginFill", {num(0xFF)})), run(call(var("c"), "moveTo", {num(0), num(0)})),
                       run(call(var("c"), "lineTo", {num(10), num(0)})), run(call(var("c"), "lineTo", {num(10), num(10)})),
                       run(call(var("c"), "lineTo", {num(0), num(10)})), run(call(var("c"), "endFill")),
                       assign(var("c"), "_visible", num(0)),
                       let("d", make(kBitmap, {num(20), num(20), num(0), num(0xFFFFFF)})), run(call(var("d"), "draw", {var("c")})),
                       let("h", call(var("_root"), "createEmptyMovieClip", {str("h"), num(2)})), assign(var("h"), "_x", num(40)),
                       run(call(var("h"), "attachBitmap", {var("d"), num(1)})),
                       // A square at 0,50 filled with the red bitmap.
                       let("f", call(var("_root"), "createEmptyMovieClip", {str("f"), num(3)})),
                       run(call(var("f"), "beginBitmapFill", {b()})), run(call(var("f"), "moveTo", {num(0), num(50)})),
                       run(call(var("f"), "lineTo", {num(30), num(50)})), run(call(var("f"), "lineTo", {num(30), num(80)})),
                       run(call(var("f"), "lineTo", {num(0), num(80)})), run(call(var("f"), "endFill"))}),
               script({run(call(b(), "fillRect", {rect(0, 0, 5, 5), num(0xFF00)}))})});
    QImage image = drawn(played.player);
    EXPECT_TRUE(near(image.pixel(2, 2), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(image.pixel(25, 25), qRgb(255, 255, 255)));
    EXPECT_TRUE(near(image.pixel(45, 5), qRgb(0, 0, 255)));
    EXPECT_TRUE(near(image.pixel(55, 15), qRgb(255, 255, 255)));
    EXPECT_TRUE(near(image.pixel(25, 75), qRgb(255, 0, 0)));
    // The next frame changes the pixels: the stage shows the change.
    played.player.advance();
    image = drawn(played.player);
    EXPECT_TRUE(near(image.pixel(2, 2), qRgb(0, 255, 0)));
    EXPECT_TRUE(near(image.pixel(8, 8), qRgb(255, 0, 0)));
}

// A clip drawn into a bitmap is cut by its own mask, as on the stage.
TEST(BitmapData, DrawnClipKeepsItsMask)
{
    std::vector<Statement> statements;
    const auto square = [&](const char* name, int depth, double colour, double size) {
        statements.push_back(let(name, call(var("_root"), "createEmptyMovieClip", {str(name), num(depth)})));
        statements.push_back(run(call(var(name), "beginFill", {num(colour)})));
        for (const auto& [x, y] : {std::pair {0.0, 0.0}, {size, 0.0}, {size, size}, {0.0, size}})
            statements.push_back(run(call(var(name), x == 0 && y == 0 ? "moveTo" : "lineTo", {num(x), num(y)})));
        statements.push_back(run(call(var(name), "endFill")));
    };
    square("c", 1, 0xFF, 10);
    square("m", 2, 0xFF00, 5);
    statements.push_back(run(call(var("c"), "setMask", {var("m")})));
    statements.push_back(let("d", make(kBitmap, {num(20), num(20), num(0), num(0xFFFFFF)})));
    statements.push_back(run(call(var("d"), "draw", {var("c")})));
    // The mask itself draws nothing, as it shows nothing on the stage.
    statements.push_back(run(call(var("d"), "draw", {var("m")})));
    statements.push_back(let("h", call(var("_root"), "createEmptyMovieClip", {str("h"), num(3)})));
    statements.push_back(assign(var("h"), "_x", num(40)));
    statements.push_back(run(call(var("h"), "attachBitmap", {var("d"), num(1)})));
    Played played;
    play(played, {script(statements)});
    const QImage image = drawn(played.player);
    EXPECT_TRUE(near(image.pixel(42, 2), qRgb(0, 0, 255)));
    EXPECT_TRUE(near(image.pixel(48, 8), qRgb(255, 255, 255)));
}

} // namespace
