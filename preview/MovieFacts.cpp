#include "preview/MovieFacts.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "swf/read/Movie.h"
#include "swf/Player.h"

namespace preview {

namespace {

// Tag codes that give each kind of content away.
constexpr std::initializer_list<std::uint16_t> kScriptTags {12, 59, 72, 82};     // DoAction, DoInitAction, DoABC, DoABC2
constexpr std::initializer_list<std::uint16_t> kSoundTags {14, 18, 45};          // DefineSound, SoundStreamHead(2)
constexpr std::initializer_list<std::uint16_t> kVideoTags {60, 61};              // DefineVideoStream, VideoFrame

bool anyOf(const std::map<std::uint16_t, int>& counts, std::initializer_list<std::uint16_t> codes)
{
    return std::any_of(codes.begin(), codes.end(), [&counts](std::uint16_t code) { return counts.contains(code); });
}

QString compressionText(swf::Compression compression)
{
    switch (compression) {
    case swf::Compression::None:
        return QStringLiteral("not compressed");
    case swf::Compression::Zlib:
        return QStringLiteral("compressed with zlib");
    case swf::Compression::Lzma:
        return QStringLiteral("compressed with LZMA");
    }
    return {};
}

QString rateText(double rate)
{
    // 8.8 fixed point: two decimals say all there is, and whole rates read best bare.
    return rate == std::floor(rate) ? QString::number(int(rate)) : QString::number(rate, 'f', 2);
}

} // namespace

MovieFacts factsOf(const swf::Player& player)
{
    const swf::Header& header = *player.header();
    MovieFacts facts;
    facts.version = header.version;
    // A hostile RECT can be inside out; it has no area, not a negative one.
    facts.stagePixels = QSize(std::max(0, header.frameSize.width() / 20), std::max(0, header.frameSize.height() / 20));
    facts.frameRate = header.frameRate();
    facts.frameCount = header.frameCount;
    facts.compression = header.compression;
    if (const swf::Movie* movie = player.movie()) {
        const std::map<std::uint16_t, int> counts = movie->tagCounts();
        facts.usesScript = anyOf(counts, kScriptTags);
        facts.usesSound = anyOf(counts, kSoundTags);
        facts.usesVideo = anyOf(counts, kVideoTags);
    }
    return facts;
}

QStringList describe(const MovieFacts& facts)
{
    QStringList content;
    if (facts.usesScript)
        content << QStringLiteral("script");
    if (facts.usesSound)
        content << QStringLiteral("sound");
    if (facts.usesVideo)
        content << QStringLiteral("video");
    QString uses = content.isEmpty() ? QStringLiteral("No script, sound or video")
                                     : QStringLiteral("Uses ") + content.join(QStringLiteral(", "));
    return {
        QStringLiteral("Flash version %1, %2").arg(facts.version).arg(compressionText(facts.compression)),
        QStringLiteral("Stage %1 × %2 pixels").arg(facts.stagePixels.width()).arg(facts.stagePixels.height()),
        QStringLiteral("%1 %2 at %3 fps")
            .arg(facts.frameCount)
            .arg(facts.frameCount == 1 ? QStringLiteral("frame") : QStringLiteral("frames"), rateText(facts.frameRate)),
        uses,
    };
}

} // namespace preview
