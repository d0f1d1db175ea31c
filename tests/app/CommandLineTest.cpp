#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace {

using app::CommandLine;
using Action = CommandLine::Action;

TEST(CommandLine, OneMovieOrAQuestionAnythingElseIsAnError)
{
    struct Case {
        QStringList arguments;
        Action action;
        QString movie;
    };
    const Case cases[] {
        {{}, Action::Run, {}},
        {{"/movies/intro.swf"}, Action::Run, "/movies/intro.swf"},
        {{"https://example.com/a.swf"}, Action::Run, "https://example.com/a.swf"},
        {{"--", "-odd name.swf"}, Action::Run, "-odd name.swf"},
        {{"-"}, Action::Run, "-"},
        {{"--help"}, Action::Help, {}},
        {{"a.swf", "-h"}, Action::Help, {}},
        {{"--version"}, Action::Version, {}},
        {{"-v"}, Action::Version, {}},
        {{"--bogus", "--help"}, Action::Help, {}}, // a question is answered whatever else is there
        {{"--bogus"}, Action::Error, {}},
        {{"a.swf", "b.swf"}, Action::Error, {}},
    };
    for (const Case& c : cases) {
        const CommandLine command = app::parseCommandLine(c.arguments);
        EXPECT_EQ(command.action, c.action) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(command.movie, c.movie) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(command.error.isEmpty(), c.action != Action::Error) << c.arguments.join(' ').toStdString();
    }
}

TEST(CommandLine, HelpAndVersionEndInANewline)
{
    EXPECT_TRUE(app::helpText().startsWith(QStringLiteral("Usage: tovimark")));
    EXPECT_TRUE(app::helpText().endsWith(QLatin1Char('\n')));
    EXPECT_EQ(app::versionText(), QStringLiteral("tovimark " TVK_VERSION "\n"));
}

} // namespace
