// A frame drawn in parts must leave every pixel as the whole frame drawn on
// one thread does: cut into bands drawn at once on several threads, or
// drawn only where it differs from the frame the target held before (one
// target kept, or two taken in turn as the movie control does). Every
// movie of the reference corpus, at every frame of its protocol.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "swf/Player.h"
#include "swf/Renderer.h"

namespace {

constexpr int kAdvances = 10;
constexpr double kMaxSide = 2048;

int differingPixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return a.width() * a.height();
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rowB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        if (std::memcmp(rowA, rowB, std::size_t(a.width()) * sizeof(QRgb)) == 0)
            continue;
        for (int x = 0; x < a.width(); ++x)
            count += rowA[x] != rowB[x];
    }
    return count;
}

struct PartsRun {
    int frames = 0;
    QStringList mismatches;
};

void runMovie(const QString& path, PartsRun& run)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    swf::Player player;
    player.open();
    player.feed(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())));
    player.finish();
    if (!player.hasMovie())
        return;
    const swf::Rect& stage = player.header()->frameSize;
    const double width = std::round(stage.width() / 20.0);
    const double height = std::round(stage.height() / 20.0);
    if (!(width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide))
        return;
    const QSize size {int(width), int(height)};
    const swf::RenderOptions options {swf::ScaleMode::ExactFit, swf::Quality::High};

    swf::Renderer whole;
    whole.setThreads(1);
    // More bands than this machine has cores, so that seams fall in many places.
    swf::Renderer banded;
    banded.setThreads(5);
    swf::Renderer changes;
    changes.setThreads(1);
    swf::Renderer changesInTurn;
    changesInTurn.setThreads(3);
    QImage kept(size, QImage::Format_ARGB32_Premultiplied);
    QImage inTurn[2] = {QImage(size, QImage::Format_ARGB32_Premultiplied), QImage(size, QImage::Format_ARGB32_Premultiplied)};

    swf::StageFrame frame;
    for (int step = 0; step <= kAdvances; ++step) {
        if (step > 0)
            player.advance();
        player.captureFrame(frame);
        QImage expected(size, QImage::Format_ARGB32_Premultiplied);
        whole.render(frame, expected, options);
        QImage bands(size, QImage::Format_ARGB32_Premultiplied);
        banded.render(frame, bands, options);
        changes.renderChanges(frame, kept, options);
        QImage& next = inTurn[step % 2];
        changesInTurn.renderChanges(frame, next, options);
        ++run.frames;
        const std::pair<const char*, const QImage*> drawn[] = {{"bands", &bands}, {"changes", &kept}, {"changes in turn", &next}};
        for (const auto& [how, image] : drawn) {
            if (const int bad = differingPixels(expected, *image))
                run.mismatches << QStringLiteral("%1 frame %2 %3: %4 pixels").arg(QFileInfo(path).fileName()).arg(step).arg(QLatin1String(how)).arg(bad);
        }
    }
}

class CorpusParts : public testing::TestWithParam<const char*> {};

TEST_P(CorpusParts, EveryFrameDrawnInPartsMatchesTheWholeToTheByte)
{
    const QDir folder(QStringLiteral(TVK_CORPUS_DIR "/") + QLatin1String(GetParam()));
    if (!folder.exists())
        GTEST_SKIP() << "no reference corpus at " << folder.path().toStdString();
    PartsRun run;
    for (const QString& name : folder.entryList({QStringLiteral("*.swf")}, QDir::Files, QDir::Name))
        runMovie(folder.filePath(name), run);
    std::printf("corpus %s: %d frames drawn four ways, %lld mismatches\n", GetParam(), run.frames, qlonglong(run.mismatches.size()));
    EXPECT_GT(run.frames, 0);
    EXPECT_TRUE(run.mismatches.isEmpty()) << run.mismatches.mid(0, 20).join(QStringLiteral("\n")).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Folders, CorpusParts, testing::Values("image", "trace", "sound"));

} // namespace
