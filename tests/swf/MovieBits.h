#pragma once

// Tag bodies the display list and rendering tests share, on top of the
// writer's shapes and placements.

#include <cstdint>
#include <span>
#include <utility>
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

struct ButtonRecord {
    std::uint8_t states;
    std::uint16_t character;
};

// DefineButton2 body with its records at depth 1, 2, ... and condition
// actions, each (conditions, actions).
inline Bytes defineButton2(std::uint16_t id, bool menu, const std::vector<ButtonRecord>& records,
                    const std::vector<std::pair<std::uint16_t, Bytes>>& actions)
{
    Bytes list;
    std::uint16_t depth = 1;
    for (const ButtonRecord& record : records) {
        list.push_back(record.states);
        putU16(list, record.character);
        putU16(list, depth++);
        const Bytes matrix = swftest::matrixBytes({});
        list.insert(list.end(), matrix.begin(), matrix.end());
        list.push_back(0); // a colour transform that changes nothing
    }
    list.push_back(0);
    Bytes body;
    putU16(body, id);
    body.push_back(menu ? 1 : 0);
    putU16(body, actions.empty() ? 0 : std::uint16_t(list.size() + 2));
    body.insert(body.end(), list.begin(), list.end());
    for (std::size_t i = 0; i < actions.size(); ++i) {
        const auto& [conditions, code] = actions[i];
        putU16(body, i + 1 == actions.size() ? 0 : std::uint16_t(code.size() + 4));
        putU16(body, conditions);
        body.insert(body.end(), code.begin(), code.end());
    }
    return body;
}

inline swf::Matrix translate(double x, double y)
{
    swf::Matrix m;
    m.tx = x;
    m.ty = y;
    return m;
}

using swftest::kSolidStyles;
using swftest::morphBody;
using swftest::rectBytes;
using swftest::square;

inline void load(swf::Player& player, const Bytes& movie)
{
    player.open();
    player.feed(movie);
    player.finish();
}

} // namespace movietest
