// The engine's drawing against the general 2D libraries, and against
// itself on every core and with only what changed drawn. Everything is
// measured turn about in one run, so a busy machine weighs on every figure
// alike; each figure is the median of the rounds.
//
//   1. One core: the cartoon (300 shapes, 800x600) and stress (3,000 shapes,
//      1280x720) scenes played by the engine (advance and draw, one thread)
//      and the same rectangles, gradients, outlines and placements drawn by
//      cairo on an image surface and by QPainter on a QImage. Frames per
//      second of CPU time. Goals: 5x cairo, 4x QPainter.
//   2. Every core: stress at 1280x720 and the cartoon scaled to fill
//      1920x1080, frames per second of wall clock, beside one thread.
//      Goals: 60 and 240.
//   3. Small change: a 1280x720 movie whose only motion is one 50x50 clip
//      over a thousand still shapes; milliseconds a frame drawing only what
//      changed, beside drawing the whole frame. Goal: under 10%.
//
// bench_drawing [--rounds N] [--seconds S] [--only SECTION] [--dump FOLDER] [--hash]
//               [--shape-scale K] [--spread K]
// (defaults: 5 rounds, 0.5 s a turn; --dump writes the first stress frame as
// each of the three draws it, and measures nothing; --hash prints a digest
// of the engine's pixels for a few frames of each scene, to tell whether a
// change to the rasterizer changed any; --shape-scale and --spread change
// the first section's scenes, every shape K times the size and the shapes
// placed within K of the stage's width and height, to tell what a shape's
// cost grows with: its rows, its pixels, or the memory it lands on)

#include <cairo.h>

#include <QCoreApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "support/RenderScenes.h"
#include "support/SwfShapes.h"
#include "support/SwfWriter.h"
#include "swf/Player.h"
#include "swf/Renderer.h"
#include "swf/render/RasterThread.h"

namespace {

using swftest::Scene;

constexpr int kFrames = 48;

double processSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

double wallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string loadAverage()
{
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

enum class Clock { Cpu, Wall };

// Frames a second of `frame()` over about `seconds`, by the clock given.
double framesPerSecond(const std::function<void()>& frame, double seconds, Clock clock)
{
    const auto now = clock == Clock::Cpu ? processSeconds : wallSeconds;
    frame(); // warm
    const double start = now();
    int frames = 0;
    double elapsed = 0;
    do {
        frame();
        ++frames;
        elapsed = now() - start;
    } while (elapsed < seconds || frames < 5);
    return frames / elapsed;
}

// --- the engine -----------------------------------------------------------

class EnginePlayer {
public:
    EnginePlayer(const std::vector<std::uint8_t>& movie, QSize size, int threads)
        : m_target(size, QImage::Format_ARGB32_Premultiplied)
    {
        m_player.open();
        m_player.feed(movie);
        m_player.finish();
        m_renderer.setThreads(threads);
        // Every frame of the movie taken ahead, for drawing alone.
        swf::Player ahead;
        ahead.open();
        ahead.feed(movie);
        ahead.finish();
        for (int frame = 0; frame < ahead.frameCount(); ++frame) {
            ahead.captureFrame(m_taken.emplace_back());
            ahead.advance();
        }
    }

    // The next frame drawn, the movie already played.
    void drawnFrame()
    {
        m_renderer.render(m_taken[m_next], m_target);
        m_next = (m_next + 1) % m_taken.size();
    }

    void frame()
    {
        m_player.advance();
        m_renderer.render(m_player, m_target);
    }

    void save(const std::string& path) const { m_target.save(QString::fromStdString(path)); }

    void changedFrame()
    {
        m_player.advance();
        m_player.captureFrame(m_frame);
        m_renderer.renderChanges(m_frame, m_target);
    }

private:
    swf::Player m_player;
    swf::Renderer m_renderer;
    swf::StageFrame m_frame;
    std::vector<swf::StageFrame> m_taken;
    std::size_t m_next = 0;
    QImage m_target;
};

// --- cairo ----------------------------------------------------------------

class CairoScene {
public:
    explicit CairoScene(const Scene& scene)
        : m_scene(scene)
        , m_surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, scene.width, scene.height))
        , m_cairo(cairo_create(m_surface))
    {
        for (int definition = 0; definition < swftest::kSceneDefinitions; ++definition) {
            const swftest::SceneRect rect = swftest::sceneRect(m_scene, definition);
            cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, rect.width, 0);
            cairo_pattern_add_color_stop_rgba(gradient, 0, rect.from.r / 255.0, rect.from.g / 255.0, rect.from.b / 255.0, rect.from.a / 255.0);
            cairo_pattern_add_color_stop_rgba(gradient, 1, rect.to.r / 255.0, rect.to.g / 255.0, rect.to.b / 255.0, rect.to.a / 255.0);
            m_gradients.push_back(gradient);
        }
    }
    ~CairoScene()
    {
        for (cairo_pattern_t* gradient : m_gradients)
            cairo_pattern_destroy(gradient);
        cairo_destroy(m_cairo);
        cairo_surface_destroy(m_surface);
    }
    CairoScene(const CairoScene&) = delete;
    CairoScene& operator=(const CairoScene&) = delete;

    void frame()
    {
        cairo_t* cr = m_cairo;
        cairo_identity_matrix(cr);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        // The scene is in twips.
        cairo_scale(cr, 0.05, 0.05);
        for (int i = 0; i < m_scene.shapes; ++i) {
            const int definition = swftest::sceneDefinitionOf(i);
            const swftest::SceneRect rect = swftest::sceneRect(m_scene, definition);
            const swf::Matrix place = swftest::scenePlacement(m_scene, i, m_frame);
            cairo_matrix_t matrix;
            cairo_matrix_init(&matrix, place.a, place.b, place.c, place.d, place.tx, place.ty);
            cairo_save(cr);
            cairo_transform(cr, &matrix);
            cairo_rectangle(cr, 0, 0, rect.width, rect.height);
            cairo_set_source(cr, m_gradients[std::size_t(definition)]);
            cairo_fill_preserve(cr);
            cairo_set_source_rgba(cr, rect.line.r / 255.0, rect.line.g / 255.0, rect.line.b / 255.0, rect.line.a / 255.0);
            cairo_set_line_width(cr, rect.lineWidth);
            cairo_stroke(cr);
            cairo_restore(cr);
        }
        cairo_surface_flush(m_surface);
        m_frame = (m_frame + 1) % kFrames;
    }

    void save(const std::string& path) const { cairo_surface_write_to_png(m_surface, path.c_str()); }

