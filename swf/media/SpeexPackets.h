#pragma once

// Speex packets joined end to end, as an event sound's data holds them:
// each packet ends on a whole byte, the bits after its last frame filled
// with a 0 and then 1s. The decoder stops at such a fill, so the data is
// cut into its packets by walking the frames' sizes, which their headers
// give.

#include <cstdint>
#include <span>
#include <vector>

namespace swf {

// The packets of `data`, in order and covering all of it. Data whose
// frames cannot be walked (a mode no encoder writes, in-band signalling)
// stays one piece from there on.
std::vector<std::span<const std::uint8_t>> splitSpeexPackets(std::span<const std::uint8_t> data);

} // namespace swf
