// Runs every movie of the reference corpus's sound folder through
// `tvk run --audio-out` as people run it (load, then ten frames with no
// wall clock) and compares each recorded sound with the capture of the same
// name under the corpus rule. Cases listed in sound-expected-passes.txt
// must keep passing.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <set>
#include <vector>

#include "NameList.h"
#include "SoundCompare.h"

namespace {

constexpr int kAdvances = 10;
constexpr int kTimeoutMs = 30'000;

std::vector<std::int16_t> readSamples(const QString& path, bool& found)
{
    QFile file(path);
    found = file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    std::vector<std::int16_t> samples(std::size_t(bytes.size()) / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = std::int16_t(std::uint8_t(bytes[qsizetype(2 * i)]) | (std::uint8_t(bytes[qsizetype(2 * i + 1)]) << 8));
    return samples;
}

// Whether every sound recorded for `movie` was captured and matches.
bool soundsMatch(const QDir& folder, const QString& movie, const QString& captures, QStringList& report)
{
    QProcess process;
    process.start(QStringLiteral(TVK_BINARY), {QStringLiteral("run"), folder.filePath(movie), QStringLiteral("--frames"),
                                                QString::number(kAdvances), QStringLiteral("--audio-out"), captures});
    if (!process.waitForFinished(kTimeoutMs) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        process.kill();
        process.waitForFinished();
        report << movie + QStringLiteral(": tvk crashed, hung or failed");
        return false;
    }
    bool all = true;
    for (const QString& recorded : folder.entryList({movie + QStringLiteral(".*.raw")}, QDir::Files, QDir::Name)) {
        bool haveReference = false;
        bool haveCapture = false;
        const std::vector<std::int16_t> reference = readSamples(folder.filePath(recorded), haveReference);
        const std::vector<std::int16_t> captured = atReferenceRate(readSamples(QDir(captures).filePath(recorded), haveCapture));
        const SoundComparison comparison = compareSounds(captured, reference);
        const bool ok = haveReference && haveCapture && comparison.passes();
        if (!ok)
            report << QStringLiteral("%1: %2 snr=%3dB frames=%4/%5")
                          .arg(recorded, haveCapture ? QStringLiteral("differs") : QStringLiteral("not started"))
                          .arg(comparison.snr, 0, 'f', 1)
                          .arg(captured.size() / 2)
                          .arg(reference.size() / 2);
        all = all && ok;
    }
    return all;
}

} // namespace

TEST(CorpusSounds, ExpectedCasesPassAndProgressIsReported)
{
    const QDir folder(QStringLiteral(TVK_CORPUS_DIR "/sound"));
    if (!folder.exists())
        GTEST_SKIP() << "no reference corpus at " << folder.path().toStdString();
    QTemporaryDir captures;
    ASSERT_TRUE(captures.isValid());

    const std::set<QString> expected = corpus::readNameList(QStringLiteral(TVK_SOUND_EXPECTED_PASSES));
    const QStringList names = folder.entryList({QStringLiteral("*.swf")}, QDir::Files, QDir::Name);
    QStringList report;
    QStringList regressions;
    int passed = 0;
    for (const QString& name : names) {
        if (soundsMatch(folder, name, captures.path(), report)) {
            ++passed;
            if (!expected.count(name))
                std::printf("  newly passing (add to the expected list): %s\n", qPrintable(name));
        } else if (expected.count(name)) {
            regressions << name;
        }
    }
    std::printf("corpus sound: %d passed, %lld failed\n", passed, qlonglong(names.size() - passed));
    for (const QString& line : report)
        std::printf("  %s\n", qPrintable(line));
    EXPECT_TRUE(regressions.isEmpty()) << "cases that passed before fail now: " << regressions.join(QStringLiteral(", ")).toStdString();
}

// The rule itself, on a tone against copies of it: the SNR threshold and
// the length slack at their edges.
TEST(SoundCompare, LengthSlackAndNoiseDecideAsTheRuleSays)
{
    std::vector<std::int16_t> tone(2 * 100'000);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = std::int16_t(((i / 2) % 100 < 50) ? 10'000 : -10'000);
    const auto variant = [&](std::size_t frames, std::int16_t offset) {
        std::vector<std::int16_t> copy(2 * frames, 0);
        for (std::size_t i = 0; i < copy.size() && i < tone.size(); ++i)
            copy[i] = std::int16_t(tone[i] + offset);
        return copy;
    };
    struct Case {
        const char* what;
        std::vector<std::int16_t> captured;
        std::vector<std::int16_t> reference;
        bool passes;
    };
    const std::vector<Case> cases = {
        {"identical", tone, tone, true},
        {"2% shorter", variant(98'000, 0), tone, true},
        {"more than 2% shorter", variant(97'999, 0), tone, false},
        {"short sound, 1470 frames longer", variant(2'470, 0), variant(1'000, 0), true},
        {"short sound, 1471 frames longer", variant(2'471, 0), variant(1'000, 0), false},
        {"offset at 40.0 dB", variant(100'000, 100), tone, true},  // 10000/100 = 40 dB
        {"offset at 39.2 dB", variant(100'000, 110), tone, false},
        {"both silent", std::vector<std::int16_t>(200, 0), std::vector<std::int16_t>(200, 0), true},
        {"sound against silence", variant(100, 0), std::vector<std::int16_t>(200, 0), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(compareSounds(c.captured, c.reference).passes(), c.passes) << c.what;
}
