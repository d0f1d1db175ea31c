#include <gtest/gtest.h>

#include <QFile>

#include <algorithm>
#include <span>
#include <vector>

#include "swf/media/Mp3File.h"

using namespace swf;

namespace {

std::vector<std::uint8_t> corpusMp3()
{
    QFile file(QStringLiteral(TVK_CORPUS_DIR "/trace/test.mp3"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

} // namespace

// The corpus's MP3 is 44.1 kHz mono; its LAME info frame counts 40 frames
// of sound after itself, 1,152 samples each.
TEST(Mp3File, DecodesFramesAfterTheInfoFrameAndRefusesWhatIsNoMp3)
{
    const std::vector<std::uint8_t> mp3 = corpusMp3();
    ASSERT_FALSE(mp3.empty());
    constexpr std::size_t kWhole = 40 * 1152;
    const std::vector<std::uint8_t> tagged = [&] {
        // The same audio behind an ID3v2 tag of 20 bytes.
        std::vector<std::uint8_t> bytes {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20, 'T', 'I', 'T', '2', 0, 0, 0, 3, 0, 0, 0, 'H', 'i'};
        bytes.resize(30, 0);
        bytes.insert(bytes.end(), mp3.begin(), mp3.end());
        return bytes;
    }();
    const struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
        std::size_t maxFrames;
        std::size_t minFrames; // 0: refused
        std::size_t frames;
    } cases[] {
        {"whole", mp3, 1'000'000, kWhole, kWhole},
        {"behind a tag", tagged, 1'000'000, kWhole, kWhole},
        {"capped", mp3, 5000, 5000, 5000},
        {"cut in half", std::vector<std::uint8_t>(mp3.begin(), mp3.begin() + std::ptrdiff_t(mp3.size() / 2)), 1'000'000, kWhole / 2 - 2 * 1152,
         kWhole / 2 + 1152},
        {"text", std::vector<std::uint8_t>(2000, 'a'), 1'000'000, 0, 0},
        {"empty", {}, 1'000'000, 0, 0},
    };
    for (const Case& c : cases) {
        const Result<Mp3File> decoded = decodeMp3File(c.file, c.maxFrames);
        if (c.minFrames == 0) {
            EXPECT_FALSE(decoded.ok()) << c.what;
            continue;
        }
        ASSERT_TRUE(decoded.ok()) << c.what << ": " << decoded.error();
        EXPECT_EQ(decoded.value().sound.doubledRate, 88'200) << c.what;
        EXPECT_EQ(decoded.value().sound.channels, 1) << c.what;
        EXPECT_GE(decoded.value().sound.frames(), c.minFrames) << c.what;
        EXPECT_LE(decoded.value().sound.frames(), c.frames) << c.what;
    }
    EXPECT_EQ(*decodeMp3File(tagged, 10).value().tags.find("TIT2"), "Hi");
}

// A file decoded as it arrives, in pieces of any size, gives what the whole
// file decodes to; what is no MP3 is refused once a header should have come.
TEST(Mp3File, ReadAsItArrivesItDecodesAsWhole)
{
    const std::vector<std::uint8_t> mp3 = corpusMp3();
    ASSERT_FALSE(mp3.empty());
    std::vector<std::uint8_t> tagged {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20};
    tagged.resize(30, 0);
    tagged.insert(tagged.end(), mp3.begin(), mp3.end());
    tagged.insert(tagged.end(), {'T', 'A', 'G'});
    tagged.resize(tagged.size() + 125, 'x');
    for (const std::size_t piece : {std::size_t(1), std::size_t(7), std::size_t(333), std::size_t(4096), tagged.size()}) {
        for (const std::size_t maxFrames : {std::size_t(1'000'000), std::size_t(5000)}) {
            const Result<Mp3File> whole = decodeMp3File(tagged, maxFrames);
            ASSERT_TRUE(whole.ok());
            Mp3FileReader reader;
            std::vector<std::int16_t> samples;
            for (std::size_t at = 0; at < tagged.size(); at += piece)
                ASSERT_TRUE(reader.append(std::span(tagged).subspan(at, std::min(piece, tagged.size() - at)), samples, maxFrames));
            ASSERT_TRUE(reader.header());
            EXPECT_EQ(reader.header()->sampleRate, 44'100);
            EXPECT_EQ(reader.frames(), samples.size());
            EXPECT_EQ(samples, whole.value().sound.samples) << "pieces of " << piece << ", at most " << maxFrames;
        }
    }
    Mp3FileReader text;
    std::vector<std::int16_t> none;
    EXPECT_TRUE(text.append(std::vector<std::uint8_t>(2000, 'a'), none, 1000)) << "a header may yet come";
    EXPECT_FALSE(text.append(std::vector<std::uint8_t>(70'000, 'a'), none, 1000));
    EXPECT_TRUE(none.empty());
}
