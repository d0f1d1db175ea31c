#pragma once

// A sound a movie defines (DefineSound), decoded the first time something
// plays it: many movies define sounds they never start, and a long MP3
// would hold up the load for nothing.

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "swf/media/PcmSound.h"
#include "swf/media/SoundFormat.h"
#include "swf/read/Result.h"

namespace swf {

class SoundDefinition {
public:
    SoundDefinition(std::uint16_t id, SoundFormat format, std::uint32_t sampleCount, std::vector<std::uint8_t> data);

    std::uint16_t id() const { return m_id; }
    const SoundFormat& format() const { return m_format; }
    // As declared, in frames at the sound's own rate.
    std::uint32_t sampleCount() const { return m_sampleCount; }

    // The decoded sound, or null (with the reason in decodeError()) when
    // its data does not decode. Safe from any thread.
    std::shared_ptr<const PcmSound> pcm() const;
    std::string decodeError() const;

private:
    std::uint16_t m_id;
    SoundFormat m_format;
    std::uint32_t m_sampleCount;
    std::vector<std::uint8_t> m_data;
    mutable std::once_flag m_decoded;
    mutable std::shared_ptr<const PcmSound> m_pcm;
    mutable std::string m_error;
};

// DefineSound's body after the character id.
Result<std::shared_ptr<SoundDefinition>> readSoundDefinition(std::uint16_t id, std::span<const std::uint8_t> body);

} // namespace swf
