// BitmapData.draw at full tilt: a movie whose every frame draws an 800x600
// clip (a background and 200 filled curves) into an 800x600 bitmap shown
// on stage, advanced and rendered frame after frame. The figure is frames
// a second, printed beside the movie's own rate of 24 that it must beat,
// counted by the process's CPU time (steadier than the wall clock on a
// shared machine; the wall clock's figure is printed too). Beside it, the
// same clip shown on stage without a bitmap, measured in the same run:
// what the draw costs over drawing the clip at all. The shown pixels are
// counted so that a draw of nothing cannot pass.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

#include <QImage>

#include "support/ActionWriter.h"
#include "support/SwfWriter.h"
#include "swf/Player.h"
#include "swf/Renderer.h"
#include "swf/read/TagCode.h"

namespace {

using swftest::ActionCode;
using swftest::ActionWriter;
using swftest::PushValue;

constexpr int kShapes = 200;
constexpr double kMovieRate = 24;
constexpr int kWarmUp = 5;
constexpr int kFrames = 120;
constexpr std::uint16_t kSuppressAll = 0x2 | 0x8 | 0x20;

void call(ActionWriter& w, const char* target, const char* method, int count, bool keep = false)
{
    w.push(count, target).op(ActionCode::GetVariable).push(method).op(ActionCode::CallMethod);
    if (!keep)
        w.op(ActionCode::Pop);
}

// c = createEmptyMovieClip("c", 1); c.beginFill(0xE0E0F0); (a rectangle
// 800x600); for (i = 0; i < 200; i++) { x = i * 37 % 740; y = i * 23 % 540;
// c.beginFill(i * 997 % 0xFFFFFF, 60); c.moveTo(x, y);
// c.curveTo(x + 60, y, x + 60, y + 60); c.lineTo(x, y + 60); c.endFill(); }
// and, drawn into a bitmap: c._visible = false;
// b = new BitmapData(800, 600, false, 0xFFFFFF);
// createEmptyMovieClip("h", 2).attachBitmap(b, 1);
// onEnterFrame = function () { b.draw(c); }
std::vector<std::uint8_t> clipMovie(bool intoBitmap)
{
    const PushValue i = PushValue::reg(1);
    ActionWriter setup;
    setup.push("c", 1, "c", 2, "_root").op(ActionCode::GetVariable).push("createEmptyMovieClip").op(ActionCode::CallMethod)
        .op(ActionCode::SetVariable);
    setup.push(0xE0E0F0);
    call(setup, "c", "beginFill", 1);
    const auto corner = [&](double x, double y, const char* method) {
        setup.push(y, x);
        call(setup, "c", method, 2);
    };
    corner(0, 0, "moveTo");
    corner(800, 0, "lineTo");
    corner(800, 600, "lineTo");
    corner(0, 600, "lineTo");
    call(setup, "c", "endFill", 0);
    setup.push(0).storeRegister(1).op(ActionCode::Pop);
    setup.label("test").pushValues({i, kShapes}).op(ActionCode::Less2).op(ActionCode::Not).branchIf("done");
    setup.push(60).pushValues({i, 997}).op(ActionCode::Multiply).push(0xFFFFFF).op(ActionCode::Modulo);
    call(setup, "c", "beginFill", 2);
    // x and y in registers 2 and 3.
    setup.pushValues({i, 37}).op(ActionCode::Multiply).push(740).op(ActionCode::Modulo).storeRegister(2).op(ActionCode::Pop);
    setup.pushValues({i, 23}).op(ActionCode::Multiply).push(540).op(ActionCode::Modulo).storeRegister(3).op(ActionCode::Pop);
    const PushValue x = PushValue::reg(2);
    const PushValue y = PushValue::reg(3);
    setup.pushValues({y, x});
    call(setup, "c", "moveTo", 2);
    setup.pushValues({y, 60}).op(ActionCode::Add2).pushValues({x, 60}).op(ActionCode::Add2).pushValues({y, x, 60})
        .op(ActionCode::Add2);
    call(setup, "c", "curveTo", 4);
    setup.pushValues({y, 60}).op(ActionCode::Add2).pushValues({x});
    call(setup, "c", "lineTo", 2);
    call(setup, "c", "endFill", 0);
    setup.pushValues({i}).op(ActionCode::Increment).storeRegister(1).op(ActionCode::Pop);
    setup.jump("test");
    setup.label("done");
    if (!intoBitmap) {
        swftest::SwfWriter writer;
        writer.setVersion(8).setFrameSize(800, 600).setFrameRate(kMovieRate).setFrameCount(1).setBackground({255, 255, 255});
        writer.tag(std::uint16_t(swf::TagCode::DoAction), setup.build()).showFrame();
        return writer.end().build();
    }
    setup.push("c").op(ActionCode::GetVariable).push("_visible", false).op(ActionCode::SetMember);
    setup.push("b", 0xFFFFFF, false, 600, 800, 4, "flash").op(ActionCode::GetVariable).push("display").op(ActionCode::GetMember)
        .push("BitmapData").op(ActionCode::NewMethod).op(ActionCode::SetVariable);
    setup.push(1, "b").op(ActionCode::GetVariable).push(2);
    setup.push(2, "h", 2, "_root").op(ActionCode::GetVariable).push("createEmptyMovieClip").op(ActionCode::CallMethod);
    setup.push("attachBitmap").op(ActionCode::CallMethod).op(ActionCode::Pop);

    ActionWriter body;
    body.push("c").op(ActionCode::GetVariable);
    call(body, "b", "draw", 1);
    setup.push("_root").op(ActionCode::GetVariable).push("onEnterFrame");
    setup.defineFunction2("", 2, kSuppressAll, {}, body);
    setup.op(ActionCode::SetMember);

    swftest::SwfWriter writer;
    writer.setVersion(8).setFrameSize(800, 600).setFrameRate(kMovieRate).setFrameCount(1).setBackground({255, 255, 255});
    const std::vector<std::uint8_t> actions = setup.build();
    writer.tag(std::uint16_t(swf::TagCode::DoAction), actions).showFrame();
    return writer.end().build();
}

int inkedPixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) != qRgb(255, 255, 255);
    return count;
}

struct Figures {
    double cpuFps;
    double wallFps;
    int inked;
};

Figures measure(bool intoBitmap)
{
    swf::Player player;
    player.open();
    player.feed(clipMovie(intoBitmap));
    player.finish();
    swf::Renderer renderer;
    renderer.setThreads(1);
    QImage target(800, 600, QImage::Format_ARGB32_Premultiplied);
    for (int frame = 0; frame < kWarmUp; ++frame) {
        player.advance();
        renderer.render(player, target);
    }
    const int inked = inkedPixels(target);
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    for (int frame = 0; frame < kFrames; ++frame) {
        player.advance();
        renderer.render(player, target);
    }
    const double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return {kFrames / std::max(cpu, 1e-9), kFrames / std::max(wall, 1e-9), inked};
}

} // namespace

int main()
{
    const Figures drawn = measure(true);
    const Figures shown = measure(false);
    std::printf("BitmapData.draw of an 800x600 clip (%d filled curves) every frame, shown at 800x600: %.1f frames a second of CPU "
                "time (must beat %.0f; %.1fx), %.1f by the wall clock, %d pixels drawn; the same clip on stage without a bitmap: "
                "%.1f frames a second of CPU time\n",
                kShapes, drawn.cpuFps, kMovieRate, drawn.cpuFps / kMovieRate, drawn.wallFps, drawn.inked, shown.cpuFps);
    return drawn.cpuFps > kMovieRate && drawn.inked > 0 ? 0 : 1;
}
