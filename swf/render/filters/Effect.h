#pragma once

// What the shadow, glow and bevel filters share: where their effect may
// show relative to the object, and how it is combined with the object.

#include <array>
#include <cstdint>
#include <vector>

#include <QImage>
#include <QPoint>

#include "swf/render/Filter.h"

namespace swf::filters {

enum class Placement {
    Under, // beneath the object; only knockout cuts the object's shape out
    Outer, // only where the object is not
    Inner, // only where the object is
    Full,  // everywhere, drawn over the object
};

// Shadows and glows lie under the object unless inner; a bevel's outer
// part exists only outside it. On top (bevels and gradient glows) means
// both sides at once.
Placement placementOf(const Filter& filter);

// The offset of a shadow in device pixels: `distance` along `angle`, with y
// growing downwards as on screen, so 45 degrees points down and right.
QPoint effectOffset(const Filter& filter, double scaleX, double scaleY);

// Strength scales a blurred alpha and may push it past opaque; a table
// because it is looked up once a pixel.
using StrengthTable = std::array<std::uint8_t, 256>;
StrengthTable strengthTable(double strength);

// `effect` is premultiplied colour the size of the layer, not yet cut to its
// placement. Knockout, or a record that does not composite its source,
// leaves only the effect.
void compositeEffect(QImage& layer, const QImage& effect, Placement placement, bool knockout, bool compositeSource);

// A premultiplied colour for each 0..255 position along a gradient.
using Ramp = std::array<QRgb, 256>;
Ramp rampOf(std::vector<GradientStop> stops);

QRgb premultiplied(const Color& color);

// The object's alpha blurred, moved by `offset` and strengthened, one byte a
// pixel; `inverted` measures the outside instead, for inner effects, where
// what lies beyond the layer counts as outside.
std::vector<std::uint8_t> shadowCoverage(const QImage& layer, const Filter& filter, double scaleX, double scaleY,
                                         QPoint offset, bool inverted);

// How much more the shadow side than the highlight side of a bevel covers
// each pixel, strengthened, in -255..255.
std::vector<std::int16_t> bevelSlopes(const QImage& layer, const Filter& filter, double scaleX, double scaleY);

// Each premultiplied channel times `factor`/255, rounded.
inline QRgb scaled(QRgb pixel, std::uint32_t factor)
{
    std::uint32_t rb = (pixel & 0x00FF00FFu) * factor;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu) + 0x00800080u) >> 8) & 0x00FF00FFu;
    std::uint32_t ag = ((pixel >> 8) & 0x00FF00FFu) * factor;
    ag = (ag + ((ag >> 8) & 0x00FF00FFu) + 0x00800080u) & 0xFF00FF00u;
    return rb | ag;
}

// `top` over `bottom`, both premultiplied.
inline QRgb over(QRgb top, QRgb bottom) { return top + scaled(bottom, 255 - (top >> 24)); }

} // namespace swf::filters
