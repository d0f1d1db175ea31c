#include "app/CommandLine.h"

namespace app {

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine command;
    bool optionsEnded = false;
    for (const QString& argument : arguments) {
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            if (argument == QLatin1String("-h") || argument == QLatin1String("--help"))
                return {CommandLine::Action::Help, {}, {}};
            if (argument == QLatin1String("-v") || argument == QLatin1String("--version"))
                return {CommandLine::Action::Version, {}, {}};
            command = {CommandLine::Action::Error, {}, QStringLiteral("unknown option '%1'").arg(argument)};
            continue;
        }
        if (command.action == CommandLine::Action::Error)
            continue;
        if (!command.movie.isEmpty()) {
            command = {CommandLine::Action::Error, {}, QStringLiteral("one movie at a time, not '%1' too").arg(argument)};
            continue;
        }
        command.movie = argument;
    }
    return command;
}

QString helpText()
{
    return QStringLiteral(
        "Usage: tovimark [OPTION] [FILE|URL]\n"
        "Play a Flash movie and browse folders of them.\n"
        "\n"
        "With a FILE, the browser opens at its folder and the movie plays;\n"
        "with a URL (http or https), the movie plays from there; with a\n"
        "folder, the browser opens there.\n"
        "\n"
        "  -h, --help     show this help and exit\n"
        "  -v, --version  show the version and exit\n"
        "\n"
        "Qt's own options (such as -platform NAME) are understood too.\n");
}

QString versionText()
{
    return QStringLiteral("tovimark " TVK_VERSION "\n");
}

} // namespace app
