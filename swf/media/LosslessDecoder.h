#pragma once

// DefineBitsLossless and DefineBitsLossless2: a small header, then zlib data
// holding an optional colour table and rows padded to four bytes.

#include <cstdint>
#include <span>

#include <QImage>

#include "swf/read/Result.h"

namespace swf {

enum class LosslessAlpha {
    None,          // DefineBitsLossless: RGB table entries, PIX15 and PIX24 pixels
    Premultiplied, // DefineBitsLossless2: RGBA entries and ARGB pixels
};

Result<QImage> decodeLossless(std::span<const std::uint8_t> body, LosslessAlpha alpha);

} // namespace swf
