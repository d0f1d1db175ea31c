#include "swf/script/StageMedia.h"

#include <algorithm>
#include <cmath>

#include "swf/define/Dictionary.h"
#include "swf/define/SoundDefinition.h"
#include "swf/media/Mp3File.h"
#include "swf/runtime/SoundMixer.h"
#include "swf/runtime/Stage.h"
#include "swf/script/StageHost.h"

namespace swf::script {

namespace {

// Loaded sounds' groups live apart from clips' ids.
constexpr std::uint64_t kLoadedGroup = std::uint64_t(1) << 63;

// The mixer's keys for the sounds that play as they arrive: a streaming
// load's, and a stream's (NetStream's), apart from the timelines' keys,
// which are the ids of their clips.
std::uint64_t arrivingKey(std::uint64_t id)
{
    return std::uint64_t(1) << 61 | id;
}

std::uint64_t streamSoundKey(std::uint64_t id)
{
    return std::uint64_t(1) << 62 | id;
}

SoundTransform transformOf(const SoundLevels& levels)
{
    SoundTransform t;
    t.leftToLeft = levels.ll / 100;
    t.rightToLeft = levels.lr / 100;
    t.leftToRight = levels.rl / 100;
    t.rightToRight = levels.rr / 100;
    t.volume = levels.volume / 100;
    return t;
}

} // namespace

StageMedia::StageMedia(StageHost& host, SoundMixer& mixer)
    : m_host(host)
    , m_mixer(mixer)
{
}

std::uint64_t StageMedia::groupOf(SoundOwner owner) const
{
    if (owner.loaded)
        return kLoadedGroup | owner.loaded;
    return owner.clip.id;
}

// The levels of the clips around the owner act on its sounds too.
void StageMedia::nest(SoundOwner owner)
{
    if (!owner.loaded)
        for (ClipHandle clip = owner.clip; clip;) {
            const ClipHandle parent = m_host.parent(clip);
            m_mixer.setGroupParent(clip.id, parent.id);
            clip = parent;
        }
}

std::optional<SoundLevels> StageMedia::levels(SoundOwner owner)
{
    if (!owner.loaded && owner.clip && !m_host.alive(owner.clip))
        return std::nullopt;
    const auto found = m_levels.find(groupOf(owner));
    return found == m_levels.end() ? SoundLevels {} : found->second;
}

void StageMedia::setLevels(SoundOwner owner, const SoundLevels& levels)
{
    if (!owner.loaded && owner.clip && !m_host.alive(owner.clip))
        return;
    const std::uint64_t group = groupOf(owner);
    m_levels[group] = levels;
    m_mixer.setGroupTransform(group, transformOf(levels));
    forgetGone();
}

// Levels of clips since taken away are let go of now and then, so a movie
// that makes clip after clip does not pile them up.
void StageMedia::forgetGone()
{
    static constexpr std::size_t kFloor = 256;
    if (m_levels.size() < kFloor)
        return;
    std::erase_if(m_levels, [&](const auto& entry) {
        const std::uint64_t group = entry.first;
        if (group == 0 || group & kLoadedGroup || m_host.alive(ClipHandle {group}))
            return false;
        m_mixer.forgetGroup(group);
        return true;
    });
}

std::optional<MediaHost::Exported> StageMedia::exportedSound(std::string_view name)
{
    const Dictionary& dictionary = m_host.stage().dictionary();
    const std::optional<std::uint16_t> id = m_host.stage().passedExport(std::string(name));
    const std::shared_ptr<const SoundDefinition> sound = id ? dictionary.sound(*id) : nullptr;
    if (!sound)
        return std::nullopt;
    const double rate = sound->format().doubledRate() / 2.0;
    return Exported {*id, rate > 0 ? std::round(sound->sampleCount() * 1000.0 / rate) : 0};
}

std::uint64_t StageMedia::start(SoundOwner owner, std::uint16_t exported, std::uint64_t loaded, double offset, int loops,
                                 std::uint64_t tag)
{
    std::shared_ptr<const PcmSound> pcm;
    if (loaded) {
        const auto found = m_loaded.find(loaded);
        if (found != m_loaded.end())
            pcm = found->second;
    } else if (const std::shared_ptr<const SoundDefinition> sound = m_host.stage().dictionary().sound(exported)) {
        pcm = sound->pcm();
        if (!pcm)
            m_host.diagnostic("sound " + std::to_string(exported) + ": " + sound->decodeError());
    }
    if (!pcm)
        return 0;
    nest(owner);
    SoundInfo info;
    if (std::isfinite(offset) && offset > 0)
        info.inPoint = std::uint32_t(std::min(offset * SoundMixer::kOutputRate, 4.0e9));
    info.loops = std::uint16_t(std::clamp(loops, 1, 0xFFFF));
    return m_mixer.startEvent(loaded ? 0 : exported, std::move(pcm), info, groupOf(owner), tag);
}

void StageMedia::stop(SoundOwner owner, std::optional<std::uint16_t> exported)
{
    m_mixer.stopGroup(groupOf(owner), exported);
    if (owner.loaded)
        m_mixer.dropStream(arrivingKey(owner.loaded));
}

std::optional<double> StageMedia::position(std::uint64_t handle)
{
    const std::optional<std::uint64_t> frames = m_mixer.position(handle);
    if (!frames)
        return std::nullopt;
    return std::round(double(*frames) * 1000.0 / SoundMixer::kOutputRate);
}

std::vector<MediaHost::Ended> StageMedia::takeEnded()
{
    std::vector<Ended> ended;
    for (const SoundMixer::Ended& end : m_mixer.takeEnded())
        ended.push_back({end.tag, end.completed});
    return ended;
}

void StageMedia::load(std::uint64_t id, std::string_view url, bool streaming)
{
    m_pending.push_back(admit(m_pending, id, url, streaming));
}

void StageMedia::loadFile(std::uint64_t id, std::string_view url)
{
    m_pendingFiles.push_back(admit(m_pendingFiles, id, url, false));
}

// Each load is held whole once it has arrived: a script asking for load
// after load in one frame gets a failure beyond a few, rather than holding
// many files at once.
StageMedia::PendingLoad StageMedia::admit(const std::vector<PendingLoad>& pending, std::uint64_t id, std::string_view url, bool streaming)
{
    const auto waiting = std::count_if(pending.begin(), pending.end(), [](const PendingLoad& load) { return load.ticket != 0; });
    if (std::size_t(waiting) >= kMaxPendingLoads) {
        m_host.diagnostic("loading \"" + std::string(url) + "\" failed: too many loads at once");
        return PendingLoad {id, 0, std::string(url), streaming};
    }
    return PendingLoad {id, m_host.loads().start(url), std::string(url), streaming};
}

std::vector<std::pair<StageMedia::PendingLoad, FetchOutcome>> StageMedia::takeEnded(std::vector<PendingLoad>& pending)
{
    std::vector<std::pair<PendingLoad, FetchOutcome>> ended;
    std::vector<PendingLoad> waiting;
    for (PendingLoad& load : pending) {
        std::optional<FetchOutcome> outcome = load.ticket ? m_host.loads().take(load.ticket) : FetchOutcome {};
        if (!outcome) {
            waiting.push_back(std::move(load));
            continue;
        }
        if (!outcome->ok && load.ticket) {
            const bool refused = outcome->error.starts_with("refused: ");
            m_host.diagnostic("loading \"" + load.url + "\" " + (refused ? outcome->error : "failed: " + outcome->error));
        }
        ended.emplace_back(std::move(load), std::move(*outcome));
    }
    pending = std::move(waiting);
    return ended;
}

std::optional<Host::LoadProgress> StageMedia::loadProgress(std::uint64_t id)
{
    for (const std::vector<PendingLoad>* pending : {&m_pending, &m_pendingFiles})
        for (const PendingLoad& load : *pending)
            if (load.id == id && load.ticket) {
                const FetchProgress progress = m_host.loads().progress(load.ticket);
                return Host::LoadProgress {id, double(progress.loaded), double(progress.total)};
            }
    return std::nullopt;
}

std::vector<MediaHost::LoadedFile> StageMedia::takeFiles()
{
    std::vector<LoadedFile> parts;
    for (auto& [load, outcome] : takeEnded(m_pendingFiles)) {
        LoadedFile last {load.id, outcome.ok, {}, true};
        if (outcome.ok && std::size_t(outcome.bytes.size()) > load.given)
            last.bytes.assign(outcome.bytes.begin() + qsizetype(load.given), outcome.bytes.end());
        parts.push_back(std::move(last));
    }
    for (PendingLoad& load : m_pendingFiles) {
        if (!load.ticket)
            continue;
        const QByteArray more = m_host.loads().arrivedFrom(load.ticket, load.given);
        if (more.isEmpty())
            continue;
        load.given += std::size_t(more.size());
        parts.push_back({load.id, true, std::vector<std::uint8_t>(more.begin(), more.end()), false});
    }
    return parts;
}

void StageMedia::cancelFile(std::uint64_t id)
{
    std::erase_if(m_pendingFiles, [&](const PendingLoad& load) {
        if (load.id != id)
            return false;
        if (load.ticket)
            m_host.loads().cancel(load.ticket);
        return true;
    });
}

void StageMedia::startStreamSound(std::uint64_t id, int doubledRate, int channels, SoundOwner owner)
{
    const std::uint64_t key = streamSoundKey(id);
    m_mixer.openStream(key, std::clamp(doubledRate, 2'000, 384'000), std::clamp(channels, 1, 2));
    nest(owner);
    m_mixer.setGroupParent(key, groupOf(owner));
}

void StageMedia::appendStreamSound(std::uint64_t id, std::span<const std::int16_t> samples)
{
    m_mixer.appendStream(streamSoundKey(id), samples);
}

void StageMedia::endStreamSound(std::uint64_t id, bool drop)
{
    if (drop) {
        m_mixer.dropStream(streamSoundKey(id));
        m_mixer.forgetGroup(streamSoundKey(id));
    } else
        m_mixer.closeStream(streamSoundKey(id));
}

std::optional<std::uint64_t> StageMedia::streamSoundPlayed(std::uint64_t id)
{
    const std::optional<SoundMixer::StreamProgress> progress = m_mixer.streamProgress(streamSoundKey(id));
    if (!progress)
        return std::nullopt;
    return progress->played;
}

std::vector<MediaHost::Loaded> StageMedia::takeLoads()
{
    std::vector<Loaded> done;
    // Streaming loads: what has come since the last frame, decoded; once
    // enough of it is in, script hears that it may start.
    for (PendingLoad& load : m_pending) {
        if (!load.streaming || !load.ticket)
            continue;
        const QByteArray more = m_host.loads().arrivedFrom(load.ticket, load.given);
        load.given += std::size_t(more.size());
        Arriving& arriving = m_arriving.try_emplace(load.id).first->second;
        const auto enough = [&arriving] {
            const PcmSound& sound = arriving.sound;
            return sound.doubledRate > 0 && double(sound.frames()) * 2 >= kStreamBufferSeconds * sound.doubledRate;
        };
        const bool wasReady = enough();
        takeArrived(load.id, arriving, std::span(reinterpret_cast<const std::uint8_t*>(more.constData()), std::size_t(more.size())));
        if (enough() && !wasReady && !arriving.failed) {
            Loaded loaded;
            loaded.id = load.id;
            loaded.ready = true;
            loaded.bytes = double(load.given);
            loaded.duration = *arrivedDuration(load.id);
            done.push_back(std::move(loaded));
        }
    }
    for (auto& [load, outcome] : takeEnded(m_pending)) {
        const auto arriving = m_arriving.find(load.id);
        if (outcome.ok && arriving != m_arriving.end()) {
            done.push_back(finishArriving(load.id, load.url, outcome.bytes.mid(qsizetype(load.given)), arriving->second));
            done.back().bytes = double(outcome.bytes.size());
            done.back().tags = readId3Tags(std::span(reinterpret_cast<const std::uint8_t*>(outcome.bytes.constData()), std::size_t(outcome.bytes.size()))).fields;
        } else if (outcome.ok) {
            done.push_back(finishLoad(load.id, load.url, outcome.bytes, load.streaming));
        } else {
            Loaded failed;
            failed.id = load.id;
            done.push_back(std::move(failed));
        }
        if (arriving != m_arriving.end()) {
            // What started plays out what it has.
            if (arriving->second.started)
                m_mixer.closeStream(arrivingKey(load.id));
            m_arriving.erase(arriving);
        }
    }
    return done;
}

void StageMedia::takeArrived(std::uint64_t id, Arriving& arriving, std::span<const std::uint8_t> more)
{
    if (arriving.failed)
        return;
    const std::size_t before = arriving.sound.samples.size();
    if (!arriving.reader.append(more, arriving.sound.samples, kMaxLoadedFrames))
        arriving.failed = true;
    if (const auto& header = arriving.reader.header(); header && !arriving.sound.doubledRate) {
        arriving.sound.doubledRate = 2 * header->sampleRate;
        arriving.sound.channels = header->channels;
    }
    if (arriving.started && arriving.sound.samples.size() > before)
        m_mixer.appendStream(arrivingKey(id), std::span(arriving.sound.samples).subspan(before));
}

std::uint64_t StageMedia::startArriving(std::uint64_t id, std::uint64_t tag)
{
    const auto found = m_arriving.find(id);
    if (found == m_arriving.end() || found->second.started || !found->second.sound.doubledRate)
        return 0;
    Arriving& arriving = found->second;
    const std::uint64_t key = arrivingKey(id);
    const std::uint64_t handle = m_mixer.openStream(key, arriving.sound.doubledRate, arriving.sound.channels, tag);
    if (!handle)
        return 0;
    // It plays at the levels the Sound object gives its loaded sound.
    m_mixer.setGroupParent(key, groupOf(SoundOwner {{}, id}));
    m_mixer.appendStream(key, arriving.sound.samples);
    arriving.started = true;
    return handle;
}

std::optional<double> StageMedia::arrivedDuration(std::uint64_t id)
{
    const auto found = m_arriving.find(id);
    if (found == m_arriving.end())
        return std::nullopt;
    const PcmSound& sound = found->second.sound;
    return sound.doubledRate ? std::round(double(sound.frames()) * 2000.0 / double(sound.doubledRate)) : 0.0;
}

// The end of a streaming load: its last bytes decoded, and the whole sound
// kept for start() as any loaded sound is.
MediaHost::Loaded StageMedia::finishArriving(std::uint64_t id, const std::string& url, const QByteArray& rest, Arriving& arriving)
{
    takeArrived(id, arriving, std::span(reinterpret_cast<const std::uint8_t*>(rest.constData()), std::size_t(rest.size())));
    Loaded loaded;
    loaded.id = id;
    if (!arriving.sound.doubledRate || arriving.sound.samples.empty()) {
        m_host.diagnostic("loading sound \"" + url + "\" failed: " + (arriving.reader.error().empty() ? "MP3 data does not decode" : arriving.reader.error()));
        return loaded;
    }
    loaded.ok = true;
    loaded.duration = std::round(double(arriving.sound.frames()) * 2000.0 / double(arriving.sound.doubledRate));
    loaded.streaming = !arriving.started;
    loaded.playing = arriving.started;
    keepLoaded(id, std::make_shared<const PcmSound>(std::move(arriving.sound)));
    return loaded;
}

MediaHost::Loaded StageMedia::finishLoad(std::uint64_t id, const std::string& url, const QByteArray& bytes, bool streaming)
{
    Loaded loaded;
    loaded.id = id;
    const std::span<const std::uint8_t> data(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
    loaded.bytes = double(data.size());
    Result<Mp3File> mp3 = decodeMp3File(data, kMaxLoadedFrames);
    if (!mp3) {
        // A file that is no MP3 still arrived; its tags, if any, still count.
        m_host.diagnostic("loading sound \"" + url + "\" failed: " + mp3.error());
        loaded.tags = readId3Tags(data).fields;
        return loaded;
    }
    loaded.ok = true;
    loaded.tags = std::move(mp3.value().tags.fields);
    auto sound = std::make_shared<const PcmSound>(std::move(mp3.value().sound));
    loaded.duration = std::round(double(sound->frames()) * 2000.0 / double(std::max(1, sound->doubledRate)));
    keepLoaded(id, sound);
    loaded.streaming = streaming;
    return loaded;
}

void StageMedia::keepLoaded(std::uint64_t id, std::shared_ptr<const PcmSound> sound)
{
    while (m_loaded.size() >= kMaxLoadedSounds) {
        // A sound playing holds its samples itself; only later starts miss it.
        m_mixer.forgetGroup(kLoadedGroup | m_loaded.begin()->first);
        m_levels.erase(kLoadedGroup | m_loaded.begin()->first);
        m_loaded.erase(m_loaded.begin());
    }
    m_loaded[id] = std::move(sound);
}

} // namespace swf::script
