#pragma once

// Sound data of any format a movie may store, decoded to 16-bit PCM at the
// sound's own rate. One decoder follows one sound: an event sound's data in
// one piece, or a stream's blocks one after another (the codec keeps its
// state from block to block).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "swf/media/PcmSound.h"
#include "swf/media/SoundFormat.h"
#include "swf/read/Result.h"

namespace swf {

class AudioCodec;

class SoundDecoder {
public:
    // No data decodes to more than this many sample frames per byte (the
    // densest format, 2-bit ADPCM, gives 4); whatever a decoder claims
    // beyond it, plus one block's slack, is not kept.
    static constexpr std::size_t kMaxFramesPerByte = 64;
    static constexpr std::size_t kSlackFrames = 4096;

    // `config`: the decoder's configuration, for the formats that have one
    // (AAC).
    explicit SoundDecoder(SoundFormat format, std::span<const std::uint8_t> config = {});
    ~SoundDecoder();
    SoundDecoder(const SoundDecoder&) = delete;
    SoundDecoder& operator=(const SoundDecoder&) = delete;

    const SoundFormat& format() const { return m_format; }
    int channels() const { return m_format.channels(); }
    // The format's rate, or for AAC the one its stream turned out to have
    // (the configuration's until something has decoded).
    int doubledRate() const;

    // Appends what `data` decodes to, interleaved, to `out`. False with
    // error() set when the format cannot be decoded at all or nothing of
    // `data` made sense; what did decode stays in `out`.
    bool decode(std::span<const std::uint8_t> data, std::vector<std::int16_t>& out);
    const std::string& error() const { return m_error; }

private:
    void decodePcm(std::span<const std::uint8_t> data, std::vector<std::int16_t>& out) const;

    SoundFormat m_format;
    std::unique_ptr<AudioCodec> m_codec;
    std::string m_error;
};

// A DefineSound's data: `sampleCount` frames as the tag declares them (an
// MP3 sound's data starts with its count of samples to skip, the encoder's
// delay). Decodes at most what the data can justify.
Result<PcmSound> decodeEventSound(const SoundFormat& format, std::uint32_t sampleCount, std::span<const std::uint8_t> data);

// The bytes of a SoundStreamBlock that hold sound: an MP3 block starts with
// its sample count and seek position.
std::span<const std::uint8_t> streamBlockSoundData(const SoundFormat& format, std::span<const std::uint8_t> block);

} // namespace swf
