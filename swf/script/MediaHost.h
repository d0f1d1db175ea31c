#pragma once

// What the Sound and NetStream classes ask of the player: levels per
// owner, exported and loaded sounds started and stopped, their progress,
// MP3 loads, and the files streams play. An
// owner is a clip, the whole movie (a null clip), or one sound a Sound
// object loaded, which plays at levels of its own.
//
// Ends and loads are never answered inside the call that started them: the
// frame loop collects them at a frame boundary (takeEnded, takeLoads), so
// onSoundComplete and onLoad run between frames as the reference player
// runs them.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "swf/script/Host.h"
#include "swf/script/StreamFile.h"

namespace swf::script {

// As script sees them, in percent: how much of each input channel each
// speaker plays (ll: left to left, lr: right to left, rl: left to right,
// rr: right to right), and the volume over that.
struct SoundLevels {
    double ll = 100;
    double lr = 0;
    double rl = 0;
    double rr = 100;
    double volume = 100;
};

struct SoundOwner {
    ClipHandle clip;
    std::uint64_t loaded = 0; // a load's id; the clip is not used then
};

class MediaHost {
public:
    virtual ~MediaHost() = default;

    // None when the owner clip is gone.
    virtual std::optional<SoundLevels> levels(SoundOwner owner) = 0;
    virtual void setLevels(SoundOwner owner, const SoundLevels& levels) = 0;

    // A sound the movie exports by `name`: its character and its length in
    // milliseconds. None when the name is not an exported sound.
    struct Exported {
        std::uint16_t id = 0;
        double duration = 0;
    };
    virtual std::optional<Exported> exportedSound(std::string_view name) = 0;

    // Starts an exported sound (`loaded` 0) or a loaded one at `offset`
    // seconds, `loops` times, at `owner`'s levels. A non-zero `tag` is
    // handed back by takeEnded() when the sound ends. Returns the playing
    // sound's handle, 0 when it could not start.
    virtual std::uint64_t start(SoundOwner owner, std::uint16_t exported, std::uint64_t loaded, double offset, int loops,
                                std::uint64_t tag) = 0;
    // Stops `owner`'s sounds (every sound, for the whole movie), only
    // those of the exported sound when given.
    virtual void stop(SoundOwner owner, std::optional<std::uint16_t> exported) = 0;
    // Milliseconds into its current loop; none once it ended.
    virtual std::optional<double> position(std::uint64_t handle) = 0;
    struct Ended {
        std::uint64_t tag = 0;
        bool completed = false;
    };
    virtual std::vector<Ended> takeEnded() = 0;

    // loadSound: an MP3 file from `url` under the movie's sandbox, kept
    // under `id` for start() once it has arrived.
    virtual void load(std::uint64_t id, std::string_view url, bool streaming) = 0;
    struct Loaded {
        std::uint64_t id = 0;
        bool ok = false;
        double bytes = 0;
        double duration = 0; // milliseconds
        std::vector<std::pair<std::string, std::string>> tags;
        bool streaming = false; // to be started once it has arrived
        // A streaming load with enough in to start before the rest comes:
        // not its end, which is reported as well. `bytes` and `duration`
        // are what has come so far.
        bool ready = false;
        // At the end of a streaming load: it was started while it arrived.
        bool playing = false;
    };
    virtual std::vector<Loaded> takeLoads() = 0;
    // Starts a streaming load that is ready, as it arrives, at its own
    // levels; `tag` as for start(). Returns the playing sound's handle, 0
    // when it could not start.
    virtual std::uint64_t startArriving(std::uint64_t id, std::uint64_t tag) = 0;
    // How long, in ms, what has come of a streaming load so far plays;
    // none once it has ended (or for a load that is not streaming).
    virtual std::optional<double> arrivedDuration(std::uint64_t id) = 0;

    // NetStream.play: a file from `url` under the movie's sandbox (at
    // most LoadQueue::kMaxBytes), handed over in parts as it arrives.
    virtual void loadFile(std::uint64_t id, std::string_view url) = 0;
    struct LoadedFile {
        std::uint64_t id = 0;
        bool ok = false;
        // What has arrived since the file's last part.
        std::vector<std::uint8_t> bytes;
        // The last part: the load has ended (`ok` says how).
        bool done = true;
    };
    virtual std::vector<LoadedFile> takeFiles() = 0;
    // Gives up a file's load nobody plays any more.
    virtual void cancelFile(std::uint64_t /*id*/) {}
    // The sound of a stream that plays (NetStream's), under its load's id,
    // at `owner`'s levels (the whole movie's for no clip). Starting one
    // afresh lets one still there play out what it holds.
    virtual void startStreamSound(std::uint64_t id, int doubledRate, int channels, SoundOwner owner) = 0;
    // Samples at the rate and channels it started with, after the last.
    virtual void appendStreamSound(std::uint64_t id, std::span<const std::int16_t> samples) = 0;
    // Ends it at once, with what it holds unheard (`drop`), or once that
    // has played.
    virtual void endStreamSound(std::uint64_t id, bool drop) = 0;
    // Output frames of its own sound it has played since it started (its
    // waits for more do not count); none once it has ended.
    virtual std::optional<std::uint64_t> streamSoundPlayed(std::uint64_t id) = 0;
    // Bytes so far and the whole (0 while unknown) of a sound or stream
    // load still under way; none once it has ended.
    virtual std::optional<Host::LoadProgress> loadProgress(std::uint64_t /*id*/) { return std::nullopt; }
    // The streams playing, by the ids their loads had, which script
    // follows from frame to frame until they end.
    std::vector<std::uint64_t>& playingStreams() { return m_playingStreams; }
    // When script last heard of the streams' loads, by the engine's
    // clock; negative before the first time.
    double lastStreamRound() const { return m_lastStreamRound; }
    void setLastStreamRound(double at) { m_lastStreamRound = at; }
    // The file each stream plays, picture and sound, by the stream's load id.
    std::map<std::uint64_t, std::unique_ptr<StreamFile>>& streamFiles() { return m_streamFiles; }

private:
    std::vector<std::uint64_t> m_playingStreams;
    std::map<std::uint64_t, std::unique_ptr<StreamFile>> m_streamFiles;
    double m_lastStreamRound = -1;
};

} // namespace swf::script
