// How fast the browser lists a big folder, and what one tick of the movie
// count costs. The count is polled every 50 ms, so it must never go back to
// the disk.
//
// Goals: a folder of 100,000 files (1,000 of them movies) listed in under
// 1 s, with or without hover previews; a count tick under 50 microseconds;
// a tooltip from a kept preview under a millisecond.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

#include "app/DirListBox.h"
#include "app/FileListBox.h"
#include "app/MoviePreviews.h"
#include "app/Form1.h"
#include "platform/Platform.h"
#include "support/BlankThenDrawn.h"

namespace {

constexpr int kFiles = 100'000;
constexpr int kMovies = 1'000;

// Made once per run: creating 100,000 files takes a few seconds.
const QString& bigFolder()
{
    static QTemporaryDir dir;
    static bool filled = false;
    if (!filled) {
        for (int i = 0; i < kFiles; ++i) {
            const QString name = i % (kFiles / kMovies) == 0 ? QStringLiteral("movie%1.swf").arg(i)
                                                             : QStringLiteral("other%1.dat").arg(i);
            QFile file(QDir(dir.path()).filePath(name));
            file.open(QIODevice::WriteOnly);
        }
        filled = true;
    }
    static const QString path = dir.path();
    return path;
}

// Argument 1 attaches the hover previews, which must cost the listing nothing.
void BM_ListBigFolder(benchmark::State& state)
{
    const QString folder = bigFolder();
    app::FileListBox list;
    app::MoviePreviews previews;
    if (state.range(0))
        list.setPreviews(&previews);
    list.setPattern(QStringLiteral("*.*swf"));
    for (auto _ : state) {
        list.setPath(folder);
        if (list.listCount() != kMovies)
            state.SkipWithError("wrong count");
    }
    state.counters["goal_ms"] = 1000;
}
BENCHMARK(BM_ListBigFolder)->ArgName("previews")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

// The interface thread's share of a hover over a movie already previewed:
// building the tooltip from what was kept.
void BM_KeptPreviewTooltip(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString movie = QDir(dir.path()).filePath(QStringLiteral("late.swf"));
    const std::vector<std::uint8_t> bytes = swftest::blankThenDrawn(3, 5, swf::Compression::Zlib);
    QFile file(movie);
    file.open(QIODevice::WriteOnly);
    file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    file.close();
    app::MoviePreviews previews;
    previews.preview(movie);
    previews.waitForDone();
    QCoreApplication::processEvents();
    for (auto _ : state)
        benchmark::DoNotOptimize(previews.toolTip(movie));
    state.counters["goal_us"] = 1000;
}
BENCHMARK(BM_KeptPreviewTooltip)->Unit(benchmark::kMicrosecond);

void BM_CountTick(benchmark::State& state)
{
    const QString folder = bigFolder();
    app::Form1 form(platform::Platform::system());
    form.Dir1->setPath(folder);
    for (auto _ : state)
        form.Timer5_Timer();
    state.counters["goal_us"] = 50;
}
BENCHMARK(BM_CountTick)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    std::printf("Goals: list %d files (%d movies) under 1000 ms, previews or not; one count tick under 50 us;\n"
                "a tooltip from a kept preview under 1000 us\n", kFiles, kMovies);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
