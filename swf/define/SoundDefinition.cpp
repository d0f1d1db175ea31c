#include "swf/define/SoundDefinition.h"

#include "swf/media/SoundDecoder.h"
#include "swf/read/ByteReader.h"

namespace swf {

SoundDefinition::SoundDefinition(std::uint16_t id, SoundFormat format, std::uint32_t sampleCount, std::vector<std::uint8_t> data)
    : m_id(id)
    , m_format(format)
    , m_sampleCount(sampleCount)
    , m_data(std::move(data))
{
}

std::shared_ptr<const PcmSound> SoundDefinition::pcm() const
{
    std::call_once(m_decoded, [this] {
        Result<PcmSound> decoded = decodeEventSound(m_format, m_sampleCount, m_data);
        if (decoded)
            m_pcm = std::make_shared<const PcmSound>(std::move(decoded.value()));
        else
            m_error = decoded.error();
    });
    return m_pcm;
}

std::string SoundDefinition::decodeError() const
{
    pcm();
    return m_error;
}

Result<std::shared_ptr<SoundDefinition>> readSoundDefinition(std::uint16_t id, std::span<const std::uint8_t> body)
{
    ByteReader reader(body);
    const auto format = reader.u8();
    const auto sampleCount = reader.u32();
    if (!format || !sampleCount)
        return Result<std::shared_ptr<SoundDefinition>>::failure("sound definition cut short");
    const std::span<const std::uint8_t> data = reader.rest();
    return std::make_shared<SoundDefinition>(id, SoundFormat::fromByte(*format), *sampleCount,
                                             std::vector<std::uint8_t>(data.begin(), data.end()));
}

} // namespace swf
