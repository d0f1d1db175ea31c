#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "swf/read/Result.h"

namespace swf {

// Bitmap tags say how big their pixels are before the zlib data starts, so
// inflation stops at exactly that size: a bomb cannot make us allocate more,
// and a stream that ends early is a broken bitmap, not a smaller one.
Result<std::vector<std::uint8_t>> inflateExactly(std::span<const std::uint8_t> compressed, std::size_t size);

} // namespace swf
