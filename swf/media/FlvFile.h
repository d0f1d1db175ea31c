#pragma once

// An FLV file as NetStream plays it: its header's flags and its tags
// (audio, video and script data) with their times, read within the file's
// bounds. A file is read as it arrives: a tag (or the header) cut at the
// end of what has come so far is not there yet, never a fault.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
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

// Reads a file that grows, each time from where the last read stopped.
class FlvReader {
public:
    // `arrived` is all of the file that has come so far, the same bytes as
    // last time and perhaps more. Appends to `tags` those that have come
    // whole since (views into `arrived`); false once the bytes cannot be
    // an FLV file, with the reason in error().
    bool read(std::span<const std::uint8_t> arrived, std::vector<FlvTag>& tags);

    bool headerRead() const { return m_next > 0; }
    bool hasAudio() const { return m_hasAudio; }
    bool hasVideo() const { return m_hasVideo; }
    const std::string& error() const { return m_error; }

private:
    std::size_t m_next = 0; // where the next tag starts; 0 before the header
    std::size_t m_count = 0;
    bool m_hasAudio = false;
    bool m_hasVideo = false;
    std::string m_error;
};

// A whole file, or the part of it that has arrived.
Result<FlvFile> readFlvFile(std::span<const std::uint8_t> bytes);

} // namespace swf
