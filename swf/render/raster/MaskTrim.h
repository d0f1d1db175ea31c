#pragma once

// Coverage masks come out with zero bytes either side of what an outline
// or a line covers: its soft sides, and the rest of the blocks it touched.

#include <bit>
#include <cstdint>
#include <cstring>

namespace swf::raster {

inline std::uint64_t load8(const std::uint8_t* bytes)
{
    std::uint64_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// Narrows [from, to) to the stretch between the first and the last
// non-zero byte of `mask`, eight bytes at a time; empty if all are zero.
inline void trimMask(const std::uint8_t* mask, int& from, int& to)
{
    // Zero bytes before the first and after the last non-zero one, in
    // memory order.
    constexpr bool little = std::endian::native == std::endian::little;
    const auto leading = [](std::uint64_t bytes) { return (little ? std::countr_zero(bytes) : std::countl_zero(bytes)) >> 3; };
    const auto trailing = [](std::uint64_t bytes) { return (little ? std::countl_zero(bytes) : std::countr_zero(bytes)) >> 3; };
    for (;; from += 8) {
        if (from + 8 > to) {
            while (from < to && mask[from] == 0)
                ++from;
            break;
        }
        if (const std::uint64_t bytes = load8(mask + from)) {
            from += leading(bytes);
            break;
        }
    }
    for (;; to -= 8) {
        if (to - 8 < from) {
            while (to > from && mask[to - 1] == 0)
                --to;
            break;
        }
        if (const std::uint64_t bytes = load8(mask + to - 8)) {
            to -= trailing(bytes);
            break;
        }
    }
}

} // namespace swf::raster
