#pragma once

#include <cstdint>

#include <QString>

namespace converter {

class ChunkReader;

// Copies bytes `start` to `end` of the projector behind `reader` into the
// file at swfPath, `step` bytes at a time. The movie goes to a temporary
// file beside the destination that takes its place only once complete, so
// a failure part way (a full disk, a read error) leaves any earlier file of
// that name as it was. Returns why it failed, or an empty string.
QString copyMovie(ChunkReader& reader, std::int64_t start, std::int64_t end, const QString& swfPath, std::int64_t step);

} // namespace converter
