#pragma once

// One sound playing: an event sound from its in point to its out point as
// many times as it loops, shaped by its envelope, or a stream sound that
// grows block by block as its timeline passes them. It brings its samples
// to the output rate by holding each one for as long as it lasts there,
// as the reference player does.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "swf/define/SoundInfo.h"
#include "swf/media/PcmSound.h"

namespace swf {

// How a sound's two channels reach the speakers, in 0..1 shares: the
// script's setTransform (and setVolume and setPan through it).
struct SoundTransform {
    double leftToLeft = 1;
    double rightToLeft = 0;
    double leftToRight = 0;
    double rightToRight = 1;
    double volume = 1;
};

class SoundChannel {
public:
    static constexpr int kOutputRate = 44'100;

    // An event sound.
    SoundChannel(std::shared_ptr<const PcmSound> sound, const SoundInfo& info);
    // A stream sound: empty until blocks arrive.
    SoundChannel(int doubledRate, int channels);

    // Writes up to `frames` stereo output frames to `out` (interleaved,
    // not added to what is there); fewer once the sound ends.
    std::size_t render(std::int16_t* out, std::size_t frames);
    bool finished() const;

    // Stream sounds only: more samples at the stream's rate, and no more to come.
    void append(std::span<const std::int16_t> samples);
    void close() { m_open = false; }
    bool isStream() const { return m_stream; }
    bool isOpen() const { return m_open; }
    // Output frames played so far (of the current loop for an event sound)
    // and in all, and the length of one pass.
    std::uint64_t position() const { return m_position; }
    std::uint64_t played() const { return m_played; }
    std::uint64_t length() const;

    void setTransform(const SoundTransform& transform) { m_transform = transform; }

private:
    std::uint64_t sourceFrameAt(std::uint64_t outputFrame) const;
    void levelsAt(std::uint64_t outputFrame, double& left, double& right) const;

    std::shared_ptr<const PcmSound> m_sound;
    std::vector<std::int16_t> m_streamSamples; // a stream's own, kept as it grows
    int m_doubledRate = 88'200;
    int m_channels = 1;
    bool m_stream = false;
    bool m_open = false;
    std::uint64_t m_inPoint = 0;  // output frames
    std::uint64_t m_outPoint = 0; // output frames, end of one pass
    int m_loopsLeft = 1;
    std::vector<SoundEnvelopePoint> m_envelope;
    std::uint64_t m_position = 0; // output frames into the current pass, from the in point
    std::uint64_t m_played = 0;
    std::uint64_t m_streamBase = 0; // source frames of a stream already dropped
    SoundTransform m_transform;
};

} // namespace swf
