#pragma once

// An FLV file as NetStream plays it: its header's flags and its tags
// (audio, video and script data) with their times, read within the file's
// bounds; a file cut short gives the tags that arrived whole.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "swf/read/Result.h"

namespace swf {

struct FlvTag {
    enum class Type : std::uint8_t { Audio = 8, Video = 9, Script = 18 };
    std::uint8_t type = 0;
    std::uint32_t time = 0; // milliseconds
    std::span<const std::uint8_t> body;
};

struct FlvFile {
    bool hasAudio = false;
    bool hasVideo = false;
    std::vector<FlvTag> tags; // views into the bytes read
};

// At most this many tags are listed, whatever the file holds.
constexpr std::size_t kMaxFlvTags = 1 << 20;

Result<FlvFile> readFlvFile(std::span<const std::uint8_t> bytes);

} // namespace swf
