#include <chrono>
#include <cmath>
#include <cstdio>

#include <QCommandLineParser>
#include <QImage>
#include <QRegularExpression>

#include "cli/Command.h"
#include "cli/MovieFile.h"
#include "swf/Player.h"
#include "swf/Renderer.h"

namespace cli {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDefaultFrames = 100;
constexpr int kMaxFrames = 1'000'000;
constexpr int kMaxSide = 16384;

struct BenchRequest {
    QString movie;
    int frames = kDefaultFrames;
    QSize size; // empty: the stage's own
};

QString parse(const QStringList& arguments, BenchRequest& request)
{
    QCommandLineParser parser;
    const QCommandLineOption frames("frames", "frames to advance and render", "N", QString::number(kDefaultFrames));
    const QCommandLineOption size("size", "image size", "WxH");
    parser.addOptions({frames, size});
    if (!parser.parse(QStringList {QStringLiteral("tvk bench")} + arguments))
        return parser.errorText();
    if (parser.positionalArguments().size() != 1)
        return QStringLiteral("usage: tvk bench MOVIE [--frames N] [--size WxH]");
    request.movie = parser.positionalArguments().front();
    bool ok = false;
    request.frames = parser.value(frames).toInt(&ok);
    if (!ok || request.frames < 1 || request.frames > kMaxFrames)
        return QStringLiteral("--frames wants a whole number from 1 to %1").arg(kMaxFrames);
    if (parser.isSet(size)) {
        static const QRegularExpression form(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
        const QRegularExpressionMatch match = form.match(parser.value(size));
        const int width = match.captured(1).toInt();
        const int height = match.captured(2).toInt();
        if (!match.hasMatch() || width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
            return QStringLiteral("--size wants WIDTHxHEIGHT, each from 1 to %1").arg(kMaxSide);
        request.size = QSize(width, height);
    }
    return {};
}

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int runBench(const QStringList& arguments)
{
    BenchRequest request;
    if (const QString problem = parse(arguments, request); !problem.isEmpty())
        return fail(problem, kUsage);

    // Time to first frame: from nothing to the first frame on screen, the
    // file read and the movie parsed included, as a person waits for it.
    const Clock::time_point start = Clock::now();
    swf::Player player;
    if (const QString problem = loadMovieFile(request.movie, player); !problem.isEmpty())
        return fail(problem);
    QSize size = request.size;
    if (size.isEmpty()) {
        const swf::Rect& stage = player.header()->frameSize;
        size = QSize(int(std::lround(stage.width() / 20.0)), int(std::lround(stage.height() / 20.0)));
        if (size.width() < 1 || size.height() < 1 || size.width() > kMaxSide || size.height() > kMaxSide)
            return fail(QStringLiteral("%1: the stage is %2x%3 pixels; give --size").arg(request.movie).arg(size.width()).arg(size.height()));
    }
    QImage image(size, QImage::Format_RGB32);
    swf::render(player, image);
    const double firstFrameMs = millisecondsSince(start);

    const Clock::time_point running = Clock::now();
    for (int i = 0; i < request.frames; ++i) {
        player.advance();
        swf::render(player, image);
    }
    const double runMs = millisecondsSince(running);

    std::printf("movie: %s\n", qUtf8Printable(request.movie));
    std::printf("size: %dx%d\n", size.width(), size.height());
    std::printf("first frame: %.2f ms\n", firstFrameMs);
    std::printf("frames: %d in %.2f ms, %.1f frames/s\n", request.frames, runMs,
                runMs > 0 ? request.frames * 1000.0 / runMs : 0.0);
    return kOk;
}

} // namespace cli
