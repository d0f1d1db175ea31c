#pragma once

#include <cstddef>

namespace swf {

// Every display object alive counts against this, so that sprites nesting
// sprites cannot multiply into more objects than memory holds.
struct InstanceBudget {
    std::size_t live = 0;
    std::size_t limit = 200'000;

    bool spent() const { return live >= limit; }
};

} // namespace swf
