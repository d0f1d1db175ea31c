// Decoding cost of a 640x480 video at 25 frames a second, as the share of
// one core a second of playback takes: the engine's decoder (libavcodec
// plus the conversion to premultiplied pixels) beside libavcodec decoding
// the same packets alone, measured in the same run. FFmpeg has no VP6
// encoder, so the clips are the codecs it can encode that a movie carries:
// Sorenson H.263 (VP6's predecessor in Flash, a similar block codec) and
// H.264 (heavier than VP6).

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "support/BareDecode.h"
#include "support/VideoClips.h"
#include "swf/media/VideoCodec.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFrames = 100; // four seconds
constexpr double kFps = 25;
constexpr double kGoal = 0.25;
constexpr int kRounds = 3;

double cpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// libavcodec alone: the frames decoded and dropped, the decoder opened
// beforehand as the engine's is; negative when it cannot be.
double decodeBare(const swftest::VideoClip& clip, AVCodecID id)
{
    swftest::BareDecoder decoder(id, clip.extradata);
    if (!decoder.ok()) {
        std::fprintf(stderr, "bench_video: this FFmpeg cannot decode what it encoded\n");
        return -1;
    }
    const double start = cpuSeconds();
    decoder.decode(clip.packets);
    return cpuSeconds() - start;
}

double decodeEngine(const swftest::VideoClip& clip)
{
    std::string error;
    const auto codec = swf::VideoCodec::open(clip.codec, error, clip.extradata);
    if (!codec) {
        std::fprintf(stderr, "bench_video: %s\n", error.c_str());
        return -1;
    }
    const double start = cpuSeconds();
    for (const auto& data : clip.packets)
        codec->decode(data, error);
    return cpuSeconds() - start;
}

} // namespace

int main()
{
    const double playback = kFrames / kFps;
    std::printf("%dx%d at %.0f fps, %d frames (%.1f s of playback), best of %d rounds\n", kWidth, kHeight, kFps, kFrames, playback,
                kRounds);
    std::printf("%-8s %14s %14s %7s %6s\n", "codec", "libavcodec", "engine", "ratio", "goal");
    bool met = true;
    for (const auto& [encoder, id] : {std::pair {"flv", AV_CODEC_ID_FLV1}, std::pair {"libx264", AV_CODEC_ID_H264}}) {
        std::string whyNot;
        const auto clip = swftest::encodeVideoClip(encoder, kWidth, kHeight, kFrames, 50, whyNot);
        if (!clip) {
            std::printf("%-8s skipped: %s\n", encoder, whyNot.c_str());
            continue;
        }
        double bare = 1e9, engine = 1e9;
        for (int round = 0; round < kRounds; ++round) {
            const double bareRound = decodeBare(*clip, id);
            const double engineRound = decodeEngine(*clip);
            if (bareRound < 0 || engineRound < 0)
                return 2;
            bare = std::min(bare, bareRound);
            engine = std::min(engine, engineRound);
        }
        const double share = engine / playback;
        met = met && share < kGoal;
        std::printf("%-8s %13.1f%% %13.1f%% %6.2fx %5.0f%%  %s\n", encoder, 100 * bare / playback, 100 * share, engine / bare, 100 * kGoal,
                    share < kGoal ? "met" : "NOT met");
    }
    std::printf("(share of one core per second of playback; ratio: engine over libavcodec alone)\n");
    return met ? 0 : 1;
}
