#pragma once

// Turns the body of a bitmap-defining tag into pixels.

#include <cstdint>
#include <span>

#include <QImage>

#include "swf/read/Result.h"

namespace swf {

// No movie justifies a bitmap larger than this; bigger ones are refused
// before any pixel memory is taken.
inline constexpr std::int64_t kMaxBitmapPixels = std::int64_t(8192) * 8192;

// Decodes DefineBits (6, using the movie's JPEGTables body), DefineBitsJPEG2
// (21), DefineBitsJPEG3 (35, with its zlib alpha plane), DefineBitsJPEG4
// (90, deblocking parameter read and honoured or ignored), and
// DefineBitsLossless (20) and DefineBitsLossless2 (36) in every format.
// `body` is the tag body after the character id. The image comes back as
// QImage::Format_ARGB32_Premultiplied.
Result<QImage> decodeBitmap(std::uint16_t tagCode, std::span<const std::uint8_t> body,
                            std::span<const std::uint8_t> jpegTables = {});

} // namespace swf
