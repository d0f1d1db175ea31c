#include "swf/media/FlvAudio.h"

#include "swf/media/SoundDecoder.h"
#include "swf/media/SoundFormat.h"

namespace swf {

namespace {

bool isAac(std::uint8_t formatByte)
{
    return SoundCodec(formatByte >> 4) == SoundCodec::Aac;
}

} // namespace

FlvAudioDecoder::FlvAudioDecoder() = default;
FlvAudioDecoder::~FlvAudioDecoder() = default;

bool FlvAudioDecoder::isAacConfig(std::span<const std::uint8_t> body)
{
    return body.size() >= 2 && isAac(body[0]) && body[1] == 0;
}

bool FlvAudioDecoder::sameFormat(std::span<const std::uint8_t> body) const
{
    return !body.empty() && m_format == body[0];
}

bool FlvAudioDecoder::decode(std::span<const std::uint8_t> body, std::vector<std::int16_t>& out)
{
    if (body.empty()) {
        m_error = "an audio tag with no format";
        return false;
    }
    const std::uint8_t format = body[0];
    std::span<const std::uint8_t> data = body.subspan(1);
    if (isAac(format)) {
        if (data.empty()) {
            m_error = "an AAC tag with no packet type";
            return false;
        }
        const std::uint8_t packetType = data[0];
        data = data.subspan(1);
        if (packetType == 0) {
            // A new configuration: the next frame decodes by it.
            m_config.assign(data.begin(), data.end());
            m_decoder.reset();
            m_format = format;
            return true;
        }
        if (packetType != 1) {
            m_error = "an AAC tag of unknown packet type " + std::to_string(packetType);
            return false;
        }
    }
    if (!m_decoder || m_format != format) {
        m_format = format;
        m_decoder = std::make_unique<SoundDecoder>(SoundFormat::fromByte(format), isAac(format) ? std::span<const std::uint8_t>(m_config)
                                                                                                 : std::span<const std::uint8_t>());
    }
    if (!m_decoder->decode(data, out)) {
        m_error = m_decoder->error();
        return false;
    }
    return true;
}

int FlvAudioDecoder::doubledRate() const
{
    if (m_decoder)
        return m_decoder->doubledRate();
    return m_format ? SoundFormat::fromByte(*m_format).doubledRate() : 88'200;
}

int FlvAudioDecoder::channels() const
{
    return m_format ? SoundFormat::fromByte(*m_format).channels() : 1;
}

void FlvAudioDecoder::restart()
{
    m_decoder.reset();
}

} // namespace swf
