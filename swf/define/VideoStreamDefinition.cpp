#include "swf/define/VideoStreamDefinition.h"

#include "swf/media/VideoPacket.h"
#include "swf/read/ByteReader.h"

namespace swf {

void VideoStreamDefinition::addFrame(std::uint16_t number, std::span<const std::uint8_t> packet) const
{
    Frame frame;
    frame.packet = std::make_shared<const std::vector<std::uint8_t>>(packet.begin(), packet.end());
    frame.key = isVideoKeyFrame(codec, packet);
    const std::lock_guard lock(m_lock);
    m_frames.emplace(number, std::move(frame));
}

VideoStreamDefinition::Packet VideoStreamDefinition::frame(std::uint16_t number) const
{
    const std::lock_guard lock(m_lock);
    const auto found = m_frames.find(number);
    return found == m_frames.end() ? nullptr : found->second.packet;
}

std::vector<std::uint16_t> VideoStreamDefinition::framesToShow(std::uint16_t number, int decoded) const
{
    const std::lock_guard lock(m_lock);
    auto last = m_frames.upper_bound(number);
    if (last == m_frames.begin())
        return {};
    --last;
    if (int(last->first) == decoded)
        return {};
    auto start = last;
    while (start != m_frames.begin() && !start->second.key)
        --start;
    // Going on from what is decoded is as good as a key frame, and cheaper.
    if (decoded >= int(start->first) && decoded < int(last->first))
        start = m_frames.upper_bound(std::uint16_t(decoded));
    std::vector<std::uint16_t> frames;
    for (auto at = start; at != std::next(last); ++at)
        frames.push_back(at->first);
    return frames;
}

Result<std::shared_ptr<VideoStreamDefinition>> readVideoStreamDefinition(std::span<const std::uint8_t> body)
{
    ByteReader bytes(body);
    const auto frames = bytes.u16(), width = bytes.u16(), height = bytes.u16();
    const auto flags = bytes.u8(), codec = bytes.u8();
    if (!frames || !width || !height || !flags || !codec)
        return Result<std::shared_ptr<VideoStreamDefinition>>::failure("DefineVideoStream cut short");
    auto video = std::make_shared<VideoStreamDefinition>();
    video->frameCount = *frames;
    video->width = *width;
    video->height = *height;
    video->deblocking = (*flags >> 1) & 7;
    video->smoothing = *flags & 1;
    video->codec = *codec;
    return video;
}

Result<VideoFrameTag> readVideoFrameTag(std::span<const std::uint8_t> body)
{
    ByteReader bytes(body);
    const auto stream = bytes.u16(), number = bytes.u16();
    if (!stream || !number)
        return Result<VideoFrameTag>::failure("VideoFrame cut short");
    return VideoFrameTag {*stream, *number, bytes.rest()};
}

} // namespace swf
