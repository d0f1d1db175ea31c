#pragma once

// Movies store JPEG data in ways no JPEG decoder accepts as they are: the
// tables in one tag and the image in another, an EOI-SOI pair written in
// front of the image by old authoring tools, and tables and image each
// wrapped in their own SOI..EOI inside a single tag. This puts the pieces
// back together as one ordinary stream.

#include <cstdint>
#include <span>
#include <vector>

#include "swf/read/Result.h"

namespace swf {

// `tables` is a JPEGTables body (or empty); `data` holds the image. The
// result is SOI, every marker segment of both before the first scan, then
// the scan and everything after it as found.
Result<std::vector<std::uint8_t>> joinJpegStream(std::span<const std::uint8_t> tables, std::span<const std::uint8_t> data);

} // namespace swf
