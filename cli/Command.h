#pragma once

#include <QString>
#include <QStringList>

namespace cli {

// Exit statuses shared by every subcommand.
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;

// One subcommand: the arguments after its name in, an exit status out.
struct Command {
    const char* name;
    const char* usage;
    int (*run)(const QStringList& arguments);
};

// The one-line reason on stderr that every failure ends with.
int fail(const QString& reason, int status = kFailed);

int runInfo(const QStringList& arguments);
int runRender(const QStringList& arguments);
int runThumbnail(const QStringList& arguments);
int runBench(const QStringList& arguments);
int runRun(const QStringList& arguments);

} // namespace cli
