#pragma once

// Every sound the movie plays, mixed to 44.1 kHz stereo 16-bit. Plain
// code driven by sample counts: whoever outputs the sound (an audio device,
// or `tvk` writing files) asks for as many frames as it needs. The frame
// loop starts and stops sounds from its own thread while the output pulls
// from another, so every entry point takes the mixer's lock.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
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
    // instead. `group` says whose levels it plays at (a clip's id, or a
    // sound script loaded; 0 for none but the movie's). With a `tag`, its
    // end is reported by takeEnded(). Returns a handle for the sound, unique
    // in this mixer, 0 when nothing started.
    std::uint64_t startEvent(std::uint16_t soundId, std::shared_ptr<const PcmSound> sound, const SoundInfo& info,
                             std::uint64_t group = 0, std::uint64_t tag = 0);
    void stopEvent(std::uint16_t soundId);
    bool isPlaying(std::uint16_t soundId) const;
    void stopAll();
    // Stops the event sounds of a group (all of them for group 0), only
    // those under `soundId` when given.
    void stopGroup(std::uint64_t group, std::optional<std::uint16_t> soundId);
    // Output frames the sound under `handle` has played of its current
    // loop; none once it has ended.
    std::optional<std::uint64_t> position(std::uint64_t handle) const;

    // Tagged sounds that ended since the last call: played through
    // (`completed`) or stopped.
    struct Ended {
        std::uint64_t tag = 0;
        bool completed = false;
    };
    std::vector<Ended> takeEnded();

    // Levels per group, which script sets: group 0's act on every sound,
    // a group's own on its sounds; both show in the tap, as they shape
    // what the movie plays.
    void setGroupTransform(std::uint64_t group, const SoundTransform& transform);
    SoundTransform groupTransform(std::uint64_t group) const;
    // Groups nest as clips do: the levels of a clip's Sound act on its
    // children's sounds as well, multiplied down the tree. Whoever starts
    // a clip's sound says whose child it is (0 for none).
    void setGroupParent(std::uint64_t group, std::uint64_t parent);
    void forgetGroup(std::uint64_t group);

    // A stream sound keyed by its timeline; starting one where one plays
    // closes the old one. A non-zero `tag` is reported by takeEnded() when
    // it ends. Returns its handle, 0 when there was no room for it.
    std::uint64_t openStream(std::uint64_t key, int doubledRate, int channels, std::uint64_t tag = 0);
    // Samples for the stream open under `key`; false when there is none.
    bool appendStream(std::uint64_t key, std::span<const std::int16_t> samples);
    void closeStream(std::uint64_t key);
    // Ends the stream under `key` at once, what it holds unheard with it.
    void dropStream(std::uint64_t key);
    bool hasStream(std::uint64_t key) const;
    // Where the stream under `key` has got to: the output frame it was
    // first heard in and the sample frames of its own it has played since
    // (silence while it waited for blocks does not count). None when no
    // stream plays under `key`.
    struct StreamProgress {
        int firstFrame = 0;
        std::uint64_t played = 0;
        // Output frames it holds that have not been played yet.
        std::uint64_t buffered = 0;
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
        std::uint64_t group = 0;
        std::uint64_t handle = 0;
        std::uint64_t tag = 0;
        int frame = 0;
        int index = 0;
    };
    bool admit(Playing& playing);
    // Takes away the sounds `ends` picks, reporting the tagged ones.
    template<typename Predicate>
    void end(Predicate ends, bool completed);
    SoundTransform transformFor(std::uint64_t group) const;

    mutable std::mutex m_lock;
    std::vector<Playing> m_playing;
    Tap m_tap;
    int m_frame = 0;
    int m_startedInFrame = 0;
    double m_volume = 1;
    bool m_muted = false;
    std::uint64_t m_nextHandle = 1;
    std::map<std::uint64_t, SoundTransform> m_groups;
    std::map<std::uint64_t, std::uint64_t> m_parents;
    std::vector<Ended> m_ended;
    std::vector<std::int16_t> m_scratch;
    std::vector<std::int32_t> m_sum;
};

} // namespace swf
