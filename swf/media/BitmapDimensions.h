#pragma once

// How big a bitmap tag says its pixels are, read from its header without
// decoding anything, so that the memory they would take can be checked
// before it is taken.

#include <cstdint>
#include <optional>
#include <span>

namespace swf {

struct BitmapDimensions {
    std::int64_t width = 0;
    std::int64_t height = 0;
};

// The same tags as decodeBitmap, `body` after the character id. Nothing
// when the header cannot be found; decoding will then fail or find out.
std::optional<BitmapDimensions> bitmapDimensions(std::uint16_t tagCode, std::span<const std::uint8_t> body,
                                                 std::span<const std::uint8_t> jpegTables = {});

} // namespace swf
