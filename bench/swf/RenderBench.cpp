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

#include "support/SwfShapes.h"
#include "support/SwfWriter.h"
#include "swf/Player.h"
#include "swf/Renderer.h"

namespace {

constexpr int kFrames = 48;

struct BenchMovie {
    int shapes;
    int width;
    int height;
    double fps;
};

constexpr BenchMovie kCartoon {300, 800, 600, 24};
constexpr BenchMovie kStress {3000, 1280, 720, 30};

swf::Matrix placeAt(int index, int frame, const BenchMovie& movie)
{
    const double t = frame * 0.1 + index;
    const double x = (std::fmod(index * 97.0 + frame * 7.0, movie.width)) * 20;
    const double y = (std::fmod(index * 53.0 + frame * 5.0, movie.height)) * 20;
    const double angle = std::sin(t) * 0.5;
    return {std::cos(angle), std::sin(angle), -std::sin(angle), std::cos(angle), x, y};
}

std::vector<std::uint8_t> makeMovie(const BenchMovie& movie, int frames, int paddingBytes = 0)
{
    swftest::SwfWriter writer;
    writer.setFrameSize(movie.width, movie.height).setFrameRate(movie.fps).setBackground({255, 255, 255, 255});
    // A handful of shape definitions shared by many placements, as cartoons do.
    constexpr int kDefinitions = 16;
    for (int id = 1; id <= kDefinitions; ++id) {
        swftest::RectShape rect;
        rect.id = std::uint16_t(id);
        rect.width = 400 + id * 60;
        rect.height = 300 + id * 40;
        rect.fill = {std::uint8_t(id * 15), 100, 200, 255};
        rect.gradientTo = swf::Color {255, std::uint8_t(id * 10), 0, 255};
        rect.lineWidth = 40;
        writer.tag(32, swftest::defineShape3(rect));
    }
    for (int i = 0; i < movie.shapes; ++i) {
        swftest::Placement place;
        place.depth = std::uint16_t(i + 1);
        place.characterId = std::uint16_t(i % kDefinitions + 1);
        place.matrix = placeAt(i, 0, movie);
        writer.tag(26, swftest::placeObject2(place));
    }
    writer.showFrame();
    // Sound or bitmap data in a real movie: bytes that do not compress.
    std::vector<std::uint8_t> padding(std::size_t(std::max(0, paddingBytes)));
    std::uint32_t seed = 12345;
    for (std::uint8_t& byte : padding) {
        seed = seed * 1664525u + 1013904223u;
        byte = std::uint8_t(seed >> 24);
    }
    if (paddingBytes > 0)
        writer.tag(250, padding);
    for (int frame = 1; frame < frames; ++frame) {
        for (int i = 0; i < movie.shapes; ++i) {
            swftest::Placement move;
            move.depth = std::uint16_t(i + 1);
            move.move = true;
            move.matrix = placeAt(i, frame, movie);
            writer.tag(26, swftest::placeObject2(move));
        }
        writer.showFrame();
    }
    return writer.build(swf::Compression::Zlib);
}

void loadWhole(swf::Player& player, const std::vector<std::uint8_t>& bytes)
{
    player.open();
    player.feed(bytes);
    player.finish();
}

// Frames are drawn on a pool thread, so the cost counted is the CPU time of
// the whole process, every thread together: the share of one core a movie
// takes, steadier than the wall clock on a shared machine. The "Time"
// column still shows the wall clock.
void runFrames(benchmark::State& state, const BenchMovie& movie)
{
    const auto bytes = makeMovie(movie, kFrames);
    swf::Player player;
    loadWhole(player, bytes);
    QImage target(movie.width, movie.height, QImage::Format_ARGB32_Premultiplied);
    swf::Renderer renderer;
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
    const auto bytes = makeMovie(kCartoon, 2, 10 * 1024 * 1024);
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
