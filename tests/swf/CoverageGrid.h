#pragma once

// What a coverage sweep left, pixel by pixel, for the rasterizer's tests.

#include <gtest/gtest.h>

#include <vector>

#include "swf/render/raster/Coverage.h"
#include "swf/render/raster/LineCoverage.h"

namespace rastertest {

struct Grid {
    int width = 0;
    int height = 0;
    std::vector<int> values;

    int at(int x, int y) const { return values[std::size_t(y * width + x)]; }
    // In whole pixels.
    double area() const
    {
        double sum = 0;
        for (int v : values)
            sum += v / 255.0;
        return sum;
    }
};

// What `sweep` hands its callback, over a clip at the origin of the given
// size.
template <typename Sweep>
Grid collect(int width, int height, Sweep&& sweep)
{
    Grid grid {width, height, std::vector<int>(std::size_t(width * height), 0)};
    sweep([&](int x, int y, int length, const std::uint8_t* mask) {
        ASSERT_GE(x, 0);
        ASSERT_LE(x + length, width);
        ASSERT_GE(y, 0);
        ASSERT_LT(y, height);
        for (int i = 0; i < length; ++i)
            grid.values[std::size_t(y * width + x + i)] = mask[i];
    });
    return grid;
}

// Sweeps `coverage`, begun on a clip at the origin of the given size.
inline Grid sweep(swf::raster::Coverage& coverage, int width, int height,
                  swf::raster::Winding winding = swf::raster::Winding::NonZero, bool antialias = true)
{
    return collect(width, height, [&](auto&& span) { coverage.sweep(winding, antialias, span); });
}

inline Grid sweep(swf::raster::LineCoverage& lines, int width, int height, bool antialias = true)
{
    return collect(width, height, [&](auto&& span) { lines.sweep(antialias, span); });
}

} // namespace rastertest
