#pragma once

// Movies that once broke the engine, built for the tests that keep them
// mended and written out as seeds for the fuzzers.

#include <cstdint>
#include <string>
#include <vector>

namespace swftest {

struct RegressionMovie {
    std::string name;
    std::vector<std::uint8_t> bytes;
};

// A sprite with a scaling grid holding forty instances of one morph, each
// frame of the sprite moving every instance to ratios not seen before: the
// morph's cache of ratios fills and empties while the grid's parts are
// being worked out.
std::vector<std::uint8_t> morphCrowdInScalingGrid();

// A one-frame main timeline holding a sprite that moves its square on each
// of its own two frames, at `frameRate`: the main timeline never changes
// frame, the stage does every frame.
std::vector<std::uint8_t> spriteMovingInAStillMovie(double frameRate);

// Every movie above, named.
std::vector<RegressionMovie> regressionMovies();

} // namespace swftest
