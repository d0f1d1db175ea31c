#include "swf/media/FlvFile.h"

namespace swf {

namespace {

std::uint32_t be(std::span<const std::uint8_t> b, std::size_t at, std::size_t count)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i)
        value = value << 8 | b[at + i];
    return value;
}

} // namespace

Result<FlvFile> readFlvFile(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 9 || bytes[0] != 'F' || bytes[1] != 'L' || bytes[2] != 'V')
        return Result<FlvFile>::failure("not an FLV file");
    FlvFile file;
    file.hasAudio = bytes[4] & 4;
    file.hasVideo = bytes[4] & 1;
    const std::uint32_t headerSize = be(bytes, 5, 4);
    if (headerSize < 9 || headerSize > bytes.size())
        return Result<FlvFile>::failure("FLV header size out of range");
    // Each tag follows the size of the one before (4 bytes), then an
    // 11-byte header: type, size, time (24 bits and 8 more above), stream.
    std::size_t at = headerSize + 4;
    while (at + 11 <= bytes.size() && file.tags.size() < kMaxFlvTags) {
        const std::uint32_t size = be(bytes, at + 1, 3);
        if (size > bytes.size() - at - 11)
            break;
        FlvTag tag;
        tag.type = bytes[at] & 0x1F;
        tag.time = be(bytes, at + 4, 3) | std::uint32_t(bytes[at + 7]) << 24;
        tag.body = bytes.subspan(at + 11, size);
        file.tags.push_back(tag);
        at += 11 + size + 4;
    }
    return file;
}

} // namespace swf
