#include "swf/media/JpegStream.h"

namespace swf {

namespace {

constexpr std::uint8_t kSoi = 0xD8;
constexpr std::uint8_t kEoi = 0xD9;
constexpr std::uint8_t kSos = 0xDA;

enum class Walk { Complete, ReachedScan, Malformed };

bool standsAlone(std::uint8_t marker)
{
    // TEM and the restart markers carry no length.
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

// Copies the marker segments of `source` onto `out`, dropping every SOI and
// EOI: the stream gets one SOI in front, and its EOI comes with the scan.
// With `takeScan`, the first SOS and all that follows is copied too.
Walk copySegments(std::span<const std::uint8_t> source, bool takeScan, std::vector<std::uint8_t>& out)
{
    std::size_t at = 0;
    while (at < source.size()) {
        if (source[at] != 0xFF)
            return Walk::Malformed;
        // Any number of 0xFF may pad the space before a marker code.
        while (at < source.size() && source[at] == 0xFF)
            ++at;
        if (at == source.size())
            return Walk::Complete;
        const std::uint8_t marker = source[at++];
        if (marker == kSoi || marker == kEoi || standsAlone(marker))
            continue;
        if (marker == 0x00 || source.size() - at < 2)
            return Walk::Malformed;
        const std::size_t length = std::size_t(source[at]) << 8 | source[at + 1];
        if (length < 2 || length > source.size() - at)
            return Walk::Malformed;
        if (marker == kSos && !takeScan)
            return Walk::Complete;
        out.push_back(0xFF);
        out.push_back(marker);
        const auto segment = source.begin() + std::ptrdiff_t(at);
        if (marker == kSos) {
            // The entropy-coded data has no length of its own; the decoder
            // finds its end, and anything behind that is never read.
            out.insert(out.end(), segment, source.end());
            return Walk::ReachedScan;
        }
        out.insert(out.end(), segment, segment + std::ptrdiff_t(length));
        at += length;
    }
    return Walk::Complete;
}

} // namespace

Result<std::vector<std::uint8_t>> joinJpegStream(std::span<const std::uint8_t> tables, std::span<const std::uint8_t> data)
{
    using Joined = Result<std::vector<std::uint8_t>>;
    std::vector<std::uint8_t> out;
    out.reserve(tables.size() + data.size() + 2);
    out.push_back(0xFF);
    out.push_back(kSoi);
    if (copySegments(tables, false, out) == Walk::Malformed)
        return Joined::failure("JPEG tables are malformed");
    switch (copySegments(data, true, out)) {
    case Walk::ReachedScan:
        return out;
    case Walk::Complete:
        return Joined::failure("JPEG data holds no image scan");
    case Walk::Malformed:
        break;
    }
    return Joined::failure("JPEG data is malformed before its image scan");
}

} // namespace swf
