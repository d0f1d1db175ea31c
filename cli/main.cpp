#include <cstdio>
#include <cstring>
#include <new>

#include <QGuiApplication>

#include "cli/Command.h"
#include "cli/ExtractCommand.h"

namespace {

// Every subcommand, one line each: name, usage, entry point.
constexpr cli::Command kCommands[] {
    {"info", "info FILE", cli::runInfo},
    {"render", "render FILE -o OUT.png [--frames N] [--scale S]", cli::runRender},
    {"run", "run FILE [--frames N] [--trace] [--audio-out DIR]", cli::runRun},
    {"extract", "extract PROJECTOR OUT.swf", cli::runExtract},
    {"bench", "bench MOVIE [--frames N] [--size WxH]", cli::runBench},
    {"thumbnail", "thumbnail [-s SIZE] [--time-limit MS] MOVIE OUT.png", cli::runThumbnail},
};

// Asked for, the usage is the answer and goes to stdout; otherwise it
// explains a refusal and goes to stderr.
int usage(std::FILE* stream = stderr, int status = cli::kUsage)
{
    std::fprintf(stream, "usage:\n");
    for (const cli::Command& command : kCommands)
        std::fprintf(stream, "  tvk %s\n", command.usage);
    return status;
}

bool asksForHelp(const char* argument)
{
    return std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0 || std::strcmp(argument, "help") == 0;
}

// Qt's own chatter (a missing runtime folder and the like) is not ours to
// print: stderr carries the tool's one-line reasons only.
void quietQt(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "tvk: %s\n", qPrintable(message));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    if (asksForHelp(argv[1]))
        return usage(stdout, cli::kOk);
    // Device fonts are measured and drawn through Qt's font machinery, which
    // wants a GUI application; the offscreen platform needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietQt);
    QGuiApplication application(argc, argv);
    for (const cli::Command& command : kCommands) {
        if (std::strcmp(argv[1], command.name) != 0)
            continue;
        QStringList arguments;
        for (int i = 2; i < argc; ++i)
            arguments << QString::fromLocal8Bit(argv[i]);
        // The engine holds its own memory to budgets; this is for what
        // still runs out, which ends the command with a reason, not an abort.
        try {
            return command.run(arguments);
        } catch (const std::bad_alloc&) {
            return cli::fail(QStringLiteral("%1: out of memory").arg(QString::fromLocal8Bit(argv[1])));
        }
    }
    cli::fail(QStringLiteral("unknown command '%1'").arg(QString::fromLocal8Bit(argv[1])), cli::kUsage);
    return usage();
}
