#include "swf/script/RandomSource.h"

#include <cmath>

namespace swf::script {

double RandomSource::unit()
{
    constexpr double kWord = 4294967296.0;
    for (;;) {
        const double low = double(m_generator());
        const double value = (low / kWord + double(m_generator())) / kWord;
        if (value < 1.0)
            return value;
    }
}

double RandomSource::below(double bound)
{
    if (!(bound >= 1.0))
        return 0;
    if (bound > 4294967295.0)
        return std::floor(unit() * bound);
    const auto range = std::uint32_t(bound);
    // The largest draw that still belongs to a whole run of `range` values.
    const std::uint32_t last = 0xFFFFFFFFu - std::uint32_t((0x100000000ull % range));
    std::uint32_t draw = m_generator();
    while (draw > last)
        draw = m_generator();
    return double(draw % range);
}

} // namespace swf::script
