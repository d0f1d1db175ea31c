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

constexpr std::size_t kHeaderSize = 9;

} // namespace

bool FlvReader::read(std::span<const std::uint8_t> bytes, std::vector<FlvTag>& tags)
{
    if (!m_error.empty())
        return false;
    if (m_next == 0) {
        // What has come of the signature must match it, however little.
        for (std::size_t i = 0; i < 3 && i < bytes.size(); ++i)
            if (bytes[i] != "FLV"[i]) {
                m_error = "not an FLV file";
                return false;
            }
        if (bytes.size() < kHeaderSize)
            return true;
        m_hasAudio = bytes[4] & 4;
        m_hasVideo = bytes[4] & 1;
        const std::uint32_t headerSize = be(bytes, 5, 4);
        if (headerSize < kHeaderSize) {
            m_error = "FLV header size out of range";
            return false;
        }
        if (headerSize > bytes.size())
            return true;
        // Beyond the header comes the size of the tag before the first.
        m_next = std::size_t(headerSize) + 4;
    }
    // Each tag is an 11-byte header (type, size, time in 24 bits and 8
    // more above, stream), its body, then its own size in 4 bytes.
    while (m_next + 11 <= bytes.size() && m_count < kMaxFlvTags) {
        const std::uint32_t size = be(bytes, m_next + 1, 3);
        if (size > bytes.size() - m_next - 11)
            break;
        FlvTag tag;
        tag.type = bytes[m_next] & 0x1F;
        tag.time = be(bytes, m_next + 4, 3) | std::uint32_t(bytes[m_next + 7]) << 24;
        tag.body = bytes.subspan(m_next + 11, size);
        tags.push_back(tag);
        ++m_count;
        m_next += 11 + size + 4;
    }
    return true;
}

Result<FlvFile> readFlvFile(std::span<const std::uint8_t> bytes)
{
    FlvReader reader;
    FlvFile file;
    if (!reader.read(bytes, file.tags))
        return Result<FlvFile>::failure(reader.error());
    if (!reader.headerRead())
        return Result<FlvFile>::failure(bytes.size() < kHeaderSize ? "not an FLV file" : "FLV header size out of range");
    file.hasAudio = reader.hasAudio();
    file.hasVideo = reader.hasVideo();
    return file;
}

} // namespace swf
