// What a movie costs in the movie control while it plays, on an offscreen
// surface: the share of one core the whole process takes and the paints a
// second, for a still movie (the goal: under 1% of a core, no painting) and,
// measured in the same run as the baseline, the same stage with one sprite
// moving every frame.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <ctime>

#include "flash/ShockwaveFlash.h"
#include "swf/runtime/Stage.h"
#include "support/PaintCounter.h"
#include "support/SwfShapes.h"
#include "support/SwfWriter.h"

namespace {

constexpr int kSeconds = 5;

double processSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Forty still shapes and a sprite whose own two frames place nothing new;
// with `moving`, a second sprite that moves its shape on each frame.
std::vector<std::uint8_t> movie(bool moving)
{
    swftest::SwfWriter writer;
    writer.setFrameSize(550, 400).setFrameRate(24);
    swftest::RectShape rect;
    rect.gradientTo = swf::Color {0, 0, 255, 255};
    rect.lineWidth = 40;
    writer.tag(32, swftest::defineShape3(rect));
    swftest::Placement inner;
    inner.characterId = 1;
    swftest::Placement moved;
    moved.move = true;
    moved.matrix = swf::Matrix {1, 0, 0, 1, 4000, 0};
    writer.tag(39, swftest::defineSprite(2, {{swftest::tagBytes(26, swftest::placeObject2(inner))}, {}}));
    writer.tag(39, swftest::defineSprite(3, {{swftest::tagBytes(26, swftest::placeObject2(inner))},
                                             {swftest::tagBytes(26, swftest::placeObject2(moved))}}));
    for (int i = 0; i < 40; ++i) {
        swftest::Placement place;
        place.depth = std::uint16_t(i + 1);
        place.characterId = 1;
        place.matrix = swf::Matrix {1, 0, 0, 1, double(i % 8) * 1300, double(i / 8) * 1500};
        writer.tag(26, swftest::placeObject2(place));
    }
    swftest::Placement still;
    still.depth = 100;
    still.characterId = 2;
    writer.tag(26, swftest::placeObject2(still));
    if (moving) {
        swftest::Placement mover;
        mover.depth = 101;
        mover.characterId = 3;
        writer.tag(26, swftest::placeObject2(mover));
    }
    return writer.showFrame().build();
}

void measure(const char* label, const QString& path, flash::ShockwaveFlash& control, bool stopped)
{
    control.setMovie(path);
    if (stopped)
        control.Stop();
    QEventLoop settle;
    QTimer::singleShot(500, &settle, &QEventLoop::quit);
    settle.exec();

    swftest::PaintCounter counter;
    control.installEventFilter(&counter);
    const std::uint64_t ticks = control.player().stage()->tickCount();
    const double before = processSeconds();
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(kSeconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double spent = processSeconds() - before;
    // The loop may end late on a busy machine: count by the time it took.
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    const double frames = double(control.player().stage()->tickCount() - ticks) / seconds;
    control.removeEventFilter(&counter);
    std::printf("%-30s %6.2f%% of a core  %5.1f frames  %5.1f paints a second\n", label, 100 * spent / seconds, frames,
                double(counter.paints) / seconds);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir dir;
    const auto write = [&](const QString& name, const std::vector<std::uint8_t>& bytes) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        return file.fileName();
    };
    const QString still = write(QStringLiteral("still.swf"), movie(false));
    const QString moving = write(QStringLiteral("moving.swf"), movie(true));

    flash::ShockwaveFlash control;
    control.resize(550, 400);
    control.show();
    std::printf("Goal: a still movie under 1%% of a core and no paints; %d s each, 550x400 at 24 fps\n", kSeconds);
    measure("one sprite moving (baseline)", moving, control, false);
    measure("still movie, playing", still, control, false);
    measure("still movie, stopped", still, control, true);
    return 0;
}