private:
    Scene m_scene;
    cairo_surface_t* m_surface;
    cairo_t* m_cairo;
    std::vector<cairo_pattern_t*> m_gradients;
    int m_frame = 0;
};

// --- QPainter -------------------------------------------------------------

class QPainterScene {
public:
    explicit QPainterScene(const Scene& scene)
        : m_scene(scene)
        , m_target(scene.width, scene.height, QImage::Format_ARGB32_Premultiplied)
    {
        for (int definition = 0; definition < swftest::kSceneDefinitions; ++definition) {
            const swftest::SceneRect rect = swftest::sceneRect(m_scene, definition);
            QLinearGradient gradient(0, 0, rect.width, 0);
            gradient.setColorAt(0, QColor(rect.from.r, rect.from.g, rect.from.b, rect.from.a));
            gradient.setColorAt(1, QColor(rect.to.r, rect.to.g, rect.to.b, rect.to.a));
            m_brushes.emplace_back(gradient);
        }
    }

    void frame()
    {
        // On a pool thread, as the engine draws: Qt would otherwise hand
        // each fill's spans out to the pool's threads and wait for them.
        swf::runOnRasterThread([this] {
            m_target.fill(Qt::white);
            QPainter painter(&m_target);
            painter.setRenderHint(QPainter::Antialiasing);
            const QTransform twips = QTransform::fromScale(0.05, 0.05);
            for (int i = 0; i < m_scene.shapes; ++i) {
                const int definition = swftest::sceneDefinitionOf(i);
                const swftest::SceneRect rect = swftest::sceneRect(m_scene, definition);
                painter.setTransform(swftest::scenePlacement(m_scene, i, m_frame).toTransform() * twips);
                painter.setBrush(m_brushes[std::size_t(definition)]);
                painter.setPen(QPen(QColor(rect.line.r, rect.line.g, rect.line.b, rect.line.a), rect.lineWidth));
                painter.drawRect(QRectF(0, 0, rect.width, rect.height));
            }
        });
        m_frame = (m_frame + 1) % kFrames;
    }

    void save(const std::string& path) const { m_target.save(QString::fromStdString(path)); }

private:
    Scene m_scene;
    QImage m_target;
    std::vector<QBrush> m_brushes;
    int m_frame = 0;
};

