#include "swf/media/SoundDecoder.h"

#include <algorithm>

#include "swf/media/AudioCodec.h"
#include "swf/read/ByteReader.h"

namespace swf {

namespace {

bool isPcm(const SoundFormat& format)
{
    return format.codec == std::uint8_t(SoundCodec::PcmNative) || format.codec == std::uint8_t(SoundCodec::PcmLittle);
}

} // namespace

SoundDecoder::SoundDecoder(SoundFormat format, std::span<const std::uint8_t> config)
    : m_format(format)
{
    if (!isPcm(format))
        m_codec = AudioCodec::open(format, m_error, config);
}

int SoundDecoder::doubledRate() const
{
    if (m_format.codec == std::uint8_t(SoundCodec::Aac) && m_codec && m_codec->sampleRate() > 0)
        return 2 * std::min(m_codec->sampleRate(), 192'000);
    return m_format.doubledRate();
}

SoundDecoder::~SoundDecoder() = default;

bool SoundDecoder::decode(std::span<const std::uint8_t> data, std::vector<std::int16_t>& out)
{
    const std::size_t cap = out.size() + (data.size() * kMaxFramesPerByte + kSlackFrames) * std::size_t(channels());
    if (isPcm(m_format)) {
        decodePcm(data, out);
        return true;
    }
    if (!m_codec)
        return false;
    if (data.empty())
        return true;
    if (!m_codec->decode(data, out, cap)) {
        m_error = "sound data that does not decode";
        return false;
    }
    return true;
}

// The "native" byte order was the authoring machine's, little-endian in
// every movie seen in practice, which is also how the reference player
// reads it. 8-bit samples are unsigned.
void SoundDecoder::decodePcm(std::span<const std::uint8_t> data, std::vector<std::int16_t>& out) const
{
    if (!m_format.is16Bit) {
        for (std::uint8_t byte : data)
            out.push_back(std::int16_t((int(byte) - 128) << 8));
        return;
    }
    for (std::size_t i = 0; i + 1 < data.size(); i += 2)
        out.push_back(std::int16_t(data[i] | (data[i + 1] << 8)));
}

Result<PcmSound> decodeEventSound(const SoundFormat& format, std::uint32_t sampleCount, std::span<const std::uint8_t> data)
{
    std::size_t skip = 0;
    if (format.codec == std::uint8_t(SoundCodec::Mp3)) {
        ByteReader reader(data);
        const std::optional<std::int16_t> seek = reader.s16();
        if (!seek)
            return Result<PcmSound>::failure("MP3 sound data too short for its header");
        skip = std::size_t(std::max<int>(0, *seek));
        data = reader.rest();
    }
    SoundDecoder decoder(format);
    PcmSound sound;
    sound.doubledRate = format.doubledRate();
    sound.channels = format.channels();
    // Reserving the declared count would let a hostile header claim memory
    // its data cannot justify.
    if (!decoder.decode(data, sound.samples) && sound.samples.empty())
        return Result<PcmSound>::failure(decoder.error());
    const std::size_t channels = std::size_t(sound.channels);
    // Keep stereo samples paired.
    sound.samples.resize(sound.samples.size() / channels * channels);
    skip = std::min(skip, sound.frames());
    sound.samples.erase(sound.samples.begin(), sound.samples.begin() + std::ptrdiff_t(skip * channels));
    // The declared count ends the sound: decoders pad their last block.
    if (sound.frames() > sampleCount)
        sound.samples.resize(std::size_t(sampleCount) * channels);
    sound.samples.shrink_to_fit();
    return sound;
}

std::span<const std::uint8_t> streamBlockSoundData(const SoundFormat& format, std::span<const std::uint8_t> block)
{
    if (format.codec != std::uint8_t(SoundCodec::Mp3))
        return block;
    return block.size() >= 4 ? block.subspan(4) : std::span<const std::uint8_t> {};
}

} // namespace swf
