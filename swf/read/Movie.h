#pragma once

// A movie as read so far: its header, its uncompressed stream, and the tag
// and frame records found in it. Later layers (definitions, display list)
// build on these records instead of re-reading the stream.

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

#include "swf/Color.h"
#include "swf/Diagnostic.h"
#include "swf/Header.h"
#include "swf/read/TagRecord.h"

namespace swf {

class Movie {
public:
    const Header& header() const { return m_header; }
    // The uncompressed stream, starting with the eight-byte prefix.
    std::span<const std::uint8_t> stream() const { return m_stream; }
    std::span<const std::uint8_t> body(const TagRecord& tag) const;
    // `length` bytes of the stream from `offset`, or nothing if they are
    // not all there: how later layers read the tags frames carry.
    std::span<const std::uint8_t> bytes(std::uint64_t offset, std::uint32_t length) const;

    // Every tag read so far, in stream order.
    const std::vector<TagRecord>& tags() const { return m_tags; }
    // Frames whose ShowFrame has arrived.
    const std::vector<FrameRecord>& frames() const { return m_frames; }
    std::span<const TagRecord> tagsOf(const FrameRecord& frame) const;
    std::map<std::uint16_t, int> tagCounts() const;

    // The first SetBackgroundColor, once it has been read.
    std::optional<Color> backgroundColor() const { return m_background; }
    const std::vector<Diagnostic>& diagnostics() const { return m_diagnostics; }
    // The End tag has been read; nothing after it belongs to the movie.
    bool ended() const { return m_ended; }

private:
    friend class MovieLoader;

    Header m_header;
    std::vector<std::uint8_t> m_stream;
    std::vector<TagRecord> m_tags;
    std::vector<FrameRecord> m_frames;
    std::optional<Color> m_background;
    std::vector<Diagnostic> m_diagnostics;
    bool m_ended = false;
};

} // namespace swf
