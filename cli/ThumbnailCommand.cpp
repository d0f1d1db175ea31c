#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include <QBuffer>
#include <QCommandLineParser>
#include <QImage>
#include <QTemporaryFile>

#include "cli/Command.h"
#include "cli/MovieFile.h"
#include "cli/Watchdog.h"
#include "preview/Thumbnail.h"
#include "swf/Player.h"

namespace cli {

namespace {

// File managers ask for 128 (normal) or 256 (large); more is no thumbnail.
constexpr int kDefaultSize = 128;
constexpr int kMaxSize = 1024;
// Thumbnailers are run unattended for every movie in a folder: whatever a
// movie does, its turn ends here.
constexpr int kDefaultCapMs = 5000;
constexpr int kMaxCapMs = 600'000;

struct ThumbnailRequest {
    QString movie;
    QString output;
    int size = kDefaultSize;
    int capMs = kDefaultCapMs;
};

QString parse(const QStringList& arguments, ThumbnailRequest& request)
{
    QCommandLineParser parser;
    const QCommandLineOption size({"s", "size"}, "longest side in pixels", "SIZE", QString::number(kDefaultSize));
    const QCommandLineOption cap("time-limit", "milliseconds before giving up", "MS", QString::number(kDefaultCapMs));
    parser.addOptions({size, cap});
    if (!parser.parse(QStringList {QStringLiteral("tvk thumbnail")} + arguments))
        return parser.errorText();
    if (parser.positionalArguments().size() != 2)
        return QStringLiteral("usage: tvk thumbnail [-s SIZE] [--time-limit MS] MOVIE OUT.png");
    request.movie = parser.positionalArguments().at(0);
    request.output = parser.positionalArguments().at(1);
    bool ok = false;
    request.size = parser.value(size).toInt(&ok);
    if (!ok || request.size < 1 || request.size > kMaxSize)
        return QStringLiteral("-s wants a whole number from 1 to %1").arg(kMaxSize);
    request.capMs = parser.value(cap).toInt(&ok);
    if (!ok || request.capMs < 1 || request.capMs > kMaxCapMs)
        return QStringLiteral("--time-limit wants a whole number from 1 to %1").arg(kMaxCapMs);
    return {};
}

// Written whole or not at all, so that a file manager never caches half an
// image: a file beside the target, renamed over it. A cache entry is not
// worth a sync to disk, which would cost more than the drawing.
QString writeWhole(const QString& path, const QByteArray& bytes)
{
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush())
        return file.errorString();
#ifdef Q_OS_WIN
    // Windows' rename does not replace; there the old image goes first.
    QFile::remove(path);
#endif
    if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    file.setAutoRemove(false);
    return {};
}

} // namespace

int runThumbnail(const QStringList& arguments)
{
    ThumbnailRequest request;
    if (const QString problem = parse(arguments, request); !problem.isEmpty())
        return fail(problem, kUsage);

    const auto cap = std::chrono::milliseconds(request.capMs);
    Watchdog watchdog(cap, QStringLiteral("%1: no thumbnail within %2 ms").arg(request.movie).arg(request.capMs).toStdString(),
                      kFailed);
    swf::Player player;
    if (const QString problem = loadMovieFile(request.movie, player); !problem.isEmpty())
        return fail(problem);
    // Leave the search a share of the cap, so that a slow movie still gets
    // the frame in hand written rather than nothing.
    const QImage frame = preview::representativeFrame(player, request.size, {.searchBudget = cap / 2});
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    frame.save(&buffer, "PNG");
    watchdog.disarm();

    if (const QString problem = writeWhole(request.output, png); !problem.isEmpty())
        return fail(QStringLiteral("%1: could not write the image: %2").arg(request.output, problem));
    return kOk;
}

} // namespace cli
