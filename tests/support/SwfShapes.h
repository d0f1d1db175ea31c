#pragma once

// Tag bodies for the drawing tags most tests and benchmarks need: a
// rectangle shape with a solid or gradient fill and an outline,
// PlaceObject2 records and sprites.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "swf/Color.h"
#include "swf/Matrix.h"

namespace swftest {

std::vector<std::uint8_t> matrixBytes(const swf::Matrix& matrix);

struct RectShape {
    std::uint16_t id = 1;
    std::int32_t width = 2000; // twips
    std::int32_t height = 2000;
    swf::Color fill {255, 0, 0, 255};
    // A left-to-right linear gradient from `fill` to this colour, when set.
    std::optional<swf::Color> gradientTo;
    std::uint16_t lineWidth = 0; // twips; 0 draws no outline
    swf::Color lineColor {0, 0, 0, 255};
    bool boundsUnderstated = false; // the tag claims a one-twip square, as damaged ones may
};

// DefineShape3 (tag 32) body: the rectangle from (0, 0) to (width, height).
std::vector<std::uint8_t> defineShape3(const RectShape& shape);

struct Placement {
    std::uint16_t depth = 1;
    std::optional<std::uint16_t> characterId; // set to place a character
    std::optional<swf::Matrix> matrix;
    bool move = false; // modify what is at the depth
    std::optional<std::uint16_t> clipDepth;
    std::optional<std::string> name; // the instance name script knows it by
};

// PlaceObject2 (tag 26) body.
std::vector<std::uint8_t> placeObject2(const Placement& placement);

// A square of `side` twips from the origin as SHAPE records; the start
// shape selects fill 1, the end shape only moves.
std::vector<std::uint8_t> square(std::int32_t side, bool selectFill);
// A RECT from the origin to (side, side).
std::vector<std::uint8_t> rectBytes(std::int32_t side);
// Morph styles: one solid fill, red to blue, and no lines.
extern const std::vector<std::uint8_t> kSolidStyles;
// DefineMorphShape body after the id: a 2000-twip square to 4000 filled
// with the first of `styles`.
std::vector<std::uint8_t> morphBody(const std::vector<std::uint8_t>& styles = kSolidStyles);

// A tag as it sits in a stream, header and body, for building sprite bodies.
std::vector<std::uint8_t> tagBytes(std::uint16_t code, const std::vector<std::uint8_t>& body);

// DefineSprite (tag 39) body: each inner frame is a list of whole tags, to
// which a ShowFrame is added.
std::vector<std::uint8_t> defineSprite(std::uint16_t id, const std::vector<std::vector<std::vector<std::uint8_t>>>& frames);

} // namespace swftest
