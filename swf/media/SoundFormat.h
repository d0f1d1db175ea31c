#pragma once

// How a sound's samples are stored, as the format byte of DefineSound and
// of the stream heads gives it.

#include <cstdint>

namespace swf {

enum class SoundCodec : std::uint8_t {
    PcmNative = 0, // written on little-endian machines in practice
    Adpcm = 1,
    Mp3 = 2,
    PcmLittle = 3,
    Nellymoser16k = 4,
    Nellymoser8k = 5,
    Nellymoser = 6,
    Speex = 11,
    // FLV files only. AAC's rate and channels come from the configuration
    // its stream starts with, not from these flags.
    Aac = 10,
    Mp3At8k = 14,
};

struct SoundFormat {
    std::uint8_t codec = 0; // a SoundCodec, or a code we do not know
    std::uint8_t rateCode = 0; // 0..3: 5.5, 11, 22, 44 kHz
    bool is16Bit = true;
    bool stereo = false;

    // The top nibble is the codec, then two bits of rate, one of sample
    // size, one of channels.
    static SoundFormat fromByte(std::uint8_t byte)
    {
        return {std::uint8_t(byte >> 4), std::uint8_t((byte >> 2) & 3), bool(byte & 2), bool(byte & 1)};
    }

    // Twice the sample rate, so that 5,512.5 Hz is a whole number. The
    // Nellymoser and Speex variants have fixed rates whatever the flags say.
    int doubledRate() const
    {
        switch (SoundCodec(codec)) {
        case SoundCodec::Nellymoser16k:
        case SoundCodec::Speex:
            return 32'000;
        case SoundCodec::Nellymoser8k:
        case SoundCodec::Mp3At8k:
            return 16'000;
        default:
            return 11'025 << rateCode;
        }
    }
    int channels() const
    {
        const auto known = SoundCodec(codec);
        if (known == SoundCodec::Nellymoser16k || known == SoundCodec::Nellymoser8k || known == SoundCodec::Speex)
            return 1;
        return stereo ? 2 : 1;
    }
};

} // namespace swf
