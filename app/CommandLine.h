#pragma once

// What the program was asked to do when started: play a movie, or only
// tell how it is used or which version it is.

#include <QString>
#include <QStringList>

namespace app {

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString movie; // a path or an address; empty to start with none
    QString error; // what was wrong, for Action::Error
};

// `arguments` without the program's own name.
CommandLine parseCommandLine(const QStringList& arguments);

QString helpText();
QString versionText();

} // namespace app