struct Options {
    bool hash = false;
    int rounds = 5;
    double seconds = 0.5;
    std::string dump; // a folder for the first stress frame as each draws it
    int only = 0;     // one section alone
    double shapeScale = 1;
    double spread = 1;
};

Options parse(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--hash") == 0)
            options.hash = true;
        else if (i + 1 == argc)
            break;
        else if (std::strcmp(argv[i], "--rounds") == 0)
            options.rounds = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--seconds") == 0)
            options.seconds = std::max(0.05, std::atof(argv[++i]));
        else if (std::strcmp(argv[i], "--dump") == 0)
            options.dump = argv[++i];
        else if (std::strcmp(argv[i], "--only") == 0)
            options.only = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--shape-scale") == 0)
            options.shapeScale = std::clamp(std::atof(argv[++i]), 0.05, 8.0);
        else if (std::strcmp(argv[i], "--spread") == 0)
            options.spread = std::clamp(std::atof(argv[++i]), 0.05, 1.0);
    }
    return options;
}

void oneCore(const Options& options)
{
    std::printf("\n1. One core, frames a second of CPU time (goal: engine >= 5x cairo and >= 4x QPainter).\n"
                "   engine: drawing the movie's frames; played: advancing the movie and drawing, as the control does\n");
    if (options.shapeScale != 1 || options.spread != 1)
        std::printf("   shapes %.2f times their size, placed within %.2f of the stage's width and height\n", options.shapeScale,
                    options.spread);
    std::printf("%-22s %10s %10s %10s %10s %10s %10s\n", "scene", "engine", "cairo", "QPainter", "x cairo", "x QPainter", "played");
    const std::pair<const char*, Scene> scenes[] = {{"cartoon 300 800x600", swftest::kCartoon}, {"stress 3000 1280x720", swftest::kStress}};
    for (auto [name, scene] : scenes) {
        scene.shapeScale = options.shapeScale;
        scene.spread = options.spread;
        EnginePlayer engine(swftest::sceneMovie(scene, kFrames), QSize(scene.width, scene.height), 1);
        CairoScene cairo(scene);
        QPainterScene qpainter(scene);
        std::vector<double> ours, theirs, qt, toCairo, toQt, played;
        for (int round = 0; round < options.rounds; ++round) {
            ours.push_back(framesPerSecond([&] { engine.drawnFrame(); }, options.seconds, Clock::Cpu));
            theirs.push_back(framesPerSecond([&] { cairo.frame(); }, options.seconds, Clock::Cpu));
            qt.push_back(framesPerSecond([&] { qpainter.frame(); }, options.seconds, Clock::Cpu));
            toCairo.push_back(ours.back() / theirs.back());
            toQt.push_back(ours.back() / qt.back());
            played.push_back(framesPerSecond([&] { engine.frame(); }, options.seconds, Clock::Cpu));
        }
        std::printf("%-22s %10.1f %10.1f %10.1f %9.2fx %9.2fx %10.1f\n", name, median(ours), median(theirs), median(qt), median(toCairo),
                    median(toQt), median(played));
    }
}

void everyCore(const Options& options)
{
    const int cores = QThread::idealThreadCount();
    std::printf("\n2. Every core (%d), frames a second of wall clock, beside one thread (goals: stress >= 60, cartoon at 1920x1080 >= 240)\n",
                cores);
    std::printf("   extra work: CPU time a frame on every core over CPU time a frame on one thread (1.00: banding costs nothing)\n");
    std::printf("%-30s %12s %12s %8s %11s\n", "scene", "all cores", "one thread", "speedup", "extra work");
    struct Case {
        const char* name;
        Scene scene;
        QSize size;
    };
    const Case cases[] = {{"stress 3000 1280x720", swftest::kStress, QSize(1280, 720)},
                          {"cartoon 300 filling 1920x1080", swftest::kCartoon, QSize(1920, 1080)}};
    for (const Case& entry : cases) {
        const auto movie = swftest::sceneMovie(entry.scene, kFrames);
        EnginePlayer all(movie, entry.size, 0);
        EnginePlayer one(movie, entry.size, 1);
        std::vector<double> many, single, speedup, work;
        for (int round = 0; round < options.rounds; ++round) {
            many.push_back(framesPerSecond([&] { all.frame(); }, options.seconds, Clock::Wall));
            single.push_back(framesPerSecond([&] { one.frame(); }, options.seconds, Clock::Wall));
            speedup.push_back(many.back() / single.back());
            const double manyCpu = framesPerSecond([&] { all.frame(); }, options.seconds / 2, Clock::Cpu);
            const double singleCpu = framesPerSecond([&] { one.frame(); }, options.seconds / 2, Clock::Cpu);
            work.push_back(singleCpu / manyCpu);
        }
        std::printf("%-30s %12.1f %12.1f %7.2fx %10.2fx\n", entry.name, median(many), median(single), median(speedup), median(work));
    }
}

