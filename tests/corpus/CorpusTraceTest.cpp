// Runs every movie of the reference corpus's trace folder through `tvk run`
// as people run it (load, then ten frames with no wall clock, trace lines
// on stdout) and compares the output with the recorded trace byte for
// byte. Cases listed in trace-expected-passes.txt must keep passing; the
// rest are counted per family so progress shows.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <set>
#include <thread>
#include <vector>

#include "NameList.h"

namespace {

constexpr int kAdvances = 10;
constexpr int kTimeoutMs = 30'000;
constexpr int kWorkers = 2;

std::set<QString> expectedPasses() { return corpus::readNameList(QStringLiteral(TVK_TRACE_EXPECTED_PASSES)); }

// A movie's family is its name up to the first '-', '_', digit or '.'.
QString familyOf(const QString& name)
{
    int end = 0;
    while (end < name.size() && !QStringLiteral("-_.0123456789").contains(name[end]))
        ++end;
    return name.left(end);
}

// What `tvk run` printed, or nothing with `clean` false when it crashed,
// hung or failed.
QByteArray runCase(const QString& moviePath, bool& clean)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(QStringLiteral(TVK_BINARY),
                  {QStringLiteral("run"), moviePath, QStringLiteral("--frames"), QString::number(kAdvances), QStringLiteral("--trace")});
    if (!process.waitForFinished(kTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        clean = false;
        return {};
    }
    clean = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return process.readAllStandardOutput();
}

} // namespace

TEST(CorpusTraces, ExpectedCasesPassAndProgressIsReported)
{
    const QDir folder(QStringLiteral(TVK_CORPUS_DIR "/trace"));
    if (!folder.exists())
        GTEST_SKIP() << "no reference corpus at " << folder.path().toStdString();

    const QStringList names = folder.entryList({QStringLiteral("*.swf")}, QDir::Files, QDir::Name);
    std::vector<char> passes(std::size_t(names.size()), 0);
    std::vector<char> crashes(std::size_t(names.size()), 0);
    std::atomic<int> next {0};
    const auto work = [&] {
        for (int i = next++; i < names.size(); i = next++) {
            QFile expected(folder.filePath(names[i] + QStringLiteral(".trace")));
            if (!expected.open(QIODevice::ReadOnly))
                continue;
            bool clean = false;
            const QByteArray output = runCase(folder.filePath(names[i]), clean);
            passes[std::size_t(i)] = clean && output == expected.readAll();
            crashes[std::size_t(i)] = !clean;
        }
    };
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w)
        workers.emplace_back(work);
    for (std::thread& worker : workers)
        worker.join();

    const std::set<QString> expected = expectedPasses();
    std::map<QString, std::pair<int, int>> families; // passes, total
    QStringList regressions;
    QStringList newPasses;
    QStringList crashed;
    int passed = 0;
    for (int i = 0; i < names.size(); ++i) {
        auto& family = families[familyOf(names[i])];
        ++family.second;
        if (passes[std::size_t(i)]) {
            ++family.first;
            ++passed;
            if (!expected.count(names[i]))
                newPasses << names[i];
        } else if (expected.count(names[i])) {
            regressions << names[i];
        }
        if (crashes[std::size_t(i)])
            crashed << names[i];
    }

    std::printf("corpus trace: %d passed, %lld failed\n", passed, qlonglong(names.size() - passed));
    std::printf("  %-24s %5s %5s %5s\n", "family", "pass", "total", "share");
    for (const auto& [name, counts] : families)
        std::printf("  %-24s %5d %5d %4.0f%%\n", qPrintable(name), counts.first, counts.second, 100.0 * counts.first / counts.second);
    for (const QString& name : newPasses)
        std::printf("  newly passing (add to the expected list): %s\n", qPrintable(name));
    for (const QString& name : crashed)
        std::printf("  crashed, hung or failed: %s\n", qPrintable(name));
    EXPECT_TRUE(regressions.isEmpty()) << "cases that passed before fail now: " << regressions.join(QStringLiteral(", ")).toStdString();
}
