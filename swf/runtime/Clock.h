#pragma once

// Where the frame loop's time comes from. The movie control gives it the
// machine's steady clock; tests and tools give it one they move by hand, so
// that a run does not depend on the wall clock; the sound output may later
// give it the position of what has been played.

#include <cstdint>

namespace swf {

class Clock {
public:
    virtual ~Clock() = default;
    // Nanoseconds from an arbitrary start, never going back.
    virtual std::int64_t nanoseconds() const = 0;
};

// A clock that moves only when told to.
class ManualClock final : public Clock {
public:
    std::int64_t nanoseconds() const override { return m_now; }
    void advance(std::int64_t nanoseconds) { m_now += nanoseconds; }

private:
    std::int64_t m_now = 0;
};

// The machine's monotonic clock.
class SteadyClock final : public Clock {
public:
    std::int64_t nanoseconds() const override;
};

} // namespace swf
