#pragma once

// Coverage stores may keep only some of their clip's rows, so that bands
// of one image are drawn at once, each keeping its own.

#include <algorithm>
#include <cstdint>

#include <QRect>

namespace swf::raster {

// The rows kept, counted from the clip's top: device rows from `firstRow`
// up to `endRow`, within the clip.
struct KeptRows {
    int first = 0;
    int end = 0;
};

inline KeptRows keptRows(const QRect& clip, int firstRow, int endRow)
{
    const int height = std::max(0, clip.height());
    const auto inClip = [&](int row) {
        return int(std::clamp<std::int64_t>(std::int64_t(row) - clip.top(), 0, height));
    };
    const int first = inClip(firstRow);
    return {first, std::max(first, inClip(endRow))};
}

} // namespace swf::raster
