// What extracting a movie from a big projector costs, against the floor of
// simply copying the same file, and against searching the way the original
// converter did (everything read so far, searched again after each chunk).
//
// Goals: Parse at least 80% of the copy's throughput; peak memory under
// 64 MiB whatever the file size.
//
// The 1 GiB projector is generated under the temporary folder and removed
// at the end of the run.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

#include "converter/cStorage.h"

namespace {

constexpr std::int64_t kMiB = 1 << 20;
constexpr std::int64_t kBigLength = 1024 * kMiB;
constexpr std::int64_t kBigMovieStart = 900 * kMiB;
// The old search rereads everything it has seen after each chunk, so its
// file is kept small enough to finish: 4 MiB of search region.
constexpr std::int64_t kSmallMovieStart = converter::cStorage::kSearchStart + 4 * kMiB;
constexpr std::int64_t kSmallLength = kSmallMovieStart + kMiB;

// Bytes with the statistics of machine code (every value, F, W and S among
// them) but never the signature, reused block after block.
QByteArray fillerBlock()
{
    QByteArray block(kMiB, Qt::Uninitialized);
    std::uint64_t state = 0x9E3779B97F4A7C15u;
    for (qsizetype i = 0; i < block.size(); ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        block[i] = char(state >> 56);
    }
    for (qsizetype i = 2; i < block.size(); ++i) {
        if (block[i - 2] == 'F' && block[i - 1] == 'W' && block[i] == 'S')
            block[i] = 's';
    }
    // Nor may one form across two blocks.
    block[0] = block[1] = block[block.size() - 1] = 'x';
    return block;
}

bool writeProjector(const QString& path, std::int64_t length, std::int64_t movieStart)
{
    const QByteArray block = fillerBlock();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (std::int64_t written = 0; written < length;) {
        const std::int64_t n = std::min<std::int64_t>(block.size(), length - written);
        if (file.write(block.constData(), n) != n)
            return false;
        written += n;
    }
    return file.seek(movieStart) && file.write("FWS\x0a", 4) == 4;
}

// Reads the whole file once so every contender starts from a warm cache.
void warm(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    QByteArray buffer(kMiB, Qt::Uninitialized);
    while (file.read(buffer.data(), buffer.size()) > 0) {
    }
}

struct Files {
    QTemporaryDir folder{QDir::tempPath() + QStringLiteral("/tvk-bench-XXXXXX")};
    QString big = folder.filePath(QStringLiteral("big.exe"));
    QString small = folder.filePath(QStringLiteral("small.exe"));
    QString out = folder.filePath(QStringLiteral("out.swf"));
    bool ready = false;

    Files()
    {
        std::fprintf(stderr, "Generating a %lld MiB projector in %s ...\n", (long long)(kBigLength / kMiB),
                     qPrintable(folder.path()));
        ready = writeProjector(big, kBigLength, kBigMovieStart) &&
                writeProjector(small, kSmallLength, kSmallMovieStart);
        warm(big);
    }
};

Files& files()
{
    static Files instance;
    return instance;
}

// Each benchmark starts with no dirty pages left by the one before (their
// write-back would be charged to it) and with its own memory peak: the
// kernel's high-water mark, reset.
void startClean()
{
    ::sync();
    std::ofstream("/proc/self/clear_refs") << "5";
}

double peakMemoryMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    }
    return 0.0;
}

void runParse(benchmark::State& state, const QString& source, std::int64_t length, std::int64_t movieStart,
              std::int32_t chunkSize = converter::cStorage::kDefaultChunkSize)
{
    if (!files().ready) {
        state.SkipWithError("could not generate the projector");
        return;
    }
    startClean();
    for (auto _ : state) {
        converter::cStorage storage;
        storage.ChunkSize(chunkSize);
        std::int64_t total = 0;
        std::int64_t data = 0;
        QString time;
        if (!storage.Parse(source, files().out, total, data, time) || data != length - movieStart)
            state.SkipWithError("Parse did not find the movie");
    }
    state.SetBytesProcessed(state.iterations() * length);
    state.counters["peak_MiB"] = peakMemoryMiB();
}

void BM_Parse(benchmark::State& state)
{
    runParse(state, files().big, kBigLength, kBigMovieStart);
}
BENCHMARK(BM_Parse)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The same with larger chunks, to show what the chunk size itself costs.
void BM_ParseChunk(benchmark::State& state)
{
    runParse(state, files().big, kBigLength, kBigMovieStart, std::int32_t(state.range(0)));
}
BENCHMARK(BM_ParseChunk)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3)->Arg(65536);

