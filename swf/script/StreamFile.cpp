#include "swf/script/StreamFile.h"

#include <algorithm>

#include "swf/media/Amf0.h"
#include "swf/media/VideoPacket.h"

namespace swf::script {

StreamFile::StreamFile(std::vector<std::uint8_t> file)
{
    m_file.reserve(file.size());
    append(file);
}

bool StreamFile::append(std::span<const std::uint8_t> more)
{
    if (!m_reader.error().empty())
        return false;
    m_file.insert(m_file.end(), more.begin(), more.end());
    std::vector<FlvTag> tags;
    const bool ok = m_reader.read(m_file, tags);
    for (const FlvTag& tag : tags) {
        m_reach = std::max(m_reach.value_or(0), double(tag.time));
        const Body body {std::size_t(tag.body.data() - m_file.data()), tag.body.size()};
        if (tag.type == std::uint8_t(FlvTag::Type::Script) && !m_metadata) {
            const std::vector<AmfValue> values = readAmf0Values(tag.body);
            if (values.size() >= 2 && values[0].type == AmfValue::Type::String && values[0].text == "onMetaData")
                m_metadata = body;
        }
        if (tag.type == std::uint8_t(FlvTag::Type::Audio) && m_reader.hasAudio() && !tag.body.empty())
            m_sounds.push_back({tag.time, body});
        if (tag.type != std::uint8_t(FlvTag::Type::Video) || !m_reader.hasVideo())
            continue;
        const std::optional<FlvVideoPacket> packet = readFlvVideoPacket(tag.body);
        if (packet && packet->kind != FlvVideoPacket::Kind::Command && packet->kind != FlvVideoPacket::Kind::EndOfSequence)
            m_frames.push_back({tag.time, packet->keyFrame, body});
    }
    return ok;
}

std::optional<std::span<const std::uint8_t>> StreamFile::metadata() const
{
    if (!m_metadata)
        return std::nullopt;
    return bodyOf(*m_metadata);
}

bool StreamFile::decode(const Frame& frame, std::string& error)
{
    const std::optional<FlvVideoPacket> packet = readFlvVideoPacket(bodyOf(frame.body));
    if (!packet)
        return false;
    if (packet->kind == FlvVideoPacket::Kind::DecoderConfig) {
        // The decoder starts afresh with the new configuration.
        m_config.assign(packet->payload.begin(), packet->payload.end());
        m_codec.reset();
        return false;
    }
    if (!m_codec || std::uint8_t(m_codec->codec()) != packet->codec) {
        std::span<const std::uint8_t> extradata = m_config;
        const std::uint8_t crop = packet->vp6Crop.value_or(0);
        if (packet->vp6Crop)
            extradata = std::span(&crop, 1);
        m_codec = VideoCodec::open(packet->codec, error, extradata);
        if (!m_codec) {
            m_failed = true;
            return false;
        }
    }
    return m_codec->decode(packet->payload, error);
}

std::shared_ptr<const QImage> StreamFile::pictureAt(double ms, std::string& error)
{
    if (m_failed || m_frames.empty())
        return m_picture;
    // The frames due by now: those up to `last`.
    int last = -1;
    while (last + 1 < int(m_frames.size()) && m_frames[std::size_t(last + 1)].time <= ms)
        ++last;
    if (last < 0)
        return m_picture;
    if (last < m_next - 1) {
        int key = last;
        while (key > 0 && !m_frames[std::size_t(key)].key)
            --key;
        // Frames before the key frame may carry the decoder configuration.
        m_codec.reset();
        for (int i = 0; i < key; ++i)
            if (readFlvVideoPacket(bodyOf(m_frames[std::size_t(i)].body)).value_or(FlvVideoPacket {}).kind == FlvVideoPacket::Kind::DecoderConfig)
                decode(m_frames[std::size_t(i)], error);
        m_next = key;
    }
    bool pictured = false;
    std::string problem;
    for (; m_next <= last && !m_failed; ++m_next) {
        if (decode(m_frames[std::size_t(m_next)], problem))
            pictured = true;
        else if (!problem.empty() && error.empty())
            error = problem;
    }
    if (pictured)
        m_picture = std::make_shared<const QImage>(m_codec->picture());
    if (!error.empty()) {
        if (m_reported)
            error.clear();
        m_reported = true;
    }
    return m_picture;
}

std::optional<double> StreamFile::seekSound(double ms)
{
    const auto first = std::lower_bound(m_sounds.begin(), m_sounds.end(), ms, [](const SoundTag& tag, double at) { return tag.time < at; });
    m_nextSound = std::size_t(first - m_sounds.begin());
    m_audio.restart();
    // AAC's configuration comes once, before the frames that need it.
    for (auto before = first; before != m_sounds.begin();) {
        --before;
        if (FlvAudioDecoder::isAacConfig(bodyOf(before->body))) {
            std::vector<std::int16_t> none;
            m_audio.decode(bodyOf(before->body), none);
            break;
        }
    }
    if (first == m_sounds.end())
        return std::nullopt;
    return double(first->time);
}

std::optional<StreamFile::SoundPart> StreamFile::soundUntil(double until, std::string& error)
{
    if (m_nextSound >= m_sounds.size() || m_sounds[m_nextSound].time >= until)
        return std::nullopt;
    SoundPart part;
    part.startsAt = m_sounds[m_nextSound].time;
    bool first = true;
    // Ten seconds of 48 kHz stereo: a part is a fraction of a second of
    // sound in practice, and this keeps a hostile one bounded.
    constexpr std::size_t kMaxPartSamples = 960'000;
    for (; m_nextSound < m_sounds.size() && m_sounds[m_nextSound].time < until && part.samples.size() < kMaxPartSamples; ++m_nextSound) {
        const std::span<const std::uint8_t> body = bodyOf(m_sounds[m_nextSound].body);
        if (!first && !m_audio.sameFormat(body) && !FlvAudioDecoder::isAacConfig(body))
            break;
        first = false;
        if (!m_audio.decode(body, part.samples) && !m_soundReported) {
            m_soundReported = true;
            error = m_audio.error();
        }
    }
    part.doubledRate = m_audio.doubledRate();
    part.channels = m_audio.channels();
    return part;
}

} // namespace swf::script
