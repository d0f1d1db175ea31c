#pragma once

#include <cstdint>
#include <string>

namespace swf {

enum class Compression { None, Zlib, Lzma };

// A rectangle in twips (1/20 pixel).
struct Rect {
    std::int32_t xMin = 0;
    std::int32_t xMax = 0;
    std::int32_t yMin = 0;
    std::int32_t yMax = 0;

    std::int32_t width() const { return xMax - xMin; }
    std::int32_t height() const { return yMax - yMin; }
};

struct Header {
    std::string signature; // "FWS", "CWS" or "ZWS"
    Compression compression = Compression::None;
    std::uint8_t version = 0;
    std::uint32_t fileLength = 0; // as declared: the uncompressed length
    Rect frameSize;
    std::uint16_t frameRateFixed = 0; // 8.8 fixed point, as stored
    std::uint16_t frameCount = 0;

    double frameRate() const { return frameRateFixed / 256.0; }
};

} // namespace swf
