#pragma once

// One compressed audio stream decoded through FFmpeg's libavcodec, packet
// by packet, keeping its state between packets (an MP3 frame may borrow
// bits from the one before). FFmpeg's headers stay behind this file.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "swf/media/SoundFormat.h"

namespace swf {

class AudioCodec {
public:
    // Null when libavcodec has no decoder for the format (or it is not a
    // compressed one); `error` says why. `config` is the decoder's
    // configuration where the format has one (AAC).
    static std::unique_ptr<AudioCodec> open(const SoundFormat& format, std::string& error, std::span<const std::uint8_t> config = {});
    ~AudioCodec();
    AudioCodec(const AudioCodec&) = delete;
    AudioCodec& operator=(const AudioCodec&) = delete;

    // Appends the samples `data` decodes to as signed 16-bit, interleaved
    // in the format's channel count, and stops once `out` holds
    // `maxSamples`. Bytes the decoder refuses are skipped; false when none
    // of `data` could be decoded.
    bool decode(std::span<const std::uint8_t> data, std::vector<std::int16_t>& out, std::size_t maxSamples);
    // The rate the decoder has found its stream to be at, 0 before it knows.
    int sampleRate() const;

private:
    struct State;
    explicit AudioCodec(std::unique_ptr<State> state);
    std::unique_ptr<State> m_state;
};

} // namespace swf
