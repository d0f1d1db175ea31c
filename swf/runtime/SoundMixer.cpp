#include "swf/runtime/SoundMixer.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace swf {

void SoundMixer::setTap(Tap tap)
{
    const std::lock_guard lock(m_lock);
    m_tap = std::move(tap);
}

void SoundMixer::setFrame(int frame)
{
    const std::lock_guard lock(m_lock);
    if (frame != m_frame)
        m_startedInFrame = 0;
    m_frame = frame;
}

bool SoundMixer::admit(Playing& playing)
{
    if (m_playing.size() >= kMaxChannels)
        return false;
    playing.handle = m_nextHandle++;
    playing.frame = m_frame;
    playing.index = m_startedInFrame++;
    m_playing.push_back(std::move(playing));
    return true;
}

template<typename Predicate>
void SoundMixer::end(Predicate ends, bool completed)
{
    std::erase_if(m_playing, [&](const Playing& playing) {
        if (!ends(playing))
            return false;
        if (playing.tag)
            m_ended.push_back({playing.tag, completed});
        return true;
    });
}

std::uint64_t SoundMixer::startEvent(std::uint16_t soundId, std::shared_ptr<const PcmSound> sound, const SoundInfo& info,
                                     std::uint64_t group, std::uint64_t tag)
{
    const std::lock_guard lock(m_lock);
    const auto same = [&](const Playing& playing) { return !playing.channel->isStream() && playing.soundId == soundId; };
    if (info.stop) {
        end(same, false);
        return 0;
    }
    if (!sound || (info.noMultiple && std::any_of(m_playing.begin(), m_playing.end(), same)))
        return 0;
    Playing playing;
    playing.channel = std::make_unique<SoundChannel>(std::move(sound), info);
    playing.soundId = soundId;
    playing.group = group;
    playing.tag = tag;
    if (!admit(playing))
        return 0;
    return m_playing.back().handle;
}

void SoundMixer::stopEvent(std::uint16_t soundId)
{
    const std::lock_guard lock(m_lock);
    end([&](const Playing& playing) { return !playing.channel->isStream() && playing.soundId == soundId; }, false);
}

void SoundMixer::stopGroup(std::uint64_t group, std::optional<std::uint16_t> soundId)
{
    const std::lock_guard lock(m_lock);
    end(
        [&](const Playing& playing) {
            return !playing.channel->isStream() && (group == 0 || playing.group == group) && (!soundId || playing.soundId == *soundId);
        },
        false);
}

std::optional<std::uint64_t> SoundMixer::position(std::uint64_t handle) const
{
    const std::lock_guard lock(m_lock);
    for (const Playing& playing : m_playing)
        if (playing.handle == handle)
            return playing.channel->position();
    return std::nullopt;
}

std::vector<SoundMixer::Ended> SoundMixer::takeEnded()
{
    const std::lock_guard lock(m_lock);
    return std::exchange(m_ended, {});
}

void SoundMixer::setGroupTransform(std::uint64_t group, const SoundTransform& transform)
{
    const std::lock_guard lock(m_lock);
    m_groups[group] = transform;
}

SoundTransform SoundMixer::groupTransform(std::uint64_t group) const
{
    const std::lock_guard lock(m_lock);
    const auto found = m_groups.find(group);
    return found == m_groups.end() ? SoundTransform {} : found->second;
}

void SoundMixer::setGroupParent(std::uint64_t group, std::uint64_t parent)
{
    const std::lock_guard lock(m_lock);
    if (group == 0 || group == parent)
        return;
    if (parent == 0)
        m_parents.erase(group);
    else
        m_parents[group] = parent;
}

void SoundMixer::forgetGroup(std::uint64_t group)
{
    const std::lock_guard lock(m_lock);
    m_groups.erase(group);
    m_parents.erase(group);
}

namespace {

// Each level is a 2x2 mix of the two channels with a volume, so `inner`
// heard through `outer` makes one.
SoundTransform heardThrough(const SoundTransform& outer, const SoundTransform& inner)
{
    SoundTransform both;
    both.leftToLeft = outer.leftToLeft * inner.leftToLeft + outer.rightToLeft * inner.leftToRight;
    both.rightToLeft = outer.leftToLeft * inner.rightToLeft + outer.rightToLeft * inner.rightToRight;
    both.leftToRight = outer.leftToRight * inner.leftToLeft + outer.rightToRight * inner.leftToRight;
    both.rightToRight = outer.leftToRight * inner.rightToLeft + outer.rightToRight * inner.rightToRight;
    both.volume = outer.volume * inner.volume;
    return both;
}

} // namespace

