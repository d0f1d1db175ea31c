#pragma once

// DefineVideoStream: a video character whose frames come in VideoFrame
// tags of later frames, each carrying the packet of one frame number. The
// packets are added as loading reaches them, while the video may already
// be on show, so they sit behind a lock; what is handed out is shared.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "swf/Header.h"
#include "swf/define/Character.h"
#include "swf/read/Result.h"

namespace swf {

class VideoStreamDefinition final : public Character {
public:
    Kind kind() const override { return Kind::Video; }

    using Packet = std::shared_ptr<const std::vector<std::uint8_t>>;

    std::uint16_t frameCount = 0; // as the tag declares it
    std::uint16_t width = 0;      // pixels
    std::uint16_t height = 0;
    std::uint8_t deblocking = 0; // 0: as the stream says, 1: off, 2 and up: on
    bool smoothing = false;
    std::uint8_t codec = 0;

    // The box a picture is drawn into, in twips.
    Rect bounds() const { return Rect {0, std::int32_t(width) * 20, 0, std::int32_t(height) * 20}; }

    // A VideoFrame's packet; a frame number given twice keeps its first.
    void addFrame(std::uint16_t number, std::span<const std::uint8_t> packet) const;
    // The packet of `number`, null when none has arrived.
    Packet frame(std::uint16_t number) const;
    // The frames to decode, in order, to show `number` after `decoded`
    // (-1: none yet): the frames after `decoded` when no key frame comes
    // between, otherwise those from the last key frame at or before
    // `number`, or from the first frame. Frames that never arrived are left
    // out; empty when nothing needs decoding.
    std::vector<std::uint16_t> framesToShow(std::uint16_t number, int decoded) const;

private:
    struct Frame {
        Packet packet;
        bool key = false;
    };
    mutable std::mutex m_lock;
    mutable std::map<std::uint16_t, Frame> m_frames;
};

// DefineVideoStream's body after the character id.
Result<std::shared_ptr<VideoStreamDefinition>> readVideoStreamDefinition(std::span<const std::uint8_t> body);

struct VideoFrameTag {
    std::uint16_t streamId = 0;
    std::uint16_t frameNumber = 0;
    std::span<const std::uint8_t> packet;
};
Result<VideoFrameTag> readVideoFrameTag(std::span<const std::uint8_t> body);

} // namespace swf
