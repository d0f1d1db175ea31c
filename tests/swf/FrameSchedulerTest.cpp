// The frame clock against a simulated clock: exact rates over long runs,
// however the wake-ups fall, and bounded catching up behind a slow renderer.

#include <gtest/gtest.h>

#include <cmath>

#include "swf/runtime/FrameScheduler.h"

namespace {

constexpr std::int64_t kMillisecond = 1'000'000;
constexpr std::int64_t kSecond = 1'000'000'000;

// Runs `seconds` of simulated time, waking as a millisecond timer would
// (rounded up, plus `lateBy` of lateness) and spending `workPerWake` after
// each wake-up; returns the frames handed out.
std::int64_t framesOver(double rate, std::int64_t seconds, std::int64_t lateBy, std::int64_t workPerWake)
{
    swf::ManualClock clock;
    swf::FrameScheduler scheduler(clock);
    scheduler.start(rate);
    std::int64_t frames = 0;
    while (clock.nanoseconds() < seconds * kSecond) {
        const std::int64_t wait = scheduler.nanosecondsUntilNext();
        clock.advance((wait + kMillisecond - 1) / kMillisecond * kMillisecond + lateBy);
        const int due = scheduler.takeDueFrames();
        EXPECT_LE(due, scheduler.maxCatchUp());
        frames += due;
        clock.advance(workPerWake);
    }
    return frames;
}

TEST(FrameScheduler, KeepsTheExactRateOverTenMinutes)
{
    struct Case {
        double rate;
        std::int64_t lateBy;
    };
    for (const Case& c : {Case {24, 0}, Case {30, 0}, Case {24, 3 * kMillisecond}, Case {30, 7 * kMillisecond}, Case {12.5, 1}, Case {60, 0},
                          Case {23.976, 2 * kMillisecond}}) {
        SCOPED_TRACE(c.rate);
        const double expected = c.rate * 600;
        const auto frames = double(framesOver(c.rate, 600, c.lateBy, 0));
        // Within 0.1%: a rounded 42 ms timer would give 23.8 a second.
        EXPECT_LT(std::abs(frames - expected) / expected, 0.001) << frames;
    }
}

TEST(FrameScheduler, CatchesUpBehindASlowRendererWithoutRunningAway)
{
    // 100 ms of drawing at 24 fps: each wake-up finds two or three frames
    // due and plays them all, so the movie still keeps time.
    const auto slow = double(framesOver(24, 60, 0, 100 * kMillisecond));
    EXPECT_LT(std::abs(slow - 24 * 60) / (24 * 60), 0.005) << slow;

    // A second a frame: far more falls due than may be caught up; the debt
    // is let go rather than carried, so the movie plays on at a quarter of
    // a second's worth of frames each time.
    swf::ManualClock clock;
    swf::FrameScheduler scheduler(clock);
    scheduler.start(24);
    for (int wake = 0; wake < 20; ++wake) {
        clock.advance(kSecond);
        EXPECT_EQ(scheduler.takeDueFrames(), scheduler.maxCatchUp());
    }
    EXPECT_EQ(scheduler.maxCatchUp(), 6);
    EXPECT_GT(scheduler.framesDropped(), 0);
    // Right after catching up nothing more is due.
    EXPECT_EQ(scheduler.takeDueFrames(), 0);
    EXPECT_GT(scheduler.nanosecondsUntilNext(), 0);
}

TEST(FrameScheduler, ANewRateTakesOverFromTheNextFrame)
{
    swf::ManualClock clock;
    swf::FrameScheduler scheduler(clock);
    scheduler.start(10);
    clock.advance(kSecond);
    EXPECT_EQ(scheduler.takeDueFrames(), 3) << "a quarter second's worth at most";
    clock.advance(100 * kMillisecond);
    EXPECT_EQ(scheduler.takeDueFrames(), 1);
    scheduler.setRate(20);
    EXPECT_EQ(scheduler.takeDueFrames(), 0);
    clock.advance(50 * kMillisecond);
    EXPECT_EQ(scheduler.takeDueFrames(), 1);
    // Rates no timer can use fall back to the default.
    for (double bad : {0.0, -5.0, std::nan("")}) {
        scheduler.start(bad);
        EXPECT_EQ(scheduler.rate(), 12);
    }
}

} // namespace
