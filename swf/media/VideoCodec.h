#pragma once

// One compressed video stream decoded through FFmpeg's libavcodec, frame by
// frame, keeping the state inter frames build on. Each decoded frame comes
// out as a premultiplied 32-bit image; a packet the decoder refuses leaves
// the last good picture showing. FFmpeg's headers stay behind this file.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include <QImage>

namespace swf {

// The codec ids DefineVideoStream and FLV video tags share.
enum class VideoCodecId : std::uint8_t {
    SorensonH263 = 2,
    ScreenVideo = 3,
    Vp6 = 4,
    Vp6Alpha = 5,
    ScreenVideo2 = 6,
    Avc = 7,
};

class VideoCodec {
public:
    // Null when libavcodec has no decoder for `codec`; `error` says why.
    // `extradata` is what the decoder needs before the first frame: H.264's
    // AVCDecoderConfigurationRecord, or VP6's one byte of cropping.
    static std::unique_ptr<VideoCodec> open(std::uint8_t codec, std::string& error, std::span<const std::uint8_t> extradata = {});
    ~VideoCodec();
    VideoCodec(const VideoCodec&) = delete;
    VideoCodec& operator=(const VideoCodec&) = delete;

    VideoCodecId codec() const;

    // Decodes one packet as the codec lays it out (a VP6 alpha packet with
    // its alpha offset first). True when it gave a new picture; otherwise
    // `error` says why and picture() is unchanged. A decoder that holds
    // frames back for reordering may take a packet without giving one:
    // that is false with an empty `error`.
    bool decode(std::span<const std::uint8_t> packet, std::string& error);
    // The last picture decoded, premultiplied ARGB32; null before the first.
    const QImage& picture() const;

private:
    struct State;
    explicit VideoCodec(std::unique_ptr<State> state);
    std::unique_ptr<State> m_state;
};

} // namespace swf
