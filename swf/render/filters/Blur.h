#pragma once

// Box blur passes, the building block of every filter that softens an edge.

#include <cstdint>
#include <vector>

#include <QImage>

#include "swf/render/Filter.h"

namespace swf::filters {

// A box width per axis in device pixels (possibly fractional) and how many
// times the box runs; a width of 1 or less leaves that axis alone.
struct BlurSize {
    double x = 0;
    double y = 0;
    int passes = 0;

    bool isIdentity() const { return passes == 0 || (x <= 1 && y <= 1); }
};

// The filter's blur in device pixels, held to what the reference player
// accepts: 0..255 movie pixels and at most 15 passes.
BlurSize blurSize(const Filter& filter, double scaleX, double scaleY);

// How many pixels the blur reaches beyond the content on each side.
int blurSpreadX(const BlurSize& size);
int blurSpreadY(const BlurSize& size);

// One 8-bit channel per pixel, rows packed; what lies outside reads as 0.
struct AlphaPlane {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> values;

    std::uint8_t at(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return 0;
        return values[std::size_t(y) * std::size_t(width) + std::size_t(x)];
    }
};

AlphaPlane alphaOf(const QImage& layer);

void blurPlane(AlphaPlane& plane, const BlurSize& size);
// Blurs all four premultiplied channels of a Format_ARGB32_Premultiplied image.
void blurImage(QImage& image, const BlurSize& size);

} // namespace swf::filters
