#include "swf/read/HeaderParser.h"

#include "swf/read/BitReader.h"
#include "swf/read/ByteReader.h"

namespace swf {

Result<Header> parseHeaderPrefix(std::span<const std::uint8_t> prefix)
{
    if (prefix.size() < kHeaderPrefixSize)
        return Result<Header>::failure("file ends inside the header");

    Header header;
    header.signature.assign(reinterpret_cast<const char*>(prefix.data()), 3);
    if (header.signature == "FWS")
        header.compression = Compression::None;
    else if (header.signature == "CWS")
        header.compression = Compression::Zlib;
    else if (header.signature == "ZWS")
        header.compression = Compression::Lzma;
    else
        return Result<Header>::failure("not a Flash movie (no FWS, CWS or ZWS signature)");

    ByteReader reader(prefix.subspan(3));
    header.version = *reader.u8();
    header.fileLength = *reader.u32();
    if (header.fileLength < kMinDeclaredLength)
        return Result<Header>::failure("declared length " + std::to_string(header.fileLength) + " is too small for a movie");
    if (header.fileLength > kMaxDeclaredLength)
        return Result<Header>::failure("declared length " + std::to_string(header.fileLength) + " is over the "
            + std::to_string(kMaxDeclaredLength / (1024 * 1024)) + " MiB limit");
    return header;
}

std::optional<std::size_t> parseFrameHeader(std::span<const std::uint8_t> stream, Header& header)
{
    if (stream.size() < kHeaderPrefixSize)
        return std::nullopt;
    ByteReader reader(stream.subspan(kHeaderPrefixSize));
    BitReader bits(reader);
    const auto nbits = bits.ub(5);
    if (!nbits)
        return std::nullopt;
    const auto xMin = bits.sb(*nbits);
    const auto xMax = bits.sb(*nbits);
    const auto yMin = bits.sb(*nbits);
    const auto yMax = bits.sb(*nbits);
    const auto rate = reader.u16();
    const auto count = reader.u16();
    if (reader.failed() || bits.failed())
        return std::nullopt;

    header.frameSize = Rect {*xMin, *xMax, *yMin, *yMax};
    header.frameRateFixed = *rate;
    header.frameCount = *count;
    return kHeaderPrefixSize + reader.position();
}

} // namespace swf
