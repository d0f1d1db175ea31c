#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "swf/read/TagRecord.h"

namespace swf {

// Steps through tag headers in a stream that may still be growing. It only
// knows framing; what a tag means is for whoever receives the record.
class TagWalker {
public:
    enum class Step {
        Tag,      // `tag` holds the next complete tag
        NeedMore, // the next tag has not fully arrived yet
        Stopped,  // the next tag can never be complete; `problem` says why
    };

    explicit TagWalker(std::uint64_t firstTagOffset);

    // `reachable` is the length the stream can still grow to: its final
    // size once nothing more will come, else the load's output limit.
    Step next(std::span<const std::uint8_t> stream, std::uint64_t reachable, TagRecord& tag, std::string& problem);

    std::uint64_t offset() const { return m_offset; }

private:
    std::uint64_t m_offset;
};

} // namespace swf
