#pragma once

#include <cstdint>

#include <QImage>
#include <QPoint>

namespace swf {

// As PlaceObject3 stores them; 0 reads as Normal.
enum class BlendMode : std::uint8_t {
    Normal = 1,
    Layer = 2,
    Multiply = 3,
    Screen = 4,
    Lighten = 5,
    Darken = 6,
    Difference = 7,
    Add = 8,
    Subtract = 9,
    Invert = 10,
    Alpha = 11,
    Erase = 12,
    Overlay = 13,
    HardLight = 14,
};

BlendMode blendModeFromByte(std::uint8_t value);

// Composites `layer`, its top left corner at `at` in `dest` (both
// Format_ARGB32_Premultiplied), onto `dest` by `mode`. Alpha and Erase act
// on dest's own alpha, as they do inside a parent drawn as a layer; for
// Alpha, dest outside the layer counts as under a transparent part of it.
void compositeLayer(QImage& dest, const QImage& layer, BlendMode mode, QPoint at = {});

} // namespace swf
