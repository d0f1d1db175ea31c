#pragma once

// What a timeline does frame by frame, as its control tags say: places,
// moves and removals per frame, and the frame labels. The main movie and
// every sprite have one.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "swf/Color.h"
#include "swf/ColorTransform.h"
#include "swf/Diagnostic.h"
#include "swf/Matrix.h"
#include "swf/read/FilterRecord.h"

namespace swf {

// PlaceObject, PlaceObject2 and PlaceObject3 alike: what is absent leaves
// the object at the depth as it is.
struct PlaceCommand {
    std::uint16_t depth = 0;
    bool move = false; // changes an object already there
    std::optional<std::uint16_t> characterId;
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> colorTransform;
    std::optional<std::uint16_t> ratio;
    std::optional<std::string> name;
    std::optional<std::uint16_t> clipDepth;
    std::optional<std::vector<Filter>> filters;
    std::optional<std::uint8_t> blendMode; // as stored
    std::optional<bool> cacheAsBitmap;
    std::optional<bool> visible;
    std::optional<Color> background;
};

struct RemoveCommand {
    std::uint16_t depth = 0;
};

using FrameCommand = std::variant<PlaceCommand, RemoveCommand>;

struct FrameLabel {
    int frame = 0;
    std::string name;
};

struct Scene {
    int firstFrame = 0;
    std::string name;
};

struct FrameScript {
    std::vector<std::vector<FrameCommand>> frames;
    std::vector<FrameLabel> labels;
    std::vector<Scene> scenes;

    int frameCount() const { return int(frames.size()); }
};

// Reads one control tag into the frame being built (the last one in
// `script`). Returns false, with a diagnostic, for a tag it cannot read;
// tags that are not control tags are ignored.
bool readControlTag(FrameScript& script, std::uint16_t code, std::span<const std::uint8_t> body, std::uint8_t swfVersion,
                    std::string& problem);

// True for the tags readControlTag gives meaning to.
bool isControlTag(std::uint16_t code);

// One PlaceObject, PlaceObject2 or PlaceObject3 body.
std::optional<PlaceCommand> readPlaceObject(std::uint16_t code, std::span<const std::uint8_t> body, std::uint8_t swfVersion);

} // namespace swf
