#pragma once

// The numbers behind Math.random and random(n): a Mersenne twister, seeded
// from the clock where a player runs against one and with 0 in headless
// runs, so that a headless run is the same every time. A number in [0, 1)
// takes two draws (the second as the high word) and an integer below n
// one draw taken modulo n, drawing again past the last whole multiple of
// n so that every result is as likely.

#include <cstdint>
#include <random>

namespace swf::script {

class RandomSource {
public:
    explicit RandomSource(std::uint32_t seed = 0)
        : m_generator(seed)
    {
    }

    double unit();
    // 0 for a bound below 1; bounds past 2^32 scale unit() instead.
    double below(double bound);

private:
    std::mt19937 m_generator;
};

} // namespace swf::script
