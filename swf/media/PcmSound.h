#pragma once

// Decoded sound at its own rate: signed 16-bit samples, channels
// interleaved. The mixer brings it to the output rate as it plays.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace swf {

struct PcmSound {
    int doubledRate = 88'200; // twice the rate in Hz
    int channels = 1;          // 1 or 2
    std::vector<std::int16_t> samples;

    std::size_t frames() const { return channels > 0 ? samples.size() / std::size_t(channels) : 0; }
};

} // namespace swf
