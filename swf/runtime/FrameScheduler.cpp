#include "swf/runtime/FrameScheduler.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace swf {

std::int64_t SteadyClock::nanoseconds() const
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

namespace {

constexpr double kNanosecondsPerSecond = 1e9;
constexpr double kCatchUpSeconds = 0.25;

double validRate(double framesPerSecond)
{
    return std::isfinite(framesPerSecond) && framesPerSecond > 0 ? framesPerSecond : 12;
}

} // namespace

FrameScheduler::FrameScheduler(const Clock& clock)
    : m_clock(clock)
    , m_start(clock.nanoseconds())
{
}

void FrameScheduler::start(double framesPerSecond)
{
    m_rate = validRate(framesPerSecond);
    m_start = m_clock.nanoseconds();
    m_taken = 0;
}

void FrameScheduler::setRate(double framesPerSecond)
{
    const double rate = validRate(framesPerSecond);
    if (rate == m_rate)
        return;
    // Frame m_taken + 1 under the new rate is due one new interval after
    // the last frame handed out, or now if that was long ago.
    const std::int64_t last = dueTime(m_taken);
    m_rate = rate;
    m_start = std::max(last, m_clock.nanoseconds() - std::int64_t(kNanosecondsPerSecond / rate));
    m_taken = 0;
}

std::int64_t FrameScheduler::dueTime(std::int64_t frame) const
{
    return m_start + std::int64_t(std::llround(double(frame) * kNanosecondsPerSecond / m_rate));
}

int FrameScheduler::maxCatchUp() const
{
    return std::max(1, int(std::ceil(m_rate * kCatchUpSeconds)));
}

int FrameScheduler::takeDueFrames()
{
    const std::int64_t now = m_clock.nanoseconds();
    // Frames k = m_taken + 1, ... are due at dueTime(k); count those past.
    const double elapsed = double(now - m_start) * m_rate / kNanosecondsPerSecond;
    std::int64_t due = std::int64_t(std::floor(elapsed + 1e-9)) - m_taken;
    if (due <= 0)
        return 0;
    const int limit = maxCatchUp();
    if (due > limit) {
        // Too far behind: take what may be caught up and start counting
        // again from now, so the debt does not come back.
        m_dropped += due - limit;
        m_start = now;
        m_taken = 0;
        return limit;
    }
    m_taken += due;
    return int(due);
}

std::int64_t FrameScheduler::nanosecondsUntilNext() const
{
    return std::max<std::int64_t>(0, dueTime(m_taken + 1) - m_clock.nanoseconds());
}

} // namespace swf
