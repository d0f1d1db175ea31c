#pragma once

// The Sound and NetStream classes' side in the player: levels kept per
// owner and handed to the mixer, exported sounds from the movie's
// dictionary, MP3 files loaded through the movie's load queue, decoded and
// kept for playing, and the files streams play, handed over as they arrive.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "swf/media/Mp3File.h"
#include "swf/media/PcmSound.h"
#include "swf/script/Fetcher.h"
#include "swf/script/MediaHost.h"

namespace swf {
class SoundMixer;
} // namespace swf

namespace swf::script {

class StageHost;

class StageMedia final : public MediaHost {
public:
    // Loaded sounds kept at once (the oldest goes), and how long one may
    // play: bounds on what a movie's loads may hold decoded.
    static constexpr std::size_t kMaxLoadedSounds = 16;
    static constexpr std::size_t kMaxLoadedFrames = std::size_t(10) * 60 * 44'100;
    // Loads of one kind that may wait for the next frame at once.
    static constexpr std::size_t kMaxPendingLoads = 8;
    // Seconds of a streaming sound that come before it starts, as
    // _soundbuftime says.
    static constexpr double kStreamBufferSeconds = 5;

    StageMedia(StageHost& host, SoundMixer& mixer);

    std::optional<SoundLevels> levels(SoundOwner owner) override;
    void setLevels(SoundOwner owner, const SoundLevels& levels) override;
    std::optional<Exported> exportedSound(std::string_view name) override;
    std::uint64_t start(SoundOwner owner, std::uint16_t exported, std::uint64_t loaded, double offset, int loops,
                        std::uint64_t tag) override;
    void stop(SoundOwner owner, std::optional<std::uint16_t> exported) override;
    std::optional<double> position(std::uint64_t handle) override;
    std::vector<Ended> takeEnded() override;
    void load(std::uint64_t id, std::string_view url, bool streaming) override;
    std::vector<Loaded> takeLoads() override;
    std::uint64_t startArriving(std::uint64_t id, std::uint64_t tag) override;
    std::optional<double> arrivedDuration(std::uint64_t id) override;
    void loadFile(std::uint64_t id, std::string_view url) override;
    std::vector<LoadedFile> takeFiles() override;
    void cancelFile(std::uint64_t id) override;
    std::optional<Host::LoadProgress> loadProgress(std::uint64_t id) override;
    void startStreamSound(std::uint64_t id, int doubledRate, int channels, SoundOwner owner) override;
    void appendStreamSound(std::uint64_t id, std::span<const std::int16_t> samples) override;
    void endStreamSound(std::uint64_t id, bool drop) override;
    std::optional<std::uint64_t> streamSoundPlayed(std::uint64_t id) override;

private:
    std::uint64_t groupOf(SoundOwner owner) const;
    void nest(SoundOwner owner);
    Loaded finishLoad(std::uint64_t id, const std::string& url, const QByteArray& bytes, bool streaming);
    // A streaming load's sound, decoded as it arrives.
    struct Arriving {
        Mp3FileReader reader;
        PcmSound sound;
        bool failed = false;
        bool started = false;
    };
    void takeArrived(std::uint64_t id, Arriving& arriving, std::span<const std::uint8_t> more);
    Loaded finishArriving(std::uint64_t id, const std::string& url, const QByteArray& bytes, Arriving& arriving);
    void keepLoaded(std::uint64_t id, std::shared_ptr<const PcmSound> sound);
    void forgetGone();

    StageHost& m_host;
    SoundMixer& m_mixer;
    std::map<std::uint64_t, SoundLevels> m_levels; // by group
    std::map<std::uint64_t, std::shared_ptr<const PcmSound>> m_loaded; // by load
    struct PendingLoad {
        std::uint64_t id = 0;
        std::uint64_t ticket = 0; // 0: failed already
        std::string url;
        bool streaming = false;
        std::size_t given = 0; // bytes handed over while it arrived
    };
    PendingLoad admit(const std::vector<PendingLoad>& pending, std::uint64_t id, std::string_view url, bool streaming);
    // The loads of `pending` that have ended, with their outcomes (a
    // diagnostic for each failure); the rest stay.
    std::vector<std::pair<PendingLoad, FetchOutcome>> takeEnded(std::vector<PendingLoad>& pending);

    std::vector<PendingLoad> m_pending;
    std::vector<PendingLoad> m_pendingFiles;
    std::map<std::uint64_t, Arriving> m_arriving; // by load
};

} // namespace swf::script
