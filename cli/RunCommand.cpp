#include <cstdio>

#include <QCommandLineParser>
#include <QFileInfo>
#include <QUrl>

#include <optional>

#include "cli/AudioCapture.h"
#include "cli/Command.h"
#include "cli/MovieFile.h"

namespace cli {

namespace {

constexpr int kMaxFrames = 1'000'000;

struct RunRequest {
    QString movie;
    int frames = 0;
    bool trace = false;
    QString audioOut;
};

QString parse(const QStringList& arguments, RunRequest& request)
{
    QCommandLineParser parser;
    const QCommandLineOption frames("frames", "frames to advance after the first", "N", "0");
    const QCommandLineOption trace("trace", "print each trace() line to stdout");
    const QCommandLineOption audioOut("audio-out", "write each sound started as raw PCM into DIR", "DIR");
    parser.addOptions({frames, trace, audioOut});
    if (!parser.parse(QStringList {QStringLiteral("tvk run")} + arguments))
        return parser.errorText();
    if (parser.positionalArguments().size() != 1)
        return QStringLiteral("usage: tvk run FILE [--frames N] [--trace] [--audio-out DIR]");
    request.movie = parser.positionalArguments().front();
    request.trace = parser.isSet(trace);
    request.audioOut = parser.value(audioOut);
    bool ok = false;
    request.frames = parser.value(frames).toInt(&ok);
    if (!ok || request.frames < 0 || request.frames > kMaxFrames)
        return QStringLiteral("--frames wants a whole number from 0 to %1").arg(kMaxFrames);
    return {};
}

} // namespace

int runRun(const QStringList& arguments)
{
    RunRequest request;
    if (const QString problem = parse(arguments, request); !problem.isEmpty())
        return fail(problem, kUsage);

    swf::Player player;
    std::optional<AudioCapture> capture;
    if (!request.audioOut.isEmpty()) {
        capture.emplace(request.audioOut, QFileInfo(request.movie).fileName());
        if (const QString problem = capture->prepare(); !problem.isEmpty())
            return fail(problem);
        capture->attach(player);
    }
    // Set before the load: the first frame's actions run as soon as it
    // has arrived.
    if (request.trace)
        player.setTraceOutput([](std::string_view line) {
            std::fwrite(line.data(), 1, line.size(), stdout);
            std::fputc('\n', stdout);
        });
    // Loads resolve against the movie's own folder, wherever the run was
    // started from.
    player.setMovieUrl(QUrl::fromLocalFile(QFileInfo(request.movie).absoluteFilePath()).toString().toStdString());
    if (const QString problem = loadMovieFile(request.movie, player); !problem.isEmpty())
        return fail(problem);

    // No wall clock: the run is the same every time. A movie that asks to
    // quit ends the run there.
    for (int i = 0; i < request.frames && !player.quitRequested(); ++i) {
        // The sound of the frame on show plays out before the next one comes.
        if (capture)
            capture->playFrame(player, player.clockFrameRate());
        player.advance();
    }
    std::fflush(stdout);
    if (capture && !capture->error().isEmpty())
        return fail(capture->error());
    return kOk;
}

} // namespace cli
