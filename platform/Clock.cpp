#include "platform/Clock.h"

#include <chrono>

namespace platform {

std::int64_t SteadyClock::frequency() const
{
    using Period = std::chrono::steady_clock::period;
    return Period::den / Period::num;
}

std::int64_t SteadyClock::counter() const
{
    return std::chrono::steady_clock::now().time_since_epoch().count();
}

} // namespace platform
