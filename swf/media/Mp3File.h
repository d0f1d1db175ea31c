#pragma once

// An MP3 file as loadSound reads it: the frames after any ID3v2 tag,
// decoded to 16-bit PCM at the rate and channel count its first frame
// header gives, and its tags.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

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

class SoundDecoder;

// An MP3 file decoded as it arrives, as decodeMp3File decodes it whole:
// the ID3v2 tag and any encoder's info frame skipped, then each frame
// decoded once it has come whole. Junk between frames (and a tag at the
// end) is skipped up to the next frame's header. Only what is not yet
// decoded is held.
class Mp3FileReader {
public:
    Mp3FileReader();
    ~Mp3FileReader();
    Mp3FileReader(const Mp3FileReader&) = delete;
    Mp3FileReader& operator=(const Mp3FileReader&) = delete;

    // More of the file, as it came: appends to `out` the samples of the
    // frames it completes, up to `maxFrames` sample frames in all. False
    // once the bytes cannot be an MP3 file, with the reason in error().
    bool append(std::span<const std::uint8_t> more, std::vector<std::int16_t>& out, std::size_t maxFrames);
    // The first frame's rate and channels, once it has come.
    const std::optional<Mp3FrameHeader>& header() const { return m_header; }
    std::size_t frames() const { return m_frames; }
    const std::string& error() const { return m_error; }

private:
    enum class Stage { Tag, Skip, Sync, Info, Frames, Done };
    void decode(std::size_t length, std::vector<std::int16_t>& out, std::size_t maxFrames);

    Stage m_stage = Stage::Tag;
    std::vector<std::uint8_t> m_held; // bytes come but not yet used
    std::size_t m_skip = 0;           // of the ID3v2 tag, still to come
    std::size_t m_searched = 0;       // bytes looked through for a header
    std::optional<Mp3FrameHeader> m_header;
    std::unique_ptr<SoundDecoder> m_decoder;
    std::size_t m_frames = 0;
    std::string m_error;
};

} // namespace swf
