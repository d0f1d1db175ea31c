// Script drawing at full tilt: a movie whose every frame clears its main
// clip and draws 1,000 curves into it again, advanced and rendered at
// 800x600 frame after frame. The figure is frames a second, printed beside
// the movie's own rate of 24 that it must beat, counted by the process's
// CPU time (the share of one core the movie takes, steadier than the wall
// clock on a shared machine; the wall clock's figure is printed too). The
// rendered pixels are counted so that a movie drawing nothing cannot pass.

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

constexpr int kCurves = 1000;
constexpr double kMovieRate = 24;
constexpr int kWarmUp = 5;
constexpr int kFrames = 120;
constexpr std::uint16_t kSuppressAll = 0x2 | 0x8 | 0x20;

// _root.onEnterFrame = function () { clear(); lineStyle(2, 0x3060C0);
// moveTo(0, 0); for (i = 0; i < 1000; i++)
// curveTo(i * 3 % 800, i * 13 % 600, i * 7 % 800, i % 600); }
std::vector<std::uint8_t> curvesMovie()
{
    const PushValue i = PushValue::reg(1);
    const auto call = [](ActionWriter& w, const char* method, int count) {
        w.push(count, "_root").op(ActionCode::GetVariable).push(method).op(ActionCode::CallMethod).op(ActionCode::Pop);
    };
    ActionWriter body;
    call(body, "clear", 0);
    body.push(0x3060C0, 2);
    call(body, "lineStyle", 2);
    body.push(0, 0);
    call(body, "moveTo", 2);
    body.push(0).storeRegister(1).op(ActionCode::Pop);
    body.label("test").pushValues({i, kCurves}).op(ActionCode::Less2).op(ActionCode::Not).branchIf("done");
    body.pushValues({i, 600}).op(ActionCode::Modulo);
    body.pushValues({i, 7}).op(ActionCode::Multiply).push(800).op(ActionCode::Modulo);
    body.pushValues({i, 13}).op(ActionCode::Multiply).push(600).op(ActionCode::Modulo);
    body.pushValues({i, 3}).op(ActionCode::Multiply).push(800).op(ActionCode::Modulo);
    call(body, "curveTo", 4);
    body.pushValues({i}).op(ActionCode::Increment).storeRegister(1).op(ActionCode::Pop);
    body.jump("test");
    body.label("done");

    ActionWriter script;
    script.push("_root").op(ActionCode::GetVariable).push("onEnterFrame");
    script.defineFunction2("", 2, kSuppressAll, {}, body);
    script.op(ActionCode::SetMember);
    swftest::SwfWriter writer;
    writer.setVersion(8).setFrameSize(800, 600).setFrameRate(kMovieRate).setFrameCount(1).setBackground({255, 255, 255});
    const std::vector<std::uint8_t> actions = script.build();
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

} // namespace

int main()
{
    swf::Player player;
    player.open();
    player.feed(curvesMovie());
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
    const double fps = kFrames / std::max(cpu, 1e-9);
    std::printf("drawing API, %d curves redrawn every frame at 800x600: %.1f frames a second of CPU time (must beat %.0f; %.1fx), "
                "%.1f by the wall clock, %d pixels drawn\n",
                kCurves, fps, kMovieRate, fps / kMovieRate, kFrames / std::max(wall, 1e-9), inked);
    return fps > kMovieRate && inked > 0 ? 0 : 1;
}
