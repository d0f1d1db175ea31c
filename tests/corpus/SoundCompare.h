#pragma once

// The corpus rule for comparing a captured sound with its reference, both
// 16-bit stereo frames: the lengths agree within 2% of the reference's (at
// least 1,470 frames, one frame of a 30 fps movie), and over the common
// length the signal-to-noise ratio of the capture against the reference
// is at least `minSnr` dB. Two silent streams match.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct SoundComparison {
    bool lengthAgrees = false;
    double snr = 0; // dB; infinite when the two agree exactly
    bool passes(double minSnr = 40) const { return lengthAgrees && snr >= minSnr; }
};

SoundComparison compareSounds(std::span<const std::int16_t> captured, std::span<const std::int16_t> reference);

// The recorded references hold one 44.1 kHz frame in eight (5,512.5 frames
// a second): the middle frame of each group of eight, which is what this
// keeps of a capture.
std::vector<std::int16_t> atReferenceRate(std::span<const std::int16_t> captured);
