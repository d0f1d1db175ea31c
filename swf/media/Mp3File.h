#pragma once

// An MP3 file as loadSound reads it: the frames after any ID3v2 tag,
// decoded to 16-bit PCM at the rate and channel count its first frame
// header gives, and its tags.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "swf/media/Id3Tags.h"
#include "swf/media/PcmSound.h"
#include "swf/read/Result.h"

namespace swf {

struct Mp3File {
    PcmSound sound;
    Id3Tags tags;
};

struct Mp3FrameHeader {
    int sampleRate = 0;
    int channels = 0;
};

// The header of the frame at the start of `bytes`, if it is an MPEG
// audio layer III one.
std::optional<Mp3FrameHeader> readMp3FrameHeader(std::span<const std::uint8_t> bytes);

// Decodes at most `maxFrames` sample frames; an error when no frame of
// `file` decodes (what is not an MP3 file, or a damaged one). The tags are
// read whatever the sound holds.
Result<Mp3File> decodeMp3File(std::span<const std::uint8_t> file, std::size_t maxFrames);

} // namespace swf
