#pragma once

#include <cstddef>
#include <cstdint>

namespace swf {

// One tag as found in the stream. Offsets count from the start of the
// uncompressed stream (the eight-byte prefix included), so they stay valid
// while the stream grows and match file offsets for an uncompressed movie.
struct TagRecord {
    std::uint64_t offset = 0;     // of the tag's own code-and-length header
    std::uint64_t bodyOffset = 0; // of the first byte after that header
    std::uint32_t length = 0;     // of the body
    std::uint16_t code = 0;
    bool longForm = false; // the length was written in the six-byte form
    int frame = 0;         // 0-based frame the tag belongs to
};

// A frame's tags are a run of consecutive records ending with its ShowFrame.
struct FrameRecord {
    std::size_t firstTag = 0;
    std::size_t tagCount = 0;
};

} // namespace swf
