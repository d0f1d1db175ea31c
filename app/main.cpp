#include <cstdio>

#include <QApplication>

#include "app/CommandLine.h"
#include "app/Form1.h"
#include "platform/Platform.h"

namespace {

QStringList argumentsOf(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

void print(std::FILE* stream, const QString& text)
{
    std::fputs(qPrintable(text), stream);
}

} // namespace

int main(int argc, char* argv[])
{
    // Help and version are answered before anything needs a display.
    const app::CommandLine early = app::parseCommandLine(argumentsOf(argc, argv));
    if (early.action == app::CommandLine::Action::Help) {
        print(stdout, app::helpText());
        return 0;
    }
    if (early.action == app::CommandLine::Action::Version) {
        print(stdout, app::versionText());
        return 0;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tovimark"));
    QApplication::setOrganizationName(QStringLiteral("Brindlewick"));
    QApplication::setApplicationVersion(QStringLiteral(TVK_VERSION));
    // Lets the desktop match our windows to the installed desktop entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("tovimark"));

    // Qt has taken its own options (-platform and the like) out by now.
    const app::CommandLine command = app::parseCommandLine(QApplication::arguments().mid(1));
    if (command.action == app::CommandLine::Action::Error) {
        print(stderr, QStringLiteral("tovimark: %1\nTry 'tovimark --help' for more information.\n").arg(command.error));
        return 2;
    }

    auto* form1 = new app::Form1(platform::Platform::system());
    form1->setAttribute(Qt::WA_DeleteOnClose);
    form1->showCentered();
    if (!command.movie.isEmpty())
        form1->openFromCommandLine(command.movie);
    return application.exec();
}
