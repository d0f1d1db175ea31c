#pragma once

// From version 8 on, the JPEG bitmap tags may carry a PNG or GIF file in
// place of JPEG data.

#include <cstdint>
#include <span>

#include <QImage>

#include "swf/read/Result.h"

namespace swf {

bool isPngOrGif(std::span<const std::uint8_t> data);

// The first frame, as QImage::Format_ARGB32_Premultiplied. The size in the
// file's header is checked against kMaxBitmapPixels before any pixels are.
Result<QImage> decodePngOrGif(std::span<const std::uint8_t> data);

} // namespace swf
