#pragma once

// What a timeline does frame by frame, as its control tags say: places,
// moves and removals per frame, the frame labels, and the tags that later
// layers act on (actions, sounds, video frames), carried as references into
// the movie's stream. The main movie and every sprite have one.

#include <cstdint>
#include <memory>
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
#include "swf/read/TagRecord.h"

namespace swf {

// A tag's body as it sits in the movie's uncompressed stream, for the
// layers that read it when the frame is reached (the script machine, the
// sound mixer, the video decoder). Offsets are into the stream, which the
// movie keeps for as long as it plays.
struct TagRef {
    std::uint16_t code = 0;
    std::uint64_t offset = 0;
    std::uint32_t length = 0;
};

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
    // Present and empty clears the object's filters.
    std::shared_ptr<const std::vector<Filter>> filters;
    std::optional<std::uint8_t> blendMode; // as stored
    std::optional<bool> cacheAsBitmap;
    std::optional<bool> visible;
    std::optional<Color> background;
    std::optional<std::string> className;
    // The CLIPACTIONS record, for the script machine.
    std::optional<TagRef> clipActions;
};

struct RemoveCommand {
    std::uint16_t depth = 0;
};

// DoAction, DoInitAction, StartSound, StartSound2, SoundStreamHead,
// SoundStreamHead2, SoundStreamBlock and VideoFrame, in their place among
// the frame's other commands.
using CarriedTag = TagRef;

using FrameCommand = std::variant<PlaceCommand, RemoveCommand, CarriedTag>;

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
// tags that are not control tags are ignored. `bodyOffset` is where the
// body sits in the movie's stream, which carried tags refer to.
bool readControlTag(FrameScript& script, std::uint16_t code, std::span<const std::uint8_t> body, std::uint8_t swfVersion,
                    std::string& problem, std::uint64_t bodyOffset = 0);

// True for the tags readControlTag gives meaning to, carried ones included.
bool isControlTag(std::uint16_t code);

// One PlaceObject, PlaceObject2 or PlaceObject3 body.
std::optional<PlaceCommand> readPlaceObject(std::uint16_t code, std::span<const std::uint8_t> body, std::uint8_t swfVersion,
                                            std::uint64_t bodyOffset = 0);

} // namespace swf
