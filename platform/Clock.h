#pragma once

#include <cstdint>

namespace platform {

// The high-resolution counter: ticks since some fixed moment, and how many
// ticks make a second. A frequency of 0 means there is no counter.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t frequency() const = 0;
    virtual std::int64_t counter() const = 0;
};

class SteadyClock final : public Clock {
public:
    std::int64_t frequency() const override;
    std::int64_t counter() const override;
};

} // namespace platform
