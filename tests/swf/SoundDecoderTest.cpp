#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "support/SoundClips.h"
#include "swf/media/SoundDecoder.h"

using namespace swf;

namespace {

std::uint8_t formatByte(SoundCodec codec, int rateCode, bool is16Bit, bool stereo)
{
    return std::uint8_t(std::uint8_t(codec) << 4 | rateCode << 2 | (is16Bit ? 2 : 0) | (stereo ? 1 : 0));
}

// Two seconds (or `seconds`) of a 1 kHz tone at `rate`, half of full
// scale, as one piece of data; empty when this FFmpeg has no such encoder.
std::vector<std::uint8_t> encodedTone(const char* encoder, int rate, double seconds = 2)
{
    return swftest::joinedPackets(swftest::encodeTone({encoder, rate, 1, seconds}));
}

// Crossings of zero a second, over the middle half, where codec delays and
// start-up do not reach: twice the tone's frequency.
double crossingsPerSecond(const PcmSound& sound)
{
    const std::size_t from = sound.frames() / 4;
    const std::size_t to = 3 * sound.frames() / 4;
    int crossings = 0;
    for (std::size_t i = from + 1; i < to; ++i)
        crossings += (sound.samples[i - 1] < 0) != (sound.samples[i] < 0);
    return crossings * (sound.doubledRate / 2.0) / double(to - from);
}

double rms(const PcmSound& sound)
{
    double sum = 0;
    for (std::int16_t sample : sound.samples)
        sum += double(sample) * sample;
    return std::sqrt(sum / double(std::max<std::size_t>(1, sound.samples.size())));
}

} // namespace

TEST(SoundDecoder, PcmKeepsItsSamplesInEveryLayout)
{
    struct Case {
        const char* what;
        std::uint8_t format;
        std::vector<std::uint8_t> data;
        std::uint32_t declared;
        std::vector<std::int16_t> samples;
    };
    const std::vector<Case> cases = {
        {"16-bit little-endian", formatByte(SoundCodec::PcmLittle, 3, true, false), {0x34, 0x12, 0xFF, 0xFF}, 2, {0x1234, -1}},
        {"native order read as little-endian", formatByte(SoundCodec::PcmNative, 3, true, false), {0x34, 0x12}, 1, {0x1234}},
        {"8-bit is unsigned", formatByte(SoundCodec::PcmLittle, 1, false, false), {0x80, 0xFF, 0x00}, 3, {0, 127 << 8, -32768}},
        {"stereo pairs", formatByte(SoundCodec::PcmLittle, 2, true, true), {1, 0, 2, 0, 3, 0, 4, 0}, 2, {1, 2, 3, 4}},
        {"declared count cuts the data", formatByte(SoundCodec::PcmLittle, 3, true, false), {1, 0, 2, 0, 3, 0}, 2, {1, 2}},
        {"an odd byte and half a pair go", formatByte(SoundCodec::PcmLittle, 3, true, true), {1, 0, 2, 0, 3, 0, 9}, 9, {1, 2}},
        {"no data", formatByte(SoundCodec::PcmLittle, 3, true, false), {}, 100, {}},
    };
    for (const Case& c : cases) {
        const Result<PcmSound> sound = decodeEventSound(SoundFormat::fromByte(c.format), c.declared, c.data);
        ASSERT_TRUE(sound.ok()) << c.what;
        EXPECT_EQ(sound.value().samples, c.samples) << c.what;
    }
}

