#pragma once

// Every sound the movie plays, mixed to 44.1 kHz stereo 16-bit. Plain
// code driven by sample counts: whoever outputs the sound (an audio device,
// or `tvk` writing files) asks for as many frames as it needs. The frame
// loop starts and stops sounds from its own thread while the output pulls
// from another, so every entry point takes the mixer's lock.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "swf/define/SoundInfo.h"
#include "swf/media/PcmSound.h"
#include "swf/runtime/SoundChannel.h"

namespace swf {

class SoundMixer {
public:
    static constexpr int kOutputRate = SoundChannel::kOutputRate;
    // Sounds playing at once beyond this are not started; the reference
    // player has a cap of its own.
    static constexpr std::size_t kMaxChannels = 64;

    // Each playing sound's own output, before mixing: the sound started as
    // the `index`-th of those first heard in output frame `frame`.
    using Tap = std::function<void(int frame, int index, std::span<const std::int16_t> samples)>;

    void setTap(Tap tap);
    // The frame of output the next render() belongs to; sounds started
    // from now on are first heard in it.
    void setFrame(int frame);

    // Starts an event sound under `soundId`; with `info.stop` stops it
    // instead. Returns a handle for the sound, 0 when nothing started.
    std::uint64_t startEvent(std::uint16_t soundId, std::shared_ptr<const PcmSound> sound, const SoundInfo& info);
    void stopEvent(std::uint16_t soundId);
    bool isPlaying(std::uint16_t soundId) const;
    void stopAll();

    // A stream sound keyed by its timeline; starting one where one plays
    // closes the old one.
    void openStream(std::uint64_t key, int doubledRate, int channels);
    // Samples for the stream open under `key`; false when there is none.
    bool appendStream(std::uint64_t key, std::span<const std::int16_t> samples);
    void closeStream(std::uint64_t key);
    bool hasStream(std::uint64_t key) const;
    // Where the stream under `key` has got to: the output frame it was
    // first heard in and the sample frames of its own it has played since
    // (silence while it waited for blocks does not count). None when no
    // stream plays under `key`.
    struct StreamProgress {
        int firstFrame = 0;
        std::uint64_t played = 0;
    };
    std::optional<StreamProgress> streamProgress(std::uint64_t key) const;

    // Global volume, 0..1, and mute; they act on the mix, not on the tap.
    void setVolume(double volume);
    void setMuted(bool muted);

    // Adds nothing and writes `frames` stereo frames (interleaved) to `out`.
    void render(std::span<std::int16_t> out);
    std::size_t activeCount() const;

private:
    struct Playing {
        std::unique_ptr<SoundChannel> channel;
        std::uint16_t soundId = 0; // event sounds
        std::uint64_t streamKey = 0; // stream sounds
        int frame = 0;
        int index = 0;
    };
    bool admit(Playing& playing);

    mutable std::mutex m_lock;
    std::vector<Playing> m_playing;
    Tap m_tap;
    int m_frame = 0;
    int m_startedInFrame = 0;
    double m_volume = 1;
    bool m_muted = false;
    std::vector<std::int16_t> m_scratch;
    std::vector<std::int32_t> m_sum;
};

} // namespace swf
