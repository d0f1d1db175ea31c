// The hostile battery: movies that lie about what they hold, each run
// through tvk as a child process with 2 GB of address space. None may end
// in a signal, run past 20 s or grow past 1 GB.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <QImage>
#include <QTemporaryDir>

#include "HostileMovies.h"
#include "LimitedRun.h"

namespace {

constexpr unsigned long long kAddressSpace = 2ull << 30;
constexpr int kWallClockMs = 20'000;
constexpr long kMaxPeakKb = 1 << 20;
constexpr long kSmallPeakKb = 128 << 10;

// What a rendered frame must show, or an empty string.
using PictureCheck = std::function<std::string(const QImage&)>;

PictureCheck redAt(int x, int y)
{
    return [x, y](const QImage& image) -> std::string {
        if (image.isNull())
            return "no image";
        if (image.pixel(x, y) == qRgb(255, 0, 0))
            return {};
        char text[64];
        std::snprintf(text, sizeof text, "pixel (%d, %d) is #%06x, not red", x, y, image.pixel(x, y) & 0xFFFFFF);
        return text;
    };
}

struct Family {
    std::string name;
    bool (*write)(const std::string& path);
    int frames = 1;
    PictureCheck picture;
    // Movies that need next to nothing are held to much less than 1 GB.
    long peakKb = kMaxPeakKb;
};

struct Row {
    std::string family;
    std::string command;
    hostile::RunResult run;
    std::string failure; // empty when it held
};

std::string verdictOf(const hostile::RunResult& run, int wallClockMs, long peakKb)
{
    if (!run.started)
        return "did not start";
    if (run.timedOut)
        return "still running after " + std::to_string(wallClockMs / 1000) + " s";
    if (run.signal != 0)
        return "ended by signal " + std::to_string(run.signal);
    if (run.exitCode != 0 && run.exitCode != 1)
        return "exit status " + std::to_string(run.exitCode);
    if (run.peakKb > peakKb)
        return "peak of " + std::to_string(run.peakKb / 1024) + " MB";
    return {};
}

} // namespace

TEST(HostileBattery, NoMovieAbortsHangsOrEatsMemory)
{
    const std::vector<Family> families {
        {"sprite-tags", hostile::writeSpriteOfTags},
        {"diagnostics-bomb", hostile::writeDiagnosticsBomb},
        {"self-placing-sprite", hostile::writeSelfPlacingSprite, 1, redAt(320, 220)},
        {"compressed-body", hostile::writeCompressedBody, 1, {}, kSmallPeakKb},
        {"lossless-run", hostile::writeLosslessRun},
        {"jpeg-claim", hostile::writeJpegClaim, 1, {}, kSmallPeakKb},
        {"nested-filters", hostile::writeNestedFilters},
        {"many-filters", hostile::writeManyFilters, 1, redAt(275, 200)},
        {"wide-blur", hostile::writeWideBlur},
        {"morph-edges", hostile::writeMorphEdges},
        {"walked-square", hostile::writeWalkedSquare, 1, redAt(200, 200)},
        {"nested-html", hostile::writeNestedHtml},
        {"huge-stage", hostile::writeHugeStage},
    };
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const std::string dir = scratch.path().toStdString();
    std::vector<Row> rows;
    for (const Family& family : families) {
        const std::string movie = dir + "/" + family.name + ".swf";
        ASSERT_TRUE(family.write(movie)) << family.name;
        const hostile::RunLimits limits {kAddressSpace, kWallClockMs};
        const std::string image = dir + "/" + family.name + ".png";
        const std::vector<std::vector<std::string>> commands {
            {TVK_BINARY, "info", movie},
            {TVK_BINARY, "render", movie, "-o", image, "--frames", std::to_string(family.frames)},
        };
        for (const auto& command : commands) {
            Row row {family.name, command[1], hostile::runLimited(command, limits, dir), {}};
            row.failure = verdictOf(row.run, limits.wallClockMs, family.peakKb);
            if (row.failure.empty() && command[1] == "render" && family.picture)
                row.failure = family.picture(QImage(QString::fromStdString(image)));
            rows.push_back(row);
        }
    }

    std::printf("\n%-20s %-7s %8s %9s  %s\n", "family", "command", "seconds", "peak MB", "outcome");
    double worstSeconds = 0;
    long worstKb = 0;
    for (const Row& row : rows) {
        const std::string outcome = row.failure.empty() ? "held" : "FAILED: " + row.failure;
        std::printf("%-20s %-7s %8.2f %9ld  %s\n", row.family.c_str(), row.command.c_str(), row.run.seconds,
                    row.run.peakKb / 1024, outcome.c_str());
        worstSeconds = std::max(worstSeconds, row.run.seconds);
        worstKb = std::max(worstKb, row.run.peakKb);
        EXPECT_TRUE(row.failure.empty()) << row.family << " " << row.command << ": " << row.failure << "; " << row.run.stderrTail;
    }
    std::printf("worst: %.2f s, %ld MB\n", worstSeconds, worstKb / 1024);
    std::fflush(stdout);
}
