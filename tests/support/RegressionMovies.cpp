#include "support/RegressionMovies.h"

#include "support/SwfShapes.h"
#include "support/SwfWriter.h"

namespace swftest {

namespace {

void putU16(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

// PlaceObject2 of a morph at a depth and ratio; with `move`, of what is
// already there.
std::vector<std::uint8_t> placeMorph(std::uint16_t depth, std::uint16_t id, std::uint16_t ratio, double x, bool move)
{
    std::vector<std::uint8_t> body {std::uint8_t((move ? 0x01 : 0x02) | 0x04 | 0x10)};
    putU16(body, depth);
    if (!move)
        putU16(body, id);
    const auto matrix = matrixBytes(swf::Matrix {0.2, 0, 0, 0.2, x, 0});
    body.insert(body.end(), matrix.begin(), matrix.end());
    putU16(body, ratio);
    return body;
}

} // namespace

std::vector<std::uint8_t> morphCrowdInScalingGrid()
{
    constexpr int kInstances = 40;
    constexpr int kFrames = 12;
    SwfWriter writer;
    writer.setBackground({255, 255, 255, 255});
    std::vector<std::uint8_t> morph;
    putU16(morph, 3);
    const auto body = morphBody();
    morph.insert(morph.end(), body.begin(), body.end());
    writer.tag(46, morph);
    std::vector<std::vector<std::vector<std::uint8_t>>> frames(kFrames);
    for (int frame = 0; frame < kFrames; ++frame)
        for (int i = 0; i < kInstances; ++i)
            frames[std::size_t(frame)].push_back(
                tagBytes(26, placeMorph(std::uint16_t(i + 1), 3, std::uint16_t(1000 + frame * kInstances + i), i * 250.0, frame > 0)));
    writer.tag(39, defineSprite(9, frames));
    std::vector<std::uint8_t> grid;
    putU16(grid, 9);
    const auto centre = rectBytes(1000);
    grid.insert(grid.end(), centre.begin(), centre.end());
    writer.tag(78, grid);
    Placement sprite;
    sprite.characterId = 9;
    sprite.matrix = swf::Matrix {1.5, 0, 0, 1, 0, 0};
    writer.tag(26, placeObject2(sprite)).showFrame();
    return writer.build();
}

std::vector<std::uint8_t> spriteMovingInAStillMovie(double frameRate)
{
    Placement inner;
    inner.characterId = 1;
    Placement moved;
    moved.move = true;
    moved.matrix = swf::Matrix {1, 0, 0, 1, 2000, 0};
    SwfWriter writer;
    writer.setFrameSize(400, 300).setFrameRate(frameRate);
    writer.tag(32, defineShape3(RectShape {}));
    writer.tag(39, defineSprite(2, {{tagBytes(26, placeObject2(inner))}, {tagBytes(26, placeObject2(moved))}}));
    Placement sprite;
    sprite.characterId = 2;
    writer.tag(26, placeObject2(sprite)).showFrame();
    return writer.build();
}

std::vector<RegressionMovie> regressionMovies()
{
    return {{"morph-crowd-in-scaling-grid", morphCrowdInScalingGrid()}, {"sprite-moving-in-a-still-movie", spriteMovingInAStillMovie(24)}};
}

} // namespace swftest
