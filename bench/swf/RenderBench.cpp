// The engine's frame cost on movies this benchmark makes itself, beside the
// real-time rate each must beat, and the time to the first frame of a big
// movie.
//
//   cartoon: 300 gradient-filled, outlined shapes moving every frame,
//            800x600 at 24 fps; goal 10x real time (240 frames a second)
//   stress:  3,000 such shapes, 1280x720 at 30 fps; goal real time (30)
//   first frame of a 10 MB movie: goal under 100 ms

#include <benchmark/benchmark.h>

#include <QImage>

#include <cmath>
#include <cstdio>

#include "support/RenderScenes.h"
#include "swf/Player.h"
#include "swf/Renderer.h"

namespace {

constexpr int kFrames = 48;

using swftest::kCartoon;
using swftest::kStress;
using swftest::Scene;

void loadWhole(swf::Player& player, const std::vector<std::uint8_t>& bytes)
{
    player.open();
    player.feed(bytes);
    player.finish();
}

// Frames are drawn on a pool thread, one thread for the frame, so the cost
// counted is the CPU time of the whole process: the share of one core a
// movie takes, steadier than the wall clock on a shared machine. The "Time"
// column still shows the wall clock. bench_drawing measures every core.
void runFrames(benchmark::State& state, const Scene& movie)
{
    const auto bytes = swftest::sceneMovie(movie, kFrames);
    swf::Player player;
    loadWhole(player, bytes);
    QImage target(movie.width, movie.height, QImage::Format_ARGB32_Premultiplied);
    swf::Renderer renderer;
    renderer.setThreads(1);
    for (auto _ : state) {
        player.advance();
        renderer.render(player, target);
        benchmark::DoNotOptimize(target.constBits());
    }
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Cartoon(benchmark::State& state)
{
    runFrames(state, kCartoon);
    state.counters["goal_fps"] = kCartoon.fps * 10;
}
BENCHMARK(BM_Cartoon)->Unit(benchmark::kMillisecond)->MinTime(2.0)->MeasureProcessCPUTime();

void BM_Stress(benchmark::State& state)
{
    runFrames(state, kStress);
    state.counters["goal_fps"] = kStress.fps;
}
BENCHMARK(BM_Stress)->Unit(benchmark::kMillisecond)->MinTime(2.0)->MeasureProcessCPUTime();

// From the first byte to the first frame on screen, with the movie fed in
// the pieces a file read delivers.
void BM_FirstFrameOf10MB(benchmark::State& state)
{
    const auto bytes = swftest::sceneMovie(kCartoon, 2, 10 * 1024 * 1024);
    constexpr std::size_t kChunk = 256 * 1024;
    QImage target(kCartoon.width, kCartoon.height, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        swf::Player player;
        player.open();
        std::size_t offset = 0;
        while (offset < bytes.size() && player.framesLoaded() < 1) {
            const std::size_t size = std::min(kChunk, bytes.size() - offset);
            player.feed(std::span(bytes).subspan(offset, size));
            offset += size;
        }
        swf::render(player, target);
        benchmark::DoNotOptimize(target.constBits());
    }
    state.counters["movie_MB"] = double(bytes.size()) / (1024.0 * 1024.0);
    state.counters["goal_ms"] = 100;
}
BENCHMARK(BM_FirstFrameOf10MB)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    std::printf("Goals: cartoon >= 240 fps (10x its 24 fps), stress >= 30 fps (its real time), "
                "first frame of a 10 MB movie < 100 ms\n");
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
