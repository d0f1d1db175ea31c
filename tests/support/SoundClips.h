#pragma once

// Tones encoded by libavcodec's own encoders, packet by packet, for the
// tests and benchmarks of sound decoding, so that no compressed sound is
// checked in.

#include <cstdint>
#include <string>
#include <vector>

namespace swftest {

struct Tone {
    std::string encoder;  // libavcodec's name: "libmp3lame", "aac", "nellymoser", "libspeex", ...
    int rate = 44'100;
    int channels = 1;
    double seconds = 1;
    double hz = 1000;     // the first channel's pitch; each further one is 110 Hz higher
    double level = 0.5;   // of full scale
    int bitRate = 64'000;
    int framesPerPacket = 1; // Speex packs this many frames into a packet
};

struct SoundClip {
    std::vector<std::vector<std::uint8_t>> packets;
    std::vector<std::uint8_t> extradata; // AAC's decoder configuration
    int frameSize = 0;                   // samples a channel per packet
};

// Empty packets when this FFmpeg has no such encoder or it will not take
// the tone as asked.
SoundClip encodeTone(const Tone& tone);

// The packets end to end.
std::vector<std::uint8_t> joinedPackets(const SoundClip& clip);

} // namespace swftest
