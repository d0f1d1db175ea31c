#pragma once

// When frames are due at a movie's frame rate. Frame k is due at
// start + k / rate exactly, worked out from k each time rather than added up
// interval by interval, so a rate that is no whole number of milliseconds
// keeps to itself over any length of time. Whoever drives the movie asks how
// many frames are due, advances that many and draws only the last; when it
// has fallen far behind (a slow frame, a machine asleep) it catches up at
// most a bounded number of frames and lets the rest go, so the movie neither
// races nor drifts without bound.

#include <cstdint>

#include "swf/runtime/Clock.h"

namespace swf {

class FrameScheduler {
public:
    explicit FrameScheduler(const Clock& clock);

    // Starts counting afresh at `framesPerSecond`: the next frame is due
    // one interval from now.
    void start(double framesPerSecond);
    // A new rate from the next frame on, keeping no debt from the old one.
    void setRate(double framesPerSecond);
    double rate() const { return m_rate; }

    // Frames due by now that have not been taken, at most maxCatchUp(); a
    // larger debt is forgiven.
    int takeDueFrames();
    // Nanoseconds until the next frame is due; 0 if one is due already.
    std::int64_t nanosecondsUntilNext() const;

    // The most frames one call hands out: a quarter of a second's worth,
    // and at least one.
    int maxCatchUp() const;
    // Frames let go because they came due too late to catch up with.
    std::int64_t framesDropped() const { return m_dropped; }

private:
    std::int64_t dueTime(std::int64_t frame) const;

    const Clock& m_clock;
    double m_rate = 12;
    std::int64_t m_start = 0;
    std::int64_t m_taken = 0; // frames handed out since m_start
    std::int64_t m_dropped = 0;
};

} // namespace swf
