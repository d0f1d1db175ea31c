// What loading a compressed movie costs against the floor of inflating the
// same bytes in one call, and what a frame tick (advance plus render at
// 640x480) costs. The ratio printed at the end is the figure to watch: the
// streaming loader should stay within 1.3x of the one-shot inflate.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <QImage>
#include <zlib.h>

#include "swf/Renderer.h"

namespace {

constexpr int kFrames = 2000;
constexpr std::size_t kChunk = 16 * 1024;

void putU16(std::vector<std::uint8_t>& out, unsigned value)
{
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

// A 640x480 movie of kFrames frames, each with a 1 KiB tag of mildly
// compressible bytes, as the uncompressed body after the eight-byte prefix.
std::vector<std::uint8_t> movieBody()
{
    // RECT of 15-bit fields: 0, 12800, 0, 9600.
    std::vector<std::uint8_t> body {0x78, 0x00, 0x06, 0x40, 0x00, 0x00, 0x4B, 0x00, 0x00};
    putU16(body, 24 << 8);
    putU16(body, kFrames);
    std::uint32_t state = 1;
    for (int frame = 0; frame < kFrames; ++frame) {
        putU16(body, 77u << 6 | 0x3F);
        putU16(body, 1024);
        putU16(body, 0);
        for (int i = 0; i < 1024; ++i)
            body.push_back(std::uint8_t((state = state * 1103515245 + 12345) >> 28));
        putU16(body, 1u << 6);
    }
    putU16(body, 0);
    return body;
}

const std::vector<std::uint8_t>& body()
{
    static const std::vector<std::uint8_t> bytes = movieBody();
    return bytes;
}

const std::vector<std::uint8_t>& compressedBody()
{
    static const std::vector<std::uint8_t> bytes = [] {
        uLongf size = compressBound(uLong(body().size()));
        std::vector<std::uint8_t> out(size);
        compress2(out.data(), &size, body().data(), uLong(body().size()), 6);
        out.resize(size);
        return out;
    }();
    return bytes;
}

std::vector<std::uint8_t> cwsFile()
{
    const std::uint32_t length = std::uint32_t(body().size() + 8);
    std::vector<std::uint8_t> file {'C', 'W', 'S', 10};
    for (int i = 0; i < 4; ++i)
        file.push_back(std::uint8_t(length >> (8 * i)));
    file.insert(file.end(), compressedBody().begin(), compressedBody().end());
    return file;
}

void BM_InflateOneShot(benchmark::State& state)
{
    for (auto _ : state) {
        // A load produces fresh memory; so does the baseline.
        std::vector<std::uint8_t> out(body().size());
        uLongf size = uLongf(out.size());
        uncompress(out.data(), &size, compressedBody().data(), uLong(compressedBody().size()));
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(body().size()));
}
BENCHMARK(BM_InflateOneShot);

void BM_PlayerLoadStreamed(benchmark::State& state)
{
    const std::vector<std::uint8_t> file = cwsFile();
    for (auto _ : state) {
        swf::Player player;
        player.open();
        for (std::size_t at = 0; at < file.size(); at += kChunk)
            player.feed(std::span(file).subspan(at, std::min(kChunk, file.size() - at)));
        player.finish();
        if (player.framesLoaded() != kFrames)
            state.SkipWithError("movie did not load");
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(body().size()));
}
BENCHMARK(BM_PlayerLoadStreamed);

void BM_AdvanceAndRender(benchmark::State& state)
{
    const std::vector<std::uint8_t> file = cwsFile();
    swf::Player player;
    player.open();
    player.feed(file);
    player.finish();
    QImage image(640, 480, QImage::Format_RGB32);
    for (auto _ : state) {
        player.advance();
        swf::render(player, image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_AdvanceAndRender);

// Keeps each run's CPU time per iteration (steadier than wall time on a
// shared machine) so the ratio can be printed.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            m_times[run.benchmark_name()] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }

    double time(const std::string& name) const
    {
        const auto found = m_times.find(name);
        return found == m_times.end() ? 0 : found->second;
    }

private:
    std::map<std::string, double> m_times;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double baseline = reporter.time("BM_InflateOneShot");
    const double streamed = reporter.time("BM_PlayerLoadStreamed");
    if (baseline > 0 && streamed > 0)
        std::printf("streamed load / one-shot inflate: %.2fx (goal: at most 1.30x)\n", streamed / baseline);
    benchmark::Shutdown();
    return 0;
}
