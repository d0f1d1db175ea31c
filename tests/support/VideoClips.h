#pragma once

// Short video clips encoded by libavcodec's own encoders, for the tests and
// benchmarks of video decoding: each frame's source picture is kept beside
// its packet so that what a decoder gives back can be compared with it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <QImage>

namespace swftest {

struct VideoClip {
    std::uint8_t codec = 0; // as DefineVideoStream numbers it
    std::vector<std::vector<std::uint8_t>> packets;
    std::vector<bool> keyFrames;
    std::vector<QImage> sources; // opaque ARGB32, one per packet
    std::vector<std::uint8_t> extradata;
};

// `frames` frames of a moving picture at `width` x `height`, encoded by the
// libavcodec encoder named `encoder` ("flv", "flashsv", "flashsv2",
// "libx264") with a key frame every `keyInterval` frames. Null, with the
// reason in `whyNot`, when this FFmpeg has no such encoder.
std::optional<VideoClip> encodeVideoClip(const std::string& encoder, int width, int height, int frames, int keyInterval,
                                         std::string& whyNot);

// A movie of the clip's size showing frame i of `clip` in its frame i, the
// way authoring tools lay embedded video out: DefineVideoStream 1, then a
// VideoFrame and a PlaceObject2 at depth 1 with ratio i in each frame.
std::vector<std::uint8_t> embeddedVideoMovie(const VideoClip& clip, int width, int height);

// Audio tags to lay out beside a clip's frames: packet i at times[i] ms
// after `format` (the tag's first byte; AAC's packet type goes between),
// AAC's configuration at 0 ms when `config` holds one.
struct FlvAudioTrack {
    std::uint8_t format = 0;
    std::vector<std::vector<std::uint8_t>> packets;
    std::vector<std::uint32_t> times;
    std::vector<std::uint8_t> config;
};

// An FLV file of the clip, frame i at i * `msPerFrame`, and of `audio`,
// the tags in the order of their times.
std::vector<std::uint8_t> flvFileOf(const VideoClip& clip, int msPerFrame, const FlvAudioTrack& audio = {});

// The picture of frame `index`: gradients and a square that move with it.
QImage videoSourceFrame(int width, int height, int index);

// The mean difference of the colour channels, 0..255; alpha is compared
// unpremultiplied. Pictures of different sizes differ by 255.
double meanPixelDifference(const QImage& a, const QImage& b);

} // namespace swftest
