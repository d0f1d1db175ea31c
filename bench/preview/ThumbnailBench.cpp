// What a file manager pays for a thumbnail: one run of the thumbnailer's
// command, process start included, per movie, over 200 movies this
// benchmark makes itself (small and large stages, a few to a few hundred
// shapes, drawing from the first frame or only after blank ones, each
// compression). Beside it, in the same run and interleaved with it, the
// same process reading the same movie without drawing it (tvk info), so
// that a busy machine shows in both figures.
//
//   goals: median under 50 ms; worst under the thumbnailer's time cap

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "support/SwfShapes.h"
#include "support/SwfWriter.h"

namespace {

constexpr int kMovies = 200;
constexpr double kGoalMedianMs = 50;
constexpr double kCapMs = 5000; // tvk thumbnail's default --time-limit

std::vector<std::uint8_t> makeMovie(int index)
{
    const int width = 320 + (index * 37) % 960;
    const int height = 240 + (index * 53) % 480;
    const int shapes = 1 + (index * 29) % 300;
    const int blankFrames = index % 6;
    swftest::SwfWriter writer;
    writer.setFrameSize(width, height).setFrameRate(24).setBackground({255, 255, 255, 255});
    for (int frame = 0; frame < blankFrames; ++frame)
        writer.showFrame();
    for (int id = 1; id <= shapes; ++id) {
        swftest::RectShape rect;
        rect.id = std::uint16_t(id);
        rect.width = 200 + (id * 97) % 4000;
        rect.height = 200 + (id * 61) % 3000;
        rect.fill = {std::uint8_t(id * 13), std::uint8_t(index), 180, 255};
        if (id % 3 == 0)
            rect.gradientTo = swf::Color {255, std::uint8_t(id * 7), 0, 255};
        rect.lineWidth = id % 2 ? 40 : 0;
        writer.tag(32, swftest::defineShape3(rect));
        const double x = (id * 131) % width * 20.0;
        const double y = (id * 71) % height * 20.0;
        writer.tag(26, swftest::placeObject2({.depth = std::uint16_t(id), .characterId = rect.id,
                                              .matrix = swf::Matrix {1, 0, 0, 1, x, y}}));
    }
    writer.showFrame().showFrame();
    const swf::Compression compressions[] {swf::Compression::None, swf::Compression::Zlib, swf::Compression::Lzma};
    return writer.build(compressions[index % 3]);
}

// Milliseconds the command took, or a negative number when it failed.
double timeRun(const QStringList& arguments)
{
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral(TVK_BINARY), arguments);
    if (!process.waitForFinished(60'000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return -1;
    return timer.nsecsElapsed() / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QTemporaryDir folder;
    std::vector<QString> movies;
    for (int i = 0; i < kMovies; ++i) {
        const QString path = folder.filePath(QStringLiteral("movie%1.swf").arg(i));
        const std::vector<std::uint8_t> bytes = makeMovie(i);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) != qint64(bytes.size())) {
            std::fprintf(stderr, "could not write %s\n", qPrintable(path));
            return 1;
        }
        movies.push_back(path);
    }

    std::vector<double> thumbnails;
    std::vector<double> baseline;
    const QString png = folder.filePath(QStringLiteral("thumbnail.png"));
    for (const QString& movie : movies) {
        const double info = timeRun({QStringLiteral("info"), movie});
        const double thumbnail = timeRun({QStringLiteral("thumbnail"), QStringLiteral("-s"), QStringLiteral("128"), movie, png});
        if (info < 0 || thumbnail < 0) {
            std::fprintf(stderr, "tvk failed on %s\n", qPrintable(movie));
            return 1;
        }
        baseline.push_back(info);
        thumbnails.push_back(thumbnail);
    }

    const double thumbnailMedian = median(thumbnails);
    const double worst = *std::max_element(thumbnails.begin(), thumbnails.end());
    const double baselineMedian = median(baseline);
    std::printf("thumbnails of %d movies at 128 pixels, one tvk process each\n", kMovies);
    std::printf("  median %8.1f ms   goal < %.0f ms   %s\n", thumbnailMedian, kGoalMedianMs,
                thumbnailMedian < kGoalMedianMs ? "met" : "MISSED");
    std::printf("  worst  %8.1f ms   goal < %.0f ms (the cap)   %s\n", worst, kCapMs, worst < kCapMs ? "met" : "MISSED");
    std::printf("baseline: tvk info on the same movies, same run\n");
    std::printf("  median %8.1f ms   worst %.1f ms\n", baselineMedian, *std::max_element(baseline.begin(), baseline.end()));
    std::printf("thumbnail / baseline median: %.2f\n", thumbnailMedian / baselineMedian);
    return thumbnailMedian < kGoalMedianMs && worst < kCapMs ? 0 : 1;
}
