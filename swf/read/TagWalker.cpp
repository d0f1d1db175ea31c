#include "swf/read/TagWalker.h"

#include "swf/read/ByteReader.h"

namespace swf {

namespace {

constexpr std::uint16_t kLongLengthMark = 0x3F;

} // namespace

TagWalker::TagWalker(std::uint64_t firstTagOffset)
    : m_offset(firstTagOffset)
{
}

TagWalker::Step TagWalker::next(std::span<const std::uint8_t> stream, std::uint64_t reachable, TagRecord& tag, std::string& problem)
{
    const auto incomplete = [&](const char* what) {
        if (stream.size() < reachable)
            return Step::NeedMore;
        problem = what;
        return Step::Stopped;
    };

    if (m_offset >= stream.size())
        return incomplete("tag stream ends without an End tag");
    ByteReader reader(stream.subspan(m_offset));
    const auto codeAndLength = reader.u16();
    if (!codeAndLength)
        return incomplete("tag header cut off by the end of the movie");
    std::uint32_t length = *codeAndLength & kLongLengthMark;
    const bool longForm = length == kLongLengthMark;
    if (longForm) {
        const auto longLength = reader.u32();
        if (!longLength)
            return incomplete("tag header cut off by the end of the movie");
        length = *longLength;
    }

    const std::uint64_t bodyOffset = m_offset + reader.position();
    const std::uint64_t end = bodyOffset + length;
    if (end > reachable) {
        problem = "tag length " + std::to_string(length) + " runs past the end of the movie";
        return Step::Stopped;
    }
    if (end > stream.size())
        return Step::NeedMore;

    tag = TagRecord {};
    tag.offset = m_offset;
    tag.bodyOffset = bodyOffset;
    tag.length = length;
    tag.code = std::uint16_t(*codeAndLength >> 6);
    tag.longForm = longForm;
    m_offset = end;
    return Step::Tag;
}

} // namespace swf
