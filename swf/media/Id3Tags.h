#pragma once

// The text an MP3 file carries about itself: an ID3v2 tag at its start
// (versions 2.2 to 2.4) and an ID3v1 tag in its last 128 bytes. Script
// reads them as Sound.id3, by the v2 frame names (TIT2, TPE1 ...) and the
// v1 names (songname, artist ...), which a v2 tag fills too.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace swf {

struct Id3Tags {
    // Name and UTF-8 value, in the order found; a name appears once.
    std::vector<std::pair<std::string, std::string>> fields;

    bool empty() const { return fields.empty(); }
    const std::string* find(std::string_view name) const;
};

// The length of the ID3v2 tag at the start of `file` (header, frames and
// footer), 0 when there is none. Clamped to the file.
std::size_t id3v2Length(std::span<const std::uint8_t> file);
// The same as its header declares it, from the first ten bytes alone.
std::size_t id3v2DeclaredLength(std::span<const std::uint8_t> file);

// Reads what tags `file` has. Damaged tags give what could be read of
// them; nothing here trusts a length the file gives.
Id3Tags readId3Tags(std::span<const std::uint8_t> file);

} // namespace swf
