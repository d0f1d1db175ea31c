// Runs every movie of the reference corpus's image folder the way the
// reference player was run (load, then ten frames with no wall clock),
// renders the stage at 1:1 and compares it with the recorded picture.
// Cases listed in image-expected-passes.txt must keep passing; the others
// are counted and listed so progress shows.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>

#include <cmath>
#include <cstdio>
#include <set>

#include "ImageCompare.h"
#include "NameList.h"
#include "swf/Player.h"
#include "swf/Renderer.h"

namespace {

constexpr int kAdvances = 10;
constexpr double kMaxSide = 4096;

QString corpusFolder()
{
    return QStringLiteral(TVK_CORPUS_DIR "/image");
}

std::set<QString> expectedPasses() { return corpus::readNameList(QStringLiteral(TVK_EXPECTED_PASSES)); }

// The stage after the corpus protocol, or a null image when the movie
// cannot be shown at all.
QImage renderCase(const QString& moviePath)
{
    QFile file(moviePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    swf::Player player;
    player.open();
    player.feed(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())));
    player.finish();
    if (!player.hasMovie())
        return {};
    for (int i = 0; i < kAdvances; ++i)
        player.advance();
    const swf::Rect& stage = player.header()->frameSize;
    const double width = std::round(stage.width() / 20.0);
    const double height = std::round(stage.height() / 20.0);
    if (!(width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide))
        return {};
    QImage image(int(width), int(height), QImage::Format_RGB32);
    swf::render(player, image, {swf::ScaleMode::ExactFit, swf::Quality::High});
    return image;
}

} // namespace

TEST(CorpusImages, ExpectedCasesPassAndProgressIsReported)
{
    const QDir folder(corpusFolder());
    if (!folder.exists())
        GTEST_SKIP() << "no reference corpus at " << corpusFolder().toStdString();

    const std::set<QString> expected = expectedPasses();
    QStringList passed;
    QStringList failed;
    QStringList regressions;
    for (const QString& name : folder.entryList({QStringLiteral("*.swf")}, QDir::Files, QDir::Name)) {
        const QImage reference(folder.filePath(name + QStringLiteral(".png")));
        if (reference.isNull())
            continue;
        const QImage rendered = renderCase(folder.filePath(name));
        const ImageComparison result = compareImages(rendered, reference);
        if (result.passes()) {
            passed << name;
        } else {
            failed << QStringLiteral("%1 (%2)").arg(name, result.sameSize ? QStringLiteral("bad %1").arg(result.badFraction, 0, 'f', 4) : QStringLiteral("size"));
            if (expected.count(name))
                regressions << name;
        }
    }

    std::printf("corpus image: %lld passed, %lld failed\n", qlonglong(passed.size()), qlonglong(failed.size()));
    for (const QString& name : passed) {
        if (!expected.count(name))
            std::printf("  newly passing (add to the expected list): %s\n", qPrintable(name));
    }
    if (qEnvironmentVariableIsSet("TVK_CORPUS_VERBOSE")) {
        for (const QString& line : failed)
            std::printf("  failing: %s\n", qPrintable(line));
    }
    EXPECT_TRUE(regressions.isEmpty()) << "cases that passed before fail now: "
                                        << regressions.join(QStringLiteral(", ")).toStdString();
}
