#include "swf/read/Movie.h"

namespace swf {

std::span<const std::uint8_t> Movie::body(const TagRecord& tag) const
{
    return bytes(tag.bodyOffset, tag.length);
}

std::span<const std::uint8_t> Movie::bytes(std::uint64_t offset, std::uint32_t length) const
{
    // Records come from this stream, but a stale or hand-made one must not
    // read outside it.
    if (offset > m_stream.size() || length > m_stream.size() - offset)
        return {};
    return std::span(m_stream).subspan(offset, length);
}

std::span<const TagRecord> Movie::tagsOf(const FrameRecord& frame) const
{
    if (frame.firstTag > m_tags.size() || frame.tagCount > m_tags.size() - frame.firstTag)
        return {};
    return std::span(m_tags).subspan(frame.firstTag, frame.tagCount);
}

std::map<std::uint16_t, int> Movie::tagCounts() const
{
    std::map<std::uint16_t, int> counts;
    for (const TagRecord& tag : m_tags)
        ++counts[tag.code];
    return counts;
}

} // namespace swf
