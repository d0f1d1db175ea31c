#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "swf/read/Result.h"

namespace swf {

// Deflate at its densest: a run of 258-byte matches, each spelt with one
// bit for its length and one for its distance, is 1032 bytes a byte.
inline constexpr std::size_t kMaxInflateRatio = 1032;

// Bitmap tags say how big their pixels are before the zlib data starts, so
// inflation stops at exactly that size: a bomb cannot make us allocate more,
// and a stream that ends early is a broken bitmap, not a smaller one. A size
// that no deflate stream of the given length can reach is refused before
// anything is allocated.
Result<std::vector<std::uint8_t>> inflateExactly(std::span<const std::uint8_t> compressed, std::size_t size);

} // namespace swf