// Each compressed format, encoded from a 1 kHz tone by FFmpeg, decodes to a
// tone of that pitch and about that level, as long as declared.
TEST(SoundDecoder, CompressedTonesComeBackAsTones)
{
    struct Case {
        const char* what;
        const char* encoder;
        int rate;
        std::uint8_t format;
    };
    const std::vector<Case> cases = {
        {"MP3 at 44 kHz", "libmp3lame", 44'100, formatByte(SoundCodec::Mp3, 3, true, false)},
        {"MP3 at 22 kHz", "libmp3lame", 22'050, formatByte(SoundCodec::Mp3, 2, true, false)},
        {"Nellymoser at 44 kHz", "nellymoser", 44'100, formatByte(SoundCodec::Nellymoser, 3, true, false)},
        {"Nellymoser 8 kHz", "nellymoser", 8'000, formatByte(SoundCodec::Nellymoser8k, 0, true, false)},
        {"Nellymoser 16 kHz", "nellymoser", 16'000, formatByte(SoundCodec::Nellymoser16k, 0, true, false)},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> data = encodedTone(c.encoder, c.rate);
        if (data.empty()) {
            std::printf("  no encoder in this FFmpeg for %s; not checked\n", c.what);
            continue;
        }
        if (std::string_view(c.encoder) == "libmp3lame")
            data.insert(data.begin(), {0, 0}); // no samples to skip
        const Result<PcmSound> sound = decodeEventSound(SoundFormat::fromByte(c.format), std::uint32_t(2 * c.rate), data);
        ASSERT_TRUE(sound.ok()) << c.what << ": " << sound.error();
        EXPECT_EQ(sound.value().doubledRate, 2 * c.rate) << c.what;
        EXPECT_NEAR(double(sound.value().frames()), 2.0 * c.rate, 0.02 * c.rate) << c.what;
        EXPECT_NEAR(crossingsPerSecond(sound.value()), 2000, 40) << c.what;
        // Lossy coders of speech keep a pure tone's level only roughly; this
        // tells a tone from silence or noise at full scale.
        const double toneLevel = 0.5 * 32767 / std::sqrt(2.0);
        EXPECT_GT(rms(sound.value()), 0.1 * toneLevel) << c.what;
        EXPECT_LT(rms(sound.value()), 1.5 * toneLevel) << c.what;
    }
}

// A Speex stream, a packet a block, as streams carry it, whether each
// packet holds one frame or several back to back; and a sound whose data is
// all the packets in one, each filled out to a whole byte. The bit rates
// leave 1, 5 and 4 bits of fill after a frame.
TEST(SoundDecoder, SpeexBlocksComeBackAsAToneWhateverTheFramesInThem)
{
    for (const auto& [framesPerPacket, bitRate] : {std::pair {1, 4'000}, std::pair {1, 8'000}, std::pair {1, 64'000}, std::pair {4, 4'000},
                                                  std::pair {4, 64'000}}) {
        const std::vector<std::vector<std::uint8_t>> packets = swftest::encodeTone({"libspeex", 16'000, 1, 2, 1000, 0.5, bitRate, framesPerPacket}).packets;
        if (packets.empty())
            GTEST_SKIP() << "no Speex encoder in this FFmpeg";
        std::vector<std::uint8_t> joined;
        SoundDecoder decoder(SoundFormat::fromByte(formatByte(SoundCodec::Speex, 0, true, false)));
        PcmSound stream;
        stream.doubledRate = 32'000;
        for (const std::vector<std::uint8_t>& packet : packets) {
            EXPECT_TRUE(decoder.decode(packet, stream.samples));
            joined.insert(joined.end(), packet.begin(), packet.end());
        }
        const Result<PcmSound> whole = decodeEventSound(SoundFormat::fromByte(formatByte(SoundCodec::Speex, 0, true, false)), 32'000, joined);
        ASSERT_TRUE(whole.ok()) << whole.error();
        const std::string what = std::to_string(framesPerPacket) + " a packet at " + std::to_string(bitRate);
        EXPECT_NEAR(double(stream.frames()), 32'000, 640 * framesPerPacket) << what;
        if (bitRate == 64'000) {
            EXPECT_NEAR(crossingsPerSecond(stream), 2000, 40) << what;
            EXPECT_GT(rms(stream), 0.1 * 0.5 * 32767 / std::sqrt(2.0)) << what;
        }
        // The packets joined decode to what they decode to one by one.
        const std::vector<std::int16_t>& joinedSamples = whole.value().samples;
        EXPECT_NEAR(double(whole.value().frames()), 32'000, 640 * framesPerPacket) << what;
        ASSERT_LE(joinedSamples.size(), stream.samples.size()) << what;
        EXPECT_TRUE(std::equal(joinedSamples.begin(), joinedSamples.end(), stream.samples.begin())) << what;
    }
}

// Data cut anywhere, or noise where sound should be, decodes to what it can
// (or to a failure) and never to more than the data can justify.
TEST(SoundDecoder, HostileDataStaysBounded)
{
    const std::vector<std::uint8_t> tone = encodedTone("libmp3lame", 44'100, 1);
    const std::vector<std::uint8_t> noise = [] {
        std::vector<std::uint8_t> bytes(4096);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = std::uint8_t(i * 2654435761u >> 13);
        return bytes;
    }();
    for (const SoundCodec codec : {SoundCodec::Adpcm, SoundCodec::Mp3, SoundCodec::Nellymoser, SoundCodec::Speex, SoundCodec(7)}) {
        for (const std::vector<std::uint8_t>* source : {&tone, &noise}) {
            for (std::size_t length : {std::size_t(0), std::size_t(1), std::size_t(3), std::size_t(65), source->size() / 2}) {
                const std::span<const std::uint8_t> data(source->data(), std::min(length, source->size()));
                const Result<PcmSound> sound = decodeEventSound(SoundFormat::fromByte(formatByte(codec, 3, true, true)), 0xFFFF'FFFF, data);
                if (sound.ok()) {
                    EXPECT_LE(sound.value().frames(), data.size() * SoundDecoder::kMaxFramesPerByte + SoundDecoder::kSlackFrames)
                        << int(codec) << " " << length;
                }
            }
        }
    }
}
