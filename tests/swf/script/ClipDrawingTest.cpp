// Script drawing into clips, played through the Player and checked by the
// colours the rendered stage shows at chosen points.

#include <gtest/gtest.h>

#include <cstdlib>
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

// An argument: a value, or a variable read when the call is made.
struct Arg {
    PushValue value;
    bool variable = false;

    Arg(int n)
        : value(n)
    {
    }
    Arg(const char* text)
        : value(text)
    {
    }
    static Arg undefined()
    {
        Arg arg(0);
        arg.value = PushValue::undefined();
        return arg;
    }
    static Arg var(const char* name)
    {
        Arg arg(name);
        arg.variable = true;
        return arg;
    }
};

// target.method(args...), its result dropped.
ActionWriter& call(ActionWriter& w, const char* target, const char* method, const std::vector<Arg>& args = {})
{
    for (auto it = args.rbegin(); it != args.rend(); ++it) {
        w.pushValues({it->value});
        if (it->variable)
            w.op(ActionCode::GetVariable);
    }
    return w.push(int(args.size()), target).op(ActionCode::GetVariable).push(method).op(ActionCode::CallMethod).op(ActionCode::Pop);
}

// name = [values...]
ActionWriter& array(ActionWriter& w, const char* name, const std::vector<int>& values)
{
    w.push(name);
    for (auto it = values.rbegin(); it != values.rend(); ++it)
        w.push(*it);
    return w.push(int(values.size())).op(ActionCode::InitArray).op(ActionCode::SetVariable);
}

// box = a gradient box over the 100x100 stage
ActionWriter& box(ActionWriter& w)
{
    return w.push("box", "matrixType", "box", "x", 0, "y", 0, "w", 100, "h", 100, "r", 0, 6)
        .op(ActionCode::InitObject)
        .op(ActionCode::SetVariable);
}

// A square from (x0, y0) to (x1, y1) in `target`, in the fill begun before.
ActionWriter& outline(ActionWriter& w, const char* target, int x0, int y0, int x1, int y1)
{
    call(w, target, "moveTo", {x0, y0});
    call(w, target, "lineTo", {x1, y0});
    call(w, target, "lineTo", {x1, y1});
    call(w, target, "lineTo", {x0, y1});
    return call(w, target, "endFill");
}

// The same square, begun with `fill`.
ActionWriter& square(ActionWriter& w, const char* target, const std::vector<Arg>& fill, int x0, int y0, int x1, int y1)
{
    call(w, target, "beginFill", fill);
    return outline(w, target, x0, y0, x1, y1);
}

// A 100x100 white stage whose first frame runs `script`.
std::vector<std::uint8_t> movieOf(const ActionWriter& script)
{
    swftest::SwfWriter writer;
    writer.setVersion(8).setFrameSize(100, 100).setFrameRate(12).setFrameCount(1).setBackground({255, 255, 255});
    const std::vector<std::uint8_t> body = script.build();
    writer.tag(std::uint16_t(swf::TagCode::DoAction), body).showFrame();
    return writer.end().build();
}

struct Probe {
    int x;
    int y;
    QRgb colour;
};

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kGreen = qRgb(0, 255, 0);
constexpr QRgb kBlue = qRgb(0, 0, 255);

bool near(QRgb a, QRgb b)
{
    constexpr int kTolerance = 24;
    return std::abs(qRed(a) - qRed(b)) <= kTolerance && std::abs(qGreen(a) - qGreen(b)) <= kTolerance
        && std::abs(qBlue(a) - qBlue(b)) <= kTolerance;
}

} // namespace

