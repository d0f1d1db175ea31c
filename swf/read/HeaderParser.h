#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "swf/Header.h"
#include "swf/read/Result.h"

namespace swf {

// Signature, version and declared length: the part never compressed.
inline constexpr std::size_t kHeaderPrefixSize = 8;
// The largest declared length we agree to load. A header is only a claim;
// refusing big claims up front keeps a hostile one from costing memory.
inline constexpr std::uint32_t kMaxDeclaredLength = 256u * 1024 * 1024;
// Smallest possible movie: prefix, a one-byte empty RECT, rate and count.
inline constexpr std::uint32_t kMinDeclaredLength = kHeaderPrefixSize + 1 + 2 + 2;

// Reads the eight-byte prefix into a fresh Header, or says why these bytes
// are not a movie we will load.
Result<Header> parseHeaderPrefix(std::span<const std::uint8_t> prefix);

// Completes `header` from the start of the uncompressed stream (which
// begins with the prefix). Returns the offset of the first tag, or nothing
// while the stream is too short to hold the whole header.
std::optional<std::size_t> parseFrameHeader(std::span<const std::uint8_t> stream, Header& header);

} // namespace swf