// A group's levels, its parents' over them, and the movie's over all.
SoundTransform SoundMixer::transformFor(std::uint64_t group) const
{
    // Deeper than clips nest; it also ends a loop a bad parent made.
    constexpr int kMaxDepth = 256;
    const auto levels = [&](std::uint64_t key) {
        const auto found = m_groups.find(key);
        return found == m_groups.end() ? SoundTransform {} : found->second;
    };
    SoundTransform heard;
    for (int depth = 0; group != 0 && depth < kMaxDepth; ++depth) {
        heard = heardThrough(levels(group), heard);
        const auto parent = m_parents.find(group);
        group = parent == m_parents.end() ? 0 : parent->second;
    }
    return heardThrough(levels(0), heard);
}

bool SoundMixer::isPlaying(std::uint16_t soundId) const
{
    const std::lock_guard lock(m_lock);
    return std::any_of(m_playing.begin(), m_playing.end(),
                       [&](const Playing& playing) { return !playing.channel->isStream() && playing.soundId == soundId; });
}

void SoundMixer::stopAll()
{
    const std::lock_guard lock(m_lock);
    end([](const Playing&) { return true; }, false);
}

std::uint64_t SoundMixer::openStream(std::uint64_t key, int doubledRate, int channels, std::uint64_t tag)
{
    const std::lock_guard lock(m_lock);
    for (Playing& playing : m_playing)
        if (playing.channel->isStream() && playing.streamKey == key)
            playing.channel->close();
    Playing playing;
    playing.channel = std::make_unique<SoundChannel>(doubledRate, channels);
    playing.streamKey = key;
    playing.group = key;
    playing.tag = tag;
    if (!admit(playing))
        return 0;
    return m_playing.back().handle;
}

bool SoundMixer::appendStream(std::uint64_t key, std::span<const std::int16_t> samples)
{
    const std::lock_guard lock(m_lock);
    for (Playing& playing : m_playing)
        if (playing.channel->isStream() && playing.streamKey == key && playing.channel->isOpen()) {
            playing.channel->append(samples);
            return true;
        }
    return false;
}

void SoundMixer::closeStream(std::uint64_t key)
{
    const std::lock_guard lock(m_lock);
    for (Playing& playing : m_playing)
        if (playing.channel->isStream() && playing.streamKey == key)
            playing.channel->close();
}

void SoundMixer::dropStream(std::uint64_t key)
{
    const std::lock_guard lock(m_lock);
    end([&](const Playing& playing) { return playing.channel->isStream() && playing.streamKey == key; }, false);
}

bool SoundMixer::hasStream(std::uint64_t key) const
{
    const std::lock_guard lock(m_lock);
    return std::any_of(m_playing.begin(), m_playing.end(), [&](const Playing& playing) {
        return playing.channel->isStream() && playing.streamKey == key && playing.channel->isOpen();
    });
}

std::optional<SoundMixer::StreamProgress> SoundMixer::streamProgress(std::uint64_t key) const
{
    const std::lock_guard lock(m_lock);
    for (const Playing& playing : m_playing)
        if (playing.channel->isStream() && playing.streamKey == key && playing.channel->isOpen())
            return StreamProgress {playing.frame, playing.channel->position(),
                                   playing.channel->length() - std::min(playing.channel->length(), playing.channel->position())};
    return std::nullopt;
}

void SoundMixer::setVolume(double volume)
{
    const std::lock_guard lock(m_lock);
    m_volume = std::clamp(volume, 0.0, 1.0);
}

void SoundMixer::setMuted(bool muted)
{
    const std::lock_guard lock(m_lock);
    m_muted = muted;
}

std::size_t SoundMixer::activeCount() const
{
    const std::lock_guard lock(m_lock);
    return m_playing.size();
}

void SoundMixer::render(std::span<std::int16_t> out)
{
    const std::lock_guard lock(m_lock);
    const std::size_t frames = out.size() / 2;
    m_sum.assign(frames * 2, 0);
    m_scratch.resize(frames * 2);
    for (Playing& playing : m_playing) {
        playing.channel->setTransform(transformFor(playing.group));
        const std::size_t made = playing.channel->render(m_scratch.data(), frames);
        for (std::size_t i = 0; i < made * 2; ++i)
            m_sum[i] += m_scratch[i];
        // A sound with no samples still started: its capture exists, empty.
        if (m_tap)
            m_tap(playing.frame, playing.index, std::span<const std::int16_t>(m_scratch.data(), made * 2));
    }
    end([](const Playing& playing) { return playing.channel->finished(); }, true);
    const double gain = m_muted ? 0 : m_volume;
    for (std::size_t i = 0; i < frames * 2; ++i)
        out[i] = std::int16_t(std::clamp<long>(std::lround(m_sum[i] * gain), -32768, 32767));
}

} // namespace swf