TEST(ClipDrawing, DrawnShapesShowWhereTheyWereDrawn)
{
    ActionWriter fill;
    square(fill, "_root", {0xFF0000}, 10, 10, 90, 90);

    ActionWriter triangle; // two sides drawn, endFill closes the third
    call(triangle, "_root", "beginFill", {0x00FF00});
    call(triangle, "_root", "moveTo", {10, 10});
    call(triangle, "_root", "lineTo", {90, 10});
    call(triangle, "_root", "lineTo", {10, 90});
    call(triangle, "_root", "endFill");

    ActionWriter line;
    call(line, "_root", "lineStyle", {10, 0x0000FF});
    call(line, "_root", "moveTo", {10, 50});
    call(line, "_root", "lineTo", {90, 50});

    ActionWriter curve; // bulging down through (50, 70)
    call(curve, "_root", "lineStyle", {6, 0x0000FF, 100, 0, "normal", "none"});
    call(curve, "_root", "moveTo", {10, 50});
    call(curve, "_root", "curveTo", {50, 90, 90, 50});

    ActionWriter cleared;
    square(cleared, "_root", {0xFF0000}, 10, 10, 90, 90);
    call(cleared, "_root", "clear");

    ActionWriter fillOverLine; // a fill begun later covers the line before it
    call(fillOverLine, "_root", "lineStyle", {20, 0x0000FF});
    call(fillOverLine, "_root", "moveTo", {0, 50});
    call(fillOverLine, "_root", "lineTo", {100, 50});
    call(fillOverLine, "_root", "lineStyle");
    square(fillOverLine, "_root", {0xFF0000}, 30, 30, 70, 70);

    ActionWriter children; // the root's drawing lies under a made clip's
    square(children, "_root", {0xFF0000}, 0, 0, 100, 100);
    call(children, "_root", "createEmptyMovieClip", {"c", 1});
    square(children, "c", {0x00FF00}, 40, 40, 60, 60);

    ActionWriter duplicated; // the copy starts with the original's drawing
    call(duplicated, "_root", "createEmptyMovieClip", {"c", 1});
    square(duplicated, "c", {0xFF0000}, 0, 0, 20, 20);
    call(duplicated, "c", "duplicateMovieClip", {"d", 2});
    duplicated.push("d").op(ActionCode::GetVariable).push("_x", 50).op(ActionCode::SetMember);

    ActionWriter undefinedColours; // fill nothing, as in the reference player
    square(undefinedColours, "_root", {Arg::undefined()}, 10, 10, 50, 50);
    square(undefinedColours, "_root", {0xFF0000, Arg::undefined()}, 50, 50, 90, 90);

    ActionWriter gradient; // red at the left of its box, blue at the right
    array(gradient, "colors", {0xFF0000, 0x0000FF});
    array(gradient, "alphas", {100, 100});
    array(gradient, "ratios", {0, 255});
    box(gradient);
    call(gradient, "_root", "beginGradientFill",
         {"linear", Arg::var("colors"), Arg::var("alphas"), Arg::var("ratios"), Arg::var("box")});
    outline(gradient, "_root", 0, 0, 100, 100);

    ActionWriter missingRatios; // each ratio missing repeats its stop's alpha: a hard edge at 100
    array(missingRatios, "colors", {0xFF0000, 0x0000FF});
    array(missingRatios, "alphas", {100, 100});
    missingRatios.push("ratios", "length", 2, 1).op(ActionCode::InitObject).op(ActionCode::SetVariable);
    box(missingRatios);
    call(missingRatios, "_root", "beginGradientFill",
         {"linear", Arg::var("colors"), Arg::var("alphas"), Arg::var("ratios"), Arg::var("box")});
    outline(missingRatios, "_root", 0, 0, 100, 100);

    ActionWriter gradientWithoutMatrix; // no box to put it in: fills nothing
    array(gradientWithoutMatrix, "colors", {0xFF0000, 0x0000FF});
    array(gradientWithoutMatrix, "alphas", {100, 100});
    array(gradientWithoutMatrix, "ratios", {0, 255});
    call(gradientWithoutMatrix, "_root", "beginGradientFill", {"linear", Arg::var("colors"), Arg::var("alphas"), Arg::var("ratios")});
    outline(gradientWithoutMatrix, "_root", 0, 0, 100, 100);

    struct Case {
        const char* name;
        const ActionWriter& script;
        std::vector<Probe> probes;
    };
    const Case cases[] {
        {"fill", fill, {{50, 50, kRed}, {5, 5, kWhite}, {95, 50, kWhite}}},
        {"endFill closes the outline", triangle, {{25, 25, kGreen}, {80, 80, kWhite}}},
        {"line", line, {{50, 50, kBlue}, {50, 40, kWhite}}},
        {"curve", curve, {{50, 70, kBlue}, {50, 55, kWhite}, {50, 85, kWhite}}},
        {"clear", cleared, {{50, 50, kWhite}}},
        {"later fill over earlier line", fillOverLine, {{50, 50, kRed}, {10, 50, kBlue}}},
        {"drawing under children", children, {{50, 50, kGreen}, {20, 20, kRed}}},
        {"duplicate", duplicated, {{10, 10, kRed}, {60, 10, kRed}, {30, 10, kWhite}}},
        {"undefined colour or alpha", undefinedColours, {{30, 30, kWhite}, {70, 70, kWhite}}},
        {"gradient", gradient, {{2, 50, kRed}, {97, 50, kBlue}, {50, 50, qRgb(128, 0, 128)}}},
        {"ratios missing", missingRatios, {{30, 50, kRed}, {45, 50, kBlue}}},
        {"gradient without a matrix", gradientWithoutMatrix, {{50, 50, kWhite}}},
    };
    for (const Case& c : cases) {
        swf::Player player;
        player.open();
        player.feed(movieOf(c.script));
        player.finish();
        QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
        swf::render(player, image);
        for (const Probe& probe : c.probes) {
            const QRgb seen = image.pixel(probe.x, probe.y);
            EXPECT_TRUE(near(seen, probe.colour)) << c.name << " at " << probe.x << "," << probe.y << ": " << std::hex << seen;
        }
    }
}

// A drawn line's bounds take its whole width on every side, as the
// reference player's do; a fill's are its outline's.
TEST(ClipDrawing, BoundsOfDrawnLinesTakeTheirWholeWidth)
{
    const struct {
        const char* name;
        int width; // of the line, or -1 for a fill
        const char* traced;
    } cases[] {
        {"fill", -1, "0 100 100"},
        {"hairline", 0, "0 100 100"},
        {"4 pixels", 4, "-4 108 108"},
        {"10 pixels", 10, "-10 120 120"},
    };
    for (const auto& c : cases) {
        ActionWriter w;
        call(w, "_root", "createEmptyMovieClip", {"c", 1});
        if (c.width >= 0)
            call(w, "c", "lineStyle", {c.width, 0});
        else
            call(w, "c", "beginFill", {0});
        outline(w, "c", 0, 0, 100, 100);
        // trace(c.getBounds().xMin + " " + c._width + " " + c._height)
        w.push(0, "c").op(ActionCode::GetVariable).push("getBounds").op(ActionCode::CallMethod).push("xMin").op(ActionCode::GetMember);
        w.push(" ").op(ActionCode::Add2).push("c").op(ActionCode::GetVariable).push("_width").op(ActionCode::GetMember).op(ActionCode::Add2);
        w.push(" ").op(ActionCode::Add2).push("c").op(ActionCode::GetVariable).push("_height").op(ActionCode::GetMember).op(ActionCode::Add2);
        w.op(ActionCode::Trace);
        std::string traced;
        swf::Player player;
        player.setTraceOutput([&](std::string_view line) { traced.append(line); });
        player.open();
        player.feed(movieOf(w));
        player.finish();
        EXPECT_EQ(traced, c.traced) << c.name;
    }
}
