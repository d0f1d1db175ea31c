#pragma once

// The small bit-packed and byte records that many tags share. Each reader
// leaves the byte reader on the byte after the record, or fails it.

#include <optional>

#include "swf/Color.h"
#include "swf/ColorTransform.h"
#include "swf/Header.h"
#include "swf/Matrix.h"
#include "swf/read/ByteReader.h"

namespace swf {

std::optional<Rect> readRect(ByteReader& bytes);
std::optional<Matrix> readMatrix(ByteReader& bytes);
// CXFORM (no alpha terms) and CXFORMWITHALPHA.
std::optional<ColorTransform> readColorTransform(ByteReader& bytes, bool withAlpha);
std::optional<Color> readRgb(ByteReader& bytes);
std::optional<Color> readRgba(ByteReader& bytes);
// ARGB, as some later records store colours.
std::optional<Color> readArgb(ByteReader& bytes);

} // namespace swf
