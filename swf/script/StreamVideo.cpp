#include "swf/script/StreamVideo.h"

#include "swf/media/FlvFile.h"
#include "swf/media/VideoPacket.h"

namespace swf::script {

StreamVideo::StreamVideo(std::vector<std::uint8_t> file)
    : m_file(std::move(file))
{
    Result<FlvFile> flv = readFlvFile(m_file);
    if (!flv)
        return;
    for (const FlvTag& tag : flv.value().tags) {
        if (tag.type != std::uint8_t(FlvTag::Type::Video))
            continue;
        const std::optional<FlvVideoPacket> packet = readFlvVideoPacket(tag.body);
        if (packet && packet->kind != FlvVideoPacket::Kind::Command && packet->kind != FlvVideoPacket::Kind::EndOfSequence)
            m_frames.push_back({tag.time, packet->keyFrame, tag.body});
    }
}

bool StreamVideo::decode(const Frame& frame, std::string& error)
{
    const std::optional<FlvVideoPacket> packet = readFlvVideoPacket(frame.body);
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

std::shared_ptr<const QImage> StreamVideo::pictureAt(double ms, std::string& error)
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
            if (readFlvVideoPacket(m_frames[std::size_t(i)].body).value_or(FlvVideoPacket {}).kind == FlvVideoPacket::Kind::DecoderConfig)
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

} // namespace swf::script
