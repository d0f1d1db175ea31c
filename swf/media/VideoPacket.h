#pragma once

// What a video packet says about itself before it is decoded: whether it
// starts a run of frames that need no earlier one (where a jump into a
// video stream begins decoding), and how an FLV file's video tag wraps the
// packet its codec decodes.

#include <cstdint>
#include <optional>
#include <span>

namespace swf {

// Whether `packet` (as DefineVideoStream's codec `codec` lays it out) is a
// key frame. False where the codec does not say so plainly: the caller
// then decodes from the stream's first frame.
bool isVideoKeyFrame(std::uint8_t codec, std::span<const std::uint8_t> packet);

// One FLV video tag's body taken apart.
struct FlvVideoPacket {
    enum class Kind : std::uint8_t { Frame, DecoderConfig, EndOfSequence, Command };
    Kind kind = Kind::Frame;
    std::uint8_t codec = 0;
    bool keyFrame = false;
    // VP6's crop of the coded picture, the one byte its decoder takes
    // before the first frame.
    std::optional<std::uint8_t> vp6Crop;
    // What the codec decodes: a frame, or H.264's decoder configuration.
    std::span<const std::uint8_t> payload;
};

// Null for a body too short for its codec's header.
std::optional<FlvVideoPacket> readFlvVideoPacket(std::span<const std::uint8_t> body);

} // namespace swf
