#pragma once

#include <cstdint>
#include <string>

namespace swf {

// Something in a movie that we skipped or could not make sense of. Kept for
// `tvk info` and the tests; never shown to a person as a dialog.
struct Diagnostic {
    std::uint64_t offset = 0; // in the uncompressed stream
    int tagCode = -1;         // -1 when not about a tag
    std::string message;
};

} // namespace swf
