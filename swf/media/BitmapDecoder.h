#pragma once

// Turns the body of a bitmap-defining tag into pixels.

#include <cstdint>
#include <span>

#include <QImage>

#include "swf/read/Result.h"

namespace swf {

// The largest bitmap there is, as the reference player's own bitmaps were
// bounded: 8,191 pixels a side and 16,777,215 in all. Bigger ones are
// refused before any pixel memory is taken.
inline constexpr std::int64_t kMaxBitmapSide = 8191;
inline constexpr std::int64_t kMaxBitmapPixels = 16'777'215;

constexpr bool bitmapSizeAllowed(std::int64_t width, std::int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxBitmapSide && height <= kMaxBitmapSide && width * height <= kMaxBitmapPixels;
}

// Decodes DefineBits (6, using the movie's JPEGTables body), DefineBitsJPEG2
// (21), DefineBitsJPEG3 (35, with its zlib alpha plane), DefineBitsJPEG4
// (90, deblocking parameter read and honoured or ignored), and
// DefineBitsLossless (20) and DefineBitsLossless2 (36) in every format.
// `body` is the tag body after the character id. The image comes back as
// QImage::Format_ARGB32_Premultiplied.
Result<QImage> decodeBitmap(std::uint16_t tagCode, std::span<const std::uint8_t> body,
                            std::span<const std::uint8_t> jpegTables = {});

} // namespace swf
