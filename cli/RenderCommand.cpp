#include <cmath>
#include <cstdio>

#include <QCommandLineParser>
#include <QImage>

#include "cli/Command.h"
#include "cli/MovieFile.h"
#include "swf/Renderer.h"

namespace cli {

namespace {

// Enough for any real stage at a generous scale; a hostile RECT must not
// turn into a multi-gigabyte image.
constexpr double kMaxSide = 16384;
constexpr double kMaxScale = 64;
constexpr int kMaxFrames = 1'000'000;

struct RenderRequest {
    QString movie;
    QString output;
    int frames = 0;
    double scale = 1;
};

// Fills `request` from the arguments, or returns why they do not make one.
QString parse(const QStringList& arguments, RenderRequest& request)
{
    QCommandLineParser parser;
    const QCommandLineOption output({"o", "output"}, "PNG to write", "OUT.png");
    const QCommandLineOption frames("frames", "frames to advance after the first", "N", "0");
    const QCommandLineOption scale("scale", "pixels per 20 twips", "S", "1");
    parser.addOptions({output, frames, scale});
    if (!parser.parse(QStringList {QStringLiteral("tvk render")} + arguments))
        return parser.errorText();
    if (parser.positionalArguments().size() != 1 || !parser.isSet(output))
        return QStringLiteral("usage: tvk render FILE -o OUT.png [--frames N] [--scale S]");

    request.movie = parser.positionalArguments().front();
    request.output = parser.value(output);
    bool ok = false;
    request.frames = parser.value(frames).toInt(&ok);
    if (!ok || request.frames < 0 || request.frames > kMaxFrames)
        return QStringLiteral("--frames wants a whole number from 0 to %1").arg(kMaxFrames);
    request.scale = parser.value(scale).toDouble(&ok);
    if (!ok || !(request.scale > 0) || request.scale > kMaxScale)
        return QStringLiteral("--scale wants a number above 0 and at most %1").arg(kMaxScale);
    return {};
}

} // namespace

int runRender(const QStringList& arguments)
{
    RenderRequest request;
    if (const QString problem = parse(arguments, request); !problem.isEmpty())
        return fail(problem, kUsage);

    swf::Player player;
    if (const QString problem = loadMovieFile(request.movie, player); !problem.isEmpty())
        return fail(problem);

    const swf::Rect& frame = player.header()->frameSize;
    const double width = std::round(frame.width() / 20.0 * request.scale);
    const double height = std::round(frame.height() / 20.0 * request.scale);
    if (!(width >= 1 && height >= 1))
        return fail(QStringLiteral("%1: the stage has no area to render").arg(request.movie));
    if (width > kMaxSide || height > kMaxSide)
        return fail(QStringLiteral("%1: a %2x%3 image is too large to render").arg(request.movie).arg(width).arg(height));
    const QSize size = swf::fitRenderSize(QSizeF(width, height));
    if (size != QSize(int(width), int(height)))
        std::fprintf(stderr, "tvk: %s: drawn at %dx%d, the largest a frame is drawn, instead of %dx%d\n", qPrintable(request.movie),
                     size.width(), size.height(), int(width), int(height));

    // No wall clock: the run is the same every time.
    for (int i = 0; i < request.frames; ++i)
        player.advance();

    QImage image(size, QImage::Format_RGB32);
    swf::render(player, image, {swf::ScaleMode::ExactFit, swf::Quality::High});
    if (!image.save(request.output, "PNG"))
        return fail(QStringLiteral("%1: could not write the image").arg(request.output));
    return kOk;
}

} // namespace cli
