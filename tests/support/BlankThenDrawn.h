#pragma once

// A movie whose first frames show nothing but the stage: the case that
// picking a representative frame is about.

#include <cstdint>
#include <vector>

#include "swf/Header.h"

namespace swftest {

// 100x80 pixels, white stage. Frames 0 .. blankFrames-1 are empty; frame
// blankFrames places a red square over the whole stage, and the frame after
// it takes the square away again. `frames` frames in all (at least
// blankFrames + 1).
std::vector<std::uint8_t> blankThenDrawn(int blankFrames, int frames,
                                         swf::Compression compression = swf::Compression::None);

} // namespace swftest
