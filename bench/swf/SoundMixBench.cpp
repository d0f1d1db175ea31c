// Cost of 32 MP3 event sounds playing at once, as the share of one core a
// second of playback takes: each sound decoded as the engine decodes a
// DefineSound, then all of them resampled to the output rate and mixed by
// the engine's mixer, beside libavcodec decoding the same packets alone,
// measured in the same run. The MP3 is made here by libavcodec's encoder
// (libmp3lame), a few seconds of tones, so nothing is checked in.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "support/BareDecode.h"
#include "support/SoundClips.h"
#include "swf/media/SoundDecoder.h"
#include "swf/runtime/SoundMixer.h"

namespace {

constexpr int kSounds = 32;
constexpr int kSeconds = 4;
constexpr double kGoal = 0.10;
constexpr int kRounds = 3;
// What an audio device asks for at a time.
constexpr std::size_t kPullFrames = 1024;

double cpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// libavcodec alone: every sound's decoder opened, as the engine opens one
// for each sound, and its packets decoded and dropped; negative when this
// FFmpeg cannot decode MP3.
double decodeBare(const std::vector<std::vector<std::uint8_t>>& packets)
{
    const double start = cpuSeconds();
    for (int sound = 0; sound < kSounds; ++sound) {
        swftest::BareDecoder decoder(AV_CODEC_ID_MP3);
        if (!decoder.ok())
            return -1;
        decoder.decode(packets);
    }
    return cpuSeconds() - start;
}

struct EngineCost {
    double decode = 0;
    double mix = 0;
    bool ok = false;
};

// The engine: each sound decoded from a DefineSound's data (its samples
// to skip, then the MP3 frames), then all of them started at once and
// mixed to the end, pulled as a device pulls.
EngineCost playEngine(const std::vector<std::uint8_t>& data, const swf::SoundFormat& format, std::uint32_t sampleCount)
{
    EngineCost cost;
    std::vector<std::shared_ptr<const swf::PcmSound>> sounds;
    double start = cpuSeconds();
    for (int sound = 0; sound < kSounds; ++sound) {
        swf::Result<swf::PcmSound> pcm = swf::decodeEventSound(format, sampleCount, data);
        if (!pcm) {
            std::fprintf(stderr, "bench_sound_mix: %s\n", pcm.error().c_str());
            return cost;
        }
        sounds.push_back(std::make_shared<const swf::PcmSound>(std::move(pcm.value())));
    }
    cost.decode = cpuSeconds() - start;
    swf::SoundMixer mixer;
    for (int sound = 0; sound < kSounds; ++sound)
        mixer.startEvent(std::uint16_t(sound + 1), sounds[std::size_t(sound)], {});
    if (mixer.activeCount() != kSounds) {
        std::fprintf(stderr, "bench_sound_mix: %zu of %d sounds started\n", mixer.activeCount(), kSounds);
        return cost;
    }
    std::vector<std::int16_t> out(2 * kPullFrames);
    start = cpuSeconds();
    for (std::size_t played = 0; played < std::size_t(kSeconds) * swf::SoundMixer::kOutputRate; played += kPullFrames)
        mixer.render(out);
    cost.mix = cpuSeconds() - start;
    cost.ok = true;
    return cost;
}

} // namespace

int main()
{
    std::printf("%d MP3 event sounds of %d s at once, stereo 128 kbit/s, mixed to 44.1 kHz; best of %d rounds\n", kSounds, kSeconds, kRounds);
    std::printf("%-7s %12s %12s %12s %12s %7s %6s\n", "rate", "libavcodec", "decode", "mix", "engine", "ratio", "goal");
    bool met = true;
    for (const auto& [rate, rateCode] : {std::pair {22'050, 2}, std::pair {44'100, 3}}) {
        // kSeconds of two tones in stereo.
        const std::vector<std::vector<std::uint8_t>> packets = swftest::encodeTone({"libmp3lame", rate, 2, double(kSeconds), 440, 0.5, 128'000}).packets;
        if (packets.empty()) {
            std::printf("%-7d skipped: this FFmpeg has no MP3 encoder\n", rate);
            continue;
        }
        std::vector<std::uint8_t> data {0, 0}; // no samples to skip
        for (const auto& packet : packets)
            data.insert(data.end(), packet.begin(), packet.end());
        const swf::SoundFormat format {std::uint8_t(swf::SoundCodec::Mp3), std::uint8_t(rateCode), true, true};
        double bare = 1e9;
        EngineCost best {1e9, 1e9, true};
        for (int round = 0; round < kRounds; ++round) {
            const double spent = decodeBare(packets);
            if (spent < 0) {
                std::fprintf(stderr, "bench_sound_mix: this FFmpeg has no MP3 decoder\n");
                return 2;
            }
            bare = std::min(bare, spent);
            const EngineCost cost = playEngine(data, format, std::uint32_t(rate * kSeconds));
            if (!cost.ok)
                return 2;
            best.decode = std::min(best.decode, cost.decode);
            best.mix = std::min(best.mix, cost.mix);
        }
        const double engine = best.decode + best.mix;
        const double share = engine / kSeconds;
        met = met && share < kGoal;
        std::printf("%-7d %11.2f%% %11.2f%% %11.2f%% %11.2f%% %6.2fx %5.0f%%  %s\n", rate, 100 * bare / kSeconds, 100 * best.decode / kSeconds,
                    100 * best.mix / kSeconds, 100 * share, engine / bare, 100 * kGoal, share < kGoal ? "met" : "NOT met");
    }
    std::printf("(share of one core per second of playback; engine = decode + mix; ratio: engine over libavcodec decoding alone)\n");
    return met ? 0 : 1;
}
