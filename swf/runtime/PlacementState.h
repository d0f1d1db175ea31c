#pragma once

// Everything a timeline's place commands say about the object at a depth,
// with the defaults for what they leave out. Jumping on a timeline works out
// the state of each depth at the frame gone to, then brings the living
// objects to it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "swf/Color.h"
#include "swf/ColorTransform.h"
#include "swf/Matrix.h"
#include "swf/define/FrameScript.h"

namespace swf {

struct PlacementState {
    Matrix matrix;
    ColorTransform colorTransform;
    std::uint16_t ratio = 0;
    std::string name;
    std::uint16_t clipDepth = 0;
    std::uint8_t blendMode = 0;
    std::shared_ptr<const std::vector<Filter>> filters;
    bool visible = true;
    bool cacheAsBitmap = false;
    std::optional<Color> background;

    // Takes what the command gives; leaves the rest.
    void merge(const PlaceCommand& place);
};

// What a place command does to a depth, given what is there.
enum class PlaceAction {
    Ignore,  // moves or changes what is not there
    Create,  // a new object at the depth, replacing any
    Replace, // the object becomes a new one of another character, keeping its state
    Modify,  // the object there takes the command's properties
};

// `current` is the character at the depth, if any; `replaceable` says
// whether the reference player swaps between the two characters.
PlaceAction placeAction(const PlaceCommand& place, std::optional<std::uint16_t> current, bool replaceable, int swfVersion);

} // namespace swf