void smallChange(const Options& options)
{
    std::printf("\n3. Small change: one 50x50 clip moving over 1,000 still shapes at 1280x720, one thread, "
                "milliseconds of CPU a frame (goal: changed areas < 10%% of the whole)\n");
    const auto movie = swftest::stillSceneWithOneClip(kFrames);
    EnginePlayer whole(movie, QSize(1280, 720), 1);
    EnginePlayer changed(movie, QSize(1280, 720), 1);
    std::vector<double> wholeMs, changedMs, shares;
    for (int round = 0; round < options.rounds; ++round) {
        wholeMs.push_back(1000 / framesPerSecond([&] { whole.frame(); }, options.seconds, Clock::Cpu));
        changedMs.push_back(1000 / framesPerSecond([&] { changed.changedFrame(); }, options.seconds, Clock::Cpu));
        shares.push_back(changedMs.back() / wholeMs.back());
    }
    std::printf("%-22s %12s %12s %8s\n", "", "whole", "changed", "share");
    std::printf("%-22s %10.3fms %10.3fms %7.1f%%\n", "per frame", median(wholeMs), median(changedMs), 100 * median(shares));
}

void printDigests()
{
    struct Case {
        const char* name;
        Scene scene;
        QSize size;
        int frame;
    };
    const Case cases[] = {{"cartoon", swftest::kCartoon, QSize(800, 600), 0},    {"cartoon", swftest::kCartoon, QSize(800, 600), 17},
                          {"cartoon", swftest::kCartoon, QSize(1920, 1080), 5}, {"cartoon", swftest::kCartoon, QSize(333, 251), 9},
                          {"stress", swftest::kStress, QSize(1280, 720), 0},    {"stress", swftest::kStress, QSize(1280, 720), 29}};
    for (const Case& entry : cases) {
        for (const int threads : {1, 2}) {
            swf::Player player;
            player.open();
            player.feed(swftest::sceneMovie(entry.scene, kFrames));
            player.finish();
            for (int frame = 0; frame < entry.frame; ++frame)
                player.advance();
            swf::Renderer renderer;
            renderer.setThreads(threads);
            QImage target(entry.size, QImage::Format_ARGB32_Premultiplied);
            renderer.render(player, target);
            std::printf("%-8s %4dx%-4d frame %2d, %d thread%s: %016llx\n", entry.name, entry.size.width(), entry.size.height(), entry.frame,
                        threads, threads > 1 ? "s" : " ", static_cast<unsigned long long>(swftest::pixelDigest(target)));
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const Options options = parse(argc, argv);
    if (options.hash) {
        printDigests();
        return 0;
    }
    if (!options.dump.empty()) {
        EnginePlayer engine(swftest::sceneMovie(swftest::kStress, kFrames), QSize(swftest::kStress.width, swftest::kStress.height), 1);
        engine.drawnFrame();
        engine.save(options.dump + "/engine.png");
        CairoScene cairo(swftest::kStress);
        cairo.frame();
        cairo.save(options.dump + "/cairo.png");
        QPainterScene qpainter(swftest::kStress);
        qpainter.frame();
        qpainter.save(options.dump + "/qpainter.png");
        return 0;
    }
    std::printf("bench_drawing: %d rounds, %.2f s a turn, cairo %s, Qt %s, %d cores, load average %s\n", options.rounds, options.seconds,
                cairo_version_string(), qVersion(), QThread::idealThreadCount(), loadAverage().c_str());
    if (options.only == 0 || options.only == 1)
        oneCore(options);
    if (options.only == 0 || options.only == 2)
        everyCore(options);
    if (options.only == 0 || options.only == 3)
        smallChange(options);
    std::printf("\nload average at the end: %s\n", loadAverage().c_str());
    return 0;
}
