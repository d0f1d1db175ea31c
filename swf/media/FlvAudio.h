#pragma once

// The sound of an FLV file, decoded tag by tag. An audio tag's first byte
// gives its format as a movie's sound format byte does, with AAC and 8 kHz
// MP3 besides; an AAC tag's next byte says whether the rest is the
// decoder's configuration or a frame. A tag in another format than the one
// before starts a new decoder.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace swf {

class SoundDecoder;

class FlvAudioDecoder {
public:
    FlvAudioDecoder();
    ~FlvAudioDecoder();
    FlvAudioDecoder(const FlvAudioDecoder&) = delete;
    FlvAudioDecoder& operator=(const FlvAudioDecoder&) = delete;

    // Appends what one audio tag's body decodes to, interleaved, at the
    // rate and channels these say after the call. False when none of it
    // could be decoded, with the reason in error().
    bool decode(std::span<const std::uint8_t> body, std::vector<std::int16_t>& out);
    // Twice the sample rate, so that 5,512.5 Hz is a whole number.
    int doubledRate() const;
    int channels() const;
    // Whether `body` is in the format of the tags before it: one that is
    // not changes the rate or the channels decode() gives.
    bool sameFormat(std::span<const std::uint8_t> body) const;
    // After a seek: the next tag starts a decoder afresh. AAC's
    // configuration is kept, as it comes once at the start of a stream.
    void restart();
    // Whether `body` holds AAC's configuration.
    static bool isAacConfig(std::span<const std::uint8_t> body);
    const std::string& error() const { return m_error; }

private:
    std::optional<std::uint8_t> m_format;
    std::vector<std::uint8_t> m_config;
    std::unique_ptr<SoundDecoder> m_decoder;
    std::string m_error;
};

} // namespace swf
