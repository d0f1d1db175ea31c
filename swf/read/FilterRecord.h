#pragma once

// Bitmap filters as PlaceObject3 and button records list them.

#include <cstdint>
#include <optional>
#include <vector>

#include "swf/Color.h"
#include "swf/read/ByteReader.h"

namespace swf {

enum class FilterType : std::uint8_t {
    DropShadow = 0,
    Blur = 1,
    Glow = 2,
    Bevel = 3,
    GradientGlow = 4,
    Convolution = 5,
    ColorMatrix = 6,
    GradientBevel = 7,
};

struct GradientStop {
    Color color;
    std::uint8_t ratio = 0;
};

// One record of a filter list; the fields a type does not use stay at their defaults.
struct Filter {
    FilterType type = FilterType::Blur;
    // Shadow, glow and bevel colours (bevel: highlight and shadow).
    Color color;
    Color highlight;
    std::vector<GradientStop> gradient;
    double blurX = 0; // pixels, at scale 1
    double blurY = 0;
    double angle = 0;    // radians
    double distance = 0; // pixels
    double strength = 1;
    bool inner = false;
    bool knockout = false;
    bool compositeSource = true;
    bool onTop = false;
    int passes = 1;
    // Colour matrix: 20 terms, row by row (R, G, B, A), offsets in 0..255 units.
    std::vector<float> matrix;
    // Convolution.
    int matrixX = 0;
    int matrixY = 0;
    float divisor = 1;
    float bias = 0;
    Color defaultColor;
    bool clamp = true;
    bool preserveAlpha = true;
};

// Reads a FILTERLIST; nothing on a malformed one.
std::optional<std::vector<Filter>> readFilterList(ByteReader& bytes);

} // namespace swf
