#include "swf/runtime/SoundChannel.h"

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

constexpr std::uint64_t kDoubledOutputRate = 2 * SoundChannel::kOutputRate;

std::int16_t clamp16(double value)
{
    return std::int16_t(std::clamp(std::lround(value), -32768L, 32767L));
}

} // namespace

SoundChannel::SoundChannel(std::shared_ptr<const PcmSound> sound, const SoundInfo& info)
    : m_sound(std::move(sound))
    , m_doubledRate(std::max(1, m_sound->doubledRate))
    , m_channels(std::clamp(m_sound->channels, 1, 2))
    , m_loopsLeft(std::max<int>(1, info.loops))
    , m_envelope(info.envelope)
{
    const std::uint64_t whole = (std::uint64_t(m_sound->frames()) * kDoubledOutputRate + std::uint64_t(m_doubledRate) - 1)
        / std::uint64_t(m_doubledRate);
    m_outPoint = std::min<std::uint64_t>(whole, info.outPoint.value_or(std::uint32_t(-1)));
    m_inPoint = std::min<std::uint64_t>(m_outPoint, info.inPoint.value_or(0));
}

SoundChannel::SoundChannel(int doubledRate, int channels)
    : m_doubledRate(std::max(1, doubledRate))
    , m_channels(std::clamp(channels, 1, 2))
    , m_stream(true)
    , m_open(true)
{
}

std::uint64_t SoundChannel::length() const
{
    if (m_stream)
        return (m_streamBase + m_streamSamples.size() / std::size_t(m_channels)) * kDoubledOutputRate / std::uint64_t(m_doubledRate);
    return m_outPoint - m_inPoint;
}

bool SoundChannel::finished() const
{
    if (m_stream)
        return !m_open && m_position >= length();
    return m_loopsLeft <= 0;
}

void SoundChannel::append(std::span<const std::int16_t> samples)
{
    // What has been played is let go of, so a long stream does not pile up.
    const std::uint64_t playedSource = sourceFrameAt(m_position);
    if (playedSource > m_streamBase + 4096) {
        const std::uint64_t drop = std::min<std::uint64_t>(playedSource - m_streamBase - 1, m_streamSamples.size() / std::size_t(m_channels));
        m_streamSamples.erase(m_streamSamples.begin(), m_streamSamples.begin() + std::ptrdiff_t(drop * std::uint64_t(m_channels)));
        m_streamBase += drop;
    }
    m_streamSamples.insert(m_streamSamples.end(), samples.begin(), samples.end());
    m_streamSamples.resize(m_streamSamples.size() / std::size_t(m_channels) * std::size_t(m_channels));
}

std::uint64_t SoundChannel::sourceFrameAt(std::uint64_t outputFrame) const
{
    return outputFrame * std::uint64_t(m_doubledRate) / kDoubledOutputRate;
}

// The envelope's levels are set at points in output frames from the
// sound's start, and run in straight lines between them.
void SoundChannel::levelsAt(std::uint64_t outputFrame, double& left, double& right) const
{
    left = right = 1;
    if (m_envelope.empty())
        return;
    const auto after = std::find_if(m_envelope.begin(), m_envelope.end(),
                                    [&](const SoundEnvelopePoint& point) { return point.position > outputFrame; });
    const SoundEnvelopePoint& next = after == m_envelope.end() ? m_envelope.back() : *after;
    const SoundEnvelopePoint& previous = after == m_envelope.begin() ? next : *(after - 1);
    double share = 0;
    if (next.position > previous.position)
        share = double(outputFrame - previous.position) / double(next.position - previous.position);
    left = (previous.left + (double(next.left) - previous.left) * share) / 32768.0;
    right = (previous.right + (double(next.right) - previous.right) * share) / 32768.0;
}

std::size_t SoundChannel::render(std::int16_t* out, std::size_t frames)
{
    std::size_t done = 0;
    const std::int16_t* samples = m_stream ? m_streamSamples.data() : m_sound->samples.data();
    while (done < frames && !finished()) {
        std::uint64_t at = m_inPoint + m_position;
        const std::uint64_t end = m_stream ? length() : m_outPoint;
        if (at >= end) {
            if (m_stream) {
                // Starved: the stream waits in silence for its next block.
                std::fill(out + 2 * done, out + 2 * frames, std::int16_t(0));
                m_played += frames - done;
                return frames;
            }
            if (--m_loopsLeft <= 0)
                break;
            m_position = 0;
            continue;
        }
        double envelopeLeft = 1, envelopeRight = 1;
        levelsAt(at, envelopeLeft, envelopeRight);
        const std::uint64_t source = sourceFrameAt(at) - m_streamBase;
        const double left = samples[source * std::uint64_t(m_channels)];
        const double right = samples[source * std::uint64_t(m_channels) + std::uint64_t(m_channels - 1)];
        const double toLeft = (left * m_transform.leftToLeft + right * m_transform.rightToLeft) * envelopeLeft;
        const double toRight = (left * m_transform.leftToRight + right * m_transform.rightToRight) * envelopeRight;
        out[2 * done] = clamp16(toLeft * m_transform.volume);
        out[2 * done + 1] = clamp16(toRight * m_transform.volume);
        ++done;
        ++m_position;
        ++m_played;
    }
    return done;
}

} // namespace swf
