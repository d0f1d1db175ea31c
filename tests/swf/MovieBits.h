#pragma once

// Tag bodies the display list and rendering tests share, on top of the
// writer's shapes and placements.

#include <cstdint>
#include <span>
#include <vector>

#include "support/SwfShapes.h"
#include "support/SwfWriter.h"
#include "swf/ColorTransform.h"
#include "swf/Player.h"

namespace movietest {

using Bytes = std::vector<std::uint8_t>;

inline void putU16(Bytes& out, std::uint16_t value)
{
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

using swftest::defineSprite;
using swftest::tagBytes;

inline Bytes place(std::uint16_t depth, std::uint16_t id, swf::Matrix matrix = {})
{
    swftest::Placement placement;
    placement.depth = depth;
    placement.characterId = id;
    placement.matrix = matrix;
    return swftest::placeObject2(placement);
}

inline Bytes move(std::uint16_t depth, swf::Matrix matrix)
{
    swftest::Placement placement;
    placement.depth = depth;
    placement.move = true;
    placement.matrix = matrix;
    return swftest::placeObject2(placement);
}

inline Bytes remove(std::uint16_t depth)
{
    Bytes body;
    putU16(body, depth);
    return body;
}

// PlaceObject2 of a new character with a colour transform (multipliers
// and offsets, alpha included).
inline Bytes placeTinted(std::uint16_t depth, std::uint16_t id, const swf::ColorTransform& cx)
{
    Bytes body {0x02 | 0x04 | 0x08};
    putU16(body, depth);
    putU16(body, id);
    const Bytes matrix = swftest::matrixBytes({});
    body.insert(body.end(), matrix.begin(), matrix.end());
    swftest::BitWriter bits;
    const unsigned n = swftest::BitWriter::signedBits({cx.rMult, cx.gMult, cx.bMult, cx.aMult, cx.rAdd, cx.gAdd, cx.bAdd, cx.aAdd});
    bits.ub(1, 1).ub(1, 1).ub(n, 4);
    for (int term : {cx.rMult, cx.gMult, cx.bMult, cx.aMult, cx.rAdd, cx.gAdd, cx.bAdd, cx.aAdd})
        bits.sb(term, n);
    const Bytes packed = bits.finish();
    body.insert(body.end(), packed.begin(), packed.end());
    return body;
}

inline swf::Matrix translate(double x, double y)
{
    swf::Matrix m;
    m.tx = x;
    m.ty = y;
    return m;
}

// A square of `side` twips from the origin as SHAPE records; the start
// shape selects fill 1, the end shape only moves.
inline Bytes square(std::int32_t side, bool selectFill)
{
    Bytes out {std::uint8_t(selectFill ? 0x10 : 0x00)};
    swftest::BitWriter bits;
    bits.ub(0, 1).ub(0x01 | (selectFill ? 0x04 : 0), 5).ub(1, 5).sb(0, 1).sb(0, 1);
    if (selectFill)
        bits.ub(1, 1);
    const unsigned n = swftest::BitWriter::signedBits({side, -side});
    for (auto [dx, dy] : {std::pair {side, 0}, std::pair {0, side}, std::pair {-side, 0}, std::pair {0, -side}})
        bits.ub(1, 1).ub(1, 1).ub(n - 2, 4).ub(1, 1).sb(dx, n).sb(dy, n);
    bits.ub(0, 1).ub(0, 5);
    const Bytes packed = bits.finish();
    out.insert(out.end(), packed.begin(), packed.end());
    return out;
}

inline Bytes rectBytes(std::int32_t side)
{
    swftest::BitWriter bits;
    const unsigned n = swftest::BitWriter::signedBits({side});
    bits.ub(n, 5).sb(0, n).sb(side, n).sb(0, n).sb(side, n);
    return bits.finish();
}

// One solid fill, red to blue, and no lines.
inline const Bytes kSolidStyles {1, 0x00, 255, 0, 0, 255, 0, 0, 255, 255, 0};

// DefineMorphShape body after the id: a 2000-twip square to 4000 filled
// with the first of `styles`.
inline Bytes morphBody(const Bytes& styles = kSolidStyles)
{
    Bytes body = rectBytes(2000);
    const Bytes endBounds = rectBytes(4000);
    body.insert(body.end(), endBounds.begin(), endBounds.end());
    const Bytes start = square(2000, true);
    const Bytes end = square(4000, false);
    const auto offset = std::uint32_t(styles.size() + start.size());
    body.insert(body.end(), {std::uint8_t(offset), std::uint8_t(offset >> 8), std::uint8_t(offset >> 16), std::uint8_t(offset >> 24)});
    body.insert(body.end(), styles.begin(), styles.end());
    body.insert(body.end(), start.begin(), start.end());
    body.insert(body.end(), end.begin(), end.end());
    return body;
}

inline void load(swf::Player& player, const Bytes& movie)
{
    player.open();
    player.feed(movie);
    player.finish();
}

} // namespace movietest
