#pragma once

#include <cstdint>

#include <QString>

namespace converter {

// Later projectors embed the movie as it was saved, compressed or not, and
// end with a trailer: the marker 0xFA123456, then the movie's length, both
// four bytes little-endian, the movie lying just before them. The signature
// search cannot see a compressed movie; the trailer finds any.
struct TrailerExtraction {
    bool succeeded = false;
    // As cStorage sets them: the projector's length once it is open (0
    // when it cannot be), the movie's length only on success.
    std::int64_t totalLength = 0;
    std::int64_t dataLength = 0;
    std::int64_t movieStart = -1;
    QString signature; // FWS, CWS or ZWS, once found
    // Why it failed when the projector itself was not to blame; empty when
    // it holds no trailer or the trailer points at no movie.
    QString failureReason;
};

// Writes the movie the projector at exePath records in its trailer to
// swfPath, after checking that the bytes there start a movie whose header
// agrees with the trailer's length. The destination is refused, untouched,
// as cStorage refuses it.
TrailerExtraction extractByTrailer(const QString& exePath, const QString& swfPath);

} // namespace converter
