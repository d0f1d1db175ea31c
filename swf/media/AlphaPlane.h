#pragma once

// DefineBitsJPEG3 and 4 give a JPEG its transparency as a separate zlib
// stream of one alpha byte a pixel, row after row.

#include <cstdint>
#include <span>

#include <QImage>

#include "swf/read/Result.h"

namespace swf {

// `opaque` is a decoded JPEG; the result is it premultiplied by the plane.
// No plane at all leaves the image opaque; a plane that is there but short
// or corrupt is a failure.
Result<QImage> applyAlphaPlane(QImage opaque, std::span<const std::uint8_t> compressed);

} // namespace swf
