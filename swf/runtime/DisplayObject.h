#pragma once

// One entry of a display list: a character placed at a depth, with the
// properties the timeline gave it. Sprites and buttons carry their own
// timeline and display list.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "swf/ColorTransform.h"
#include "swf/Matrix.h"
#include "swf/define/Character.h"
#include "swf/read/FilterRecord.h"

namespace swf {

class Clip;

// Where a placement came from: the frame and the command within it. An
// object survives a rebuild of its timeline only if the rebuilt list places
// it from the same command.
using PlacementOrigin = std::pair<int, int>;

struct Placement {
    std::uint16_t characterId = 0;
    Matrix matrix;
    ColorTransform colorTransform;
    std::uint16_t ratio = 0;
    std::string name;
    std::uint16_t clipDepth = 0; // 0: not a mask
    std::uint8_t blendMode = 0;  // as stored
    std::vector<Filter> filters;
    bool cacheAsBitmap = false;
    bool visible = true;
    PlacementOrigin origin {-1, -1};
};

// Every display object alive counts against this, so that sprites nesting
// sprites cannot multiply into more objects than memory holds.
struct InstanceBudget {
    std::size_t live = 0;
    std::size_t limit = 200'000;
};

struct DisplayObject {
    DisplayObject() = default;
    DisplayObject(DisplayObject&& other) noexcept;
    DisplayObject& operator=(DisplayObject&& other) noexcept;
    ~DisplayObject();

    Placement placement;
    std::shared_ptr<const Character> character; // null for an id never defined
    std::unique_ptr<Clip> clip;                 // sprites and buttons
    InstanceBudget* budget = nullptr;           // charged while this lives
};

} // namespace swf
