#include "swf/media/Inflate.h"

#include "swf/read/ZlibDecompressor.h"

namespace swf {

Result<std::vector<std::uint8_t>> inflateExactly(std::span<const std::uint8_t> compressed, std::size_t size)
{
    if (size / kMaxInflateRatio > compressed.size())
        return Result<std::vector<std::uint8_t>>::failure("bitmap of " + std::to_string(size) + " bytes is more than its "
                                                          + std::to_string(compressed.size()) + " bytes of zlib data can hold");
    ZlibDecompressor inflater;
    std::vector<std::uint8_t> output;
    // Exactly once: growing by doubling would ask for up to twice the size.
    output.reserve(size);
    const auto status = inflater.decode(compressed, output, size);
    // Once every pixel is in, a bad checksum or missing stream end behind
    // them changes nothing we would show.
    if (output.size() == size)
        return output;
    if (status == Decompressor::Status::Corrupt)
        return Result<std::vector<std::uint8_t>>::failure("bitmap zlib data is corrupt: " + inflater.error());
    return Result<std::vector<std::uint8_t>>::failure("bitmap zlib data ends after " + std::to_string(output.size()) + " of "
                                                      + std::to_string(size) + " bytes");
}

} // namespace swf
