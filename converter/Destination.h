#pragma once

#include <QString>

namespace converter {

// Why the movie cut out of the projector at exePath may not be written to
// swfPath, before anything is: the name reaches the projector itself, or
// something other than a regular file. Empty when it may.
QString refusedDestination(const QString& exePath, const QString& swfPath);

// The second of those reasons alone. A file that is not there yet, or a
// link to a regular file, is fine; a folder, a device, a FIFO or a socket
// is not, since the finished movie would be renamed over it.
QString refusedKind(const QString& swfPath);

} // namespace converter
