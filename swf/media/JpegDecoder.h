#pragma once

#include <cstdint>
#include <span>

#include <QImage>

#include "swf/read/Result.h"

namespace swf {

// Decodes one complete JPEG stream (see joinJpegStream for what movies store)
// into an opaque QImage::Format_ARGB32_Premultiplied image. Corrupt data is a
// failure, never the end of the process; data cut short mid-image keeps the
// rows that arrived, as a partly loaded picture would show.
Result<QImage> decodeJpeg(std::span<const std::uint8_t> stream);

} // namespace swf
