#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "swf/script/RandomSource.h"

using swf::script::RandomSource;

// A headless run must give the same numbers every time, and the same
// numbers as the recorded runs of the trace corpus: random(100), then
// Math.random(), alternately, from seed 0.
TEST(RandomSource, HeadlessSequenceIsTheRecordedOne)
{
    RandomSource source;
    EXPECT_EQ(source.below(100), 44);
    EXPECT_NEAR(source.unit(), 0.715189365109625, 1e-15);
    EXPECT_EQ(source.below(100), 60);
    EXPECT_NEAR(source.unit(), 0.85794561998983, 1e-14);
}

TEST(RandomSource, BoundsOutsideTheRangeOfDrawsAreHandled)
{
    RandomSource source(7);
    for (const double bound : {0.0, -5.0, 0.5, std::nan("")})
        EXPECT_EQ(source.below(bound), 0) << bound;
    for (const double bound : {1.0, 3.0, 1000.0, 4294967295.0, 4294967296.0, 1e15}) {
        for (int i = 0; i < 200; ++i) {
            const double value = source.below(bound);
            ASSERT_TRUE(value >= 0 && value < bound && value == std::floor(value)) << bound << " gave " << value;
        }
    }
    for (int i = 0; i < 1000; ++i) {
        const double value = source.unit();
        ASSERT_TRUE(value >= 0 && value < 1) << value;
    }
}