// The floor: every byte of the same file read and written, nothing looked at.
void BM_PlainCopy(benchmark::State& state)
{
    if (!files().ready) {
        state.SkipWithError("could not generate the projector");
        return;
    }
    startClean();
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    for (auto _ : state) {
        QFile source(files().big);
        QFile destination(files().out);
        if (!source.open(QIODevice::ReadOnly) || !destination.open(QIODevice::WriteOnly)) {
            state.SkipWithError("could not open the files");
            break;
        }
        for (qint64 n; (n = source.read(buffer.data(), buffer.size())) > 0;)
            destination.write(buffer.constData(), n);
    }
    state.SetBytesProcessed(state.iterations() * kBigLength);
    state.counters["peak_MiB"] = peakMemoryMiB();
}
BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The least any extractor must move: every byte read, the movie written.
void BM_ReadAllCopyMovie(benchmark::State& state)
{
    if (!files().ready) {
        state.SkipWithError("could not generate the projector");
        return;
    }
    startClean();
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    for (auto _ : state) {
        QFile source(files().big);
        QFile destination(files().out);
        if (!source.open(QIODevice::ReadOnly) || !destination.open(QIODevice::WriteOnly)) {
            state.SkipWithError("could not open the files");
            break;
        }
        qint64 offset = 0;
        for (qint64 n; (n = source.read(buffer.data(), buffer.size())) > 0; offset += n) {
            if (offset >= kBigMovieStart)
                destination.write(buffer.constData(), n);
        }
    }
    state.SetBytesProcessed(state.iterations() * kBigLength);
    state.counters["peak_MiB"] = peakMemoryMiB();
}
BENCHMARK(BM_ReadAllCopyMovie)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_ParseSmall(benchmark::State& state)
{
    runParse(state, files().small, kSmallLength, kSmallMovieStart);
}
BENCHMARK(BM_ParseSmall)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The first converter's search: all scan data kept, searched from its start
// after every chunk. Only the search is timed; the copy would be the same.
void BM_QuadraticSearchSmall(benchmark::State& state)
{
    if (!files().ready) {
        state.SkipWithError("could not generate the projector");
        return;
    }
    startClean();
    const QByteArray signature("FWS");
    for (auto _ : state) {
        QFile source(files().small);
        source.open(QIODevice::ReadOnly);
        source.seek(converter::cStorage::kSearchStart);
        QByteArray scanned;
        QByteArray chunk(converter::cStorage::kDefaultChunkSize, Qt::Uninitialized);
        std::int64_t found = -1;
        for (std::int64_t offset = converter::cStorage::kSearchStart; offset < kSmallLength && found < 0;) {
            const qint64 n = source.read(chunk.data(), std::min<std::int64_t>(chunk.size(), kSmallLength - offset));
            scanned.append(chunk.constData(), n);
            const qsizetype at = scanned.indexOf(signature);
            if (at >= 0)
                found = converter::cStorage::kSearchStart + at;
            offset += n;
        }
        if (found != kSmallMovieStart)
            state.SkipWithError("the old search missed the movie");
    }
    state.SetBytesProcessed(state.iterations() * kSmallLength);
    state.counters["peak_MiB"] = peakMemoryMiB();
}
BENCHMARK(BM_QuadraticSearchSmall)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// Keeps each run's figures for the summary.
class SummaryReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            figures[run.benchmark_name()] = run;
        ConsoleReporter::ReportRuns(runs);
    }

    double mibPerSecond(const std::string& name) const
    {
        const auto found = figures.find(name);
        if (found == figures.end() || found->second.error_occurred)
            return 0.0;
        const auto rate = found->second.counters.find("bytes_per_second");
        return rate == found->second.counters.end() ? 0.0 : rate->second.value / kMiB;
    }

    double peak(const std::string& name) const
    {
        const auto found = figures.find(name);
        return found == figures.end() ? 0.0 : found->second.counters.at("peak_MiB").value;
    }

    std::map<std::string, Run> figures;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const double parse = reporter.mibPerSecond("BM_Parse/iterations:3/real_time");
    const double copy = reporter.mibPerSecond("BM_PlainCopy/iterations:3/real_time");
    const double parseSmall = reporter.mibPerSecond("BM_ParseSmall/iterations:3/real_time");
    const double quadratic = reporter.mibPerSecond("BM_QuadraticSearchSmall/iterations:1/real_time");
    std::printf("\nParse, 1 GiB projector, movie at 900 MiB: %.0f MiB/s, peak memory %.1f MiB (goal < 64)\n", parse,
                reporter.peak("BM_Parse/iterations:3/real_time"));
    std::printf("Plain copy of the same file:              %.0f MiB/s\n", copy);
    if (copy > 0)
        std::printf("Parse / copy:                             %.2f (goal >= 0.80)\n", parse / copy);
    const double least = reporter.mibPerSecond("BM_ReadAllCopyMovie/iterations:3/real_time");
    std::printf("Read it all, write only the movie:        %.0f MiB/s\n", least);
    if (least > 0)
        std::printf("Parse / that:                             %.2f\n", parse / least);
    std::printf("Parse, %.1f MiB projector:                 %.0f MiB/s, peak memory %.1f MiB\n",
                double(kSmallLength) / kMiB, parseSmall, reporter.peak("BM_ParseSmall/iterations:3/real_time"));
    std::printf("Quadratic search alone, same file:        %.0f MiB/s, peak memory %.1f MiB\n", quadratic,
                reporter.peak("BM_QuadraticSearchSmall/iterations:1/real_time"));
    benchmark::Shutdown();
    return 0;
}
