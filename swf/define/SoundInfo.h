#pragma once

// The sound control tags a timeline carries: StartSound/StartSound2 with
// their SOUNDINFO (how to play the sound), and the stream heads; and the
// sounds a button plays as the pointer moves it (DefineButtonSound).

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "swf/media/SoundFormat.h"
#include "swf/read/Result.h"

namespace swf {

struct SoundEnvelopePoint {
    std::uint32_t position = 0; // in 44.1 kHz sample frames from the in point
    std::uint16_t left = 32768;  // 0..32768
    std::uint16_t right = 32768;
};

struct SoundInfo {
    bool stop = false;       // stops the sound instead of starting it
    bool noMultiple = false; // not started when it is already playing
    std::optional<std::uint32_t> inPoint;  // 44.1 kHz sample frames
    std::optional<std::uint32_t> outPoint; // 44.1 kHz sample frames
    std::uint16_t loops = 1;
    std::vector<SoundEnvelopePoint> envelope;
};

struct StartSoundCommand {
    std::uint16_t soundId = 0; // StartSound
    std::string className;     // StartSound2
    SoundInfo info;
};

// DefineButtonSound: a sound for each of four moves of the pointer, in
// this order; a sound id of 0 plays nothing.
struct ButtonSounds {
    enum Move { OverToIdle, IdleToOver, OverToDown, DownToOver, kMoves };
    struct Entry {
        std::uint16_t soundId = 0;
        SoundInfo info;
    };
    std::array<Entry, kMoves> entries;
};

struct SoundStreamHead {
    SoundFormat format;
    std::uint16_t samplesPerBlock = 0;
    std::int16_t latencySeek = 0; // MP3 only
};

// Reads a SOUNDINFO record from the start of `bytes`.
Result<SoundInfo> readSoundInfo(std::span<const std::uint8_t> bytes);
// StartSound (code 15) and StartSound2 (code 89).
Result<StartSoundCommand> readStartSound(std::uint16_t code, std::span<const std::uint8_t> body);
Result<SoundStreamHead> readSoundStreamHead(std::span<const std::uint8_t> body);
// DefineButtonSound's body after the button id.
Result<ButtonSounds> readButtonSounds(std::span<const std::uint8_t> body);

} // namespace swf
