#include "swf/media/VideoPacket.h"

#include "swf/media/VideoCodec.h"
#include "swf/read/BitReader.h"

namespace swf {

namespace {

bool h263KeyFrame(std::span<const std::uint8_t> packet)
{
    ByteReader bytes(packet);
    BitReader bits(bytes);
    if (bits.ub(17).value_or(0) != 1)
        return false;
    bits.ub(5); // version
    bits.ub(8); // temporal reference
    const std::uint32_t size = bits.ub(3).value_or(7);
    if (size == 0)
        bits.ub(16);
    else if (size == 1)
        bits.ub(32);
    const std::optional<std::uint32_t> type = bits.ub(2);
    return type && *type == 0;
}

// Screen video sends only the blocks that changed; a frame with every
// block is one that needs nothing before it.
bool screenKeyFrame(std::span<const std::uint8_t> packet)
{
    ByteReader bytes(packet);
    BitReader bits(bytes);
    const auto blockWidth = bits.ub(4), width = bits.ub(12), blockHeight = bits.ub(4), height = bits.ub(12);
    if (!blockWidth || !width || !blockHeight || !height || *width == 0 || *height == 0)
        return false;
    const std::size_t across = (*width + (*blockWidth + 1) * 16 - 1) / ((*blockWidth + 1) * 16);
    const std::size_t down = (*height + (*blockHeight + 1) * 16 - 1) / ((*blockHeight + 1) * 16);
    std::size_t at = 4;
    for (std::size_t block = 0; block < across * down; ++block) {
        if (at + 2 > packet.size())
            return false;
        const std::size_t size = std::size_t(packet[at]) << 8 | packet[at + 1];
        if (size == 0)
            return false;
        at += 2 + size;
    }
    return true;
}

} // namespace

bool isVideoKeyFrame(std::uint8_t codec, std::span<const std::uint8_t> packet)
{
    switch (VideoCodecId(codec)) {
    case VideoCodecId::SorensonH263:
        return h263KeyFrame(packet);
    case VideoCodecId::ScreenVideo:
        return screenKeyFrame(packet);
    case VideoCodecId::Vp6:
        return !packet.empty() && !(packet[0] & 0x80);
    case VideoCodecId::Vp6Alpha:
        // The alpha plane's offset comes first.
        return packet.size() > 3 && !(packet[3] & 0x80);
    default:
        return false;
    }
}

std::optional<FlvVideoPacket> readFlvVideoPacket(std::span<const std::uint8_t> body)
{
    if (body.empty())
        return std::nullopt;
    FlvVideoPacket packet;
    const std::uint8_t frameType = body[0] >> 4;
    packet.codec = body[0] & 0x0F;
    packet.keyFrame = frameType == 1;
    if (frameType == 5)
        packet.kind = FlvVideoPacket::Kind::Command;
    std::span<const std::uint8_t> rest = body.subspan(1);
    switch (VideoCodecId(packet.codec)) {
    case VideoCodecId::Vp6:
    case VideoCodecId::Vp6Alpha:
        if (rest.empty())
            return std::nullopt;
        packet.vp6Crop = rest[0];
        rest = rest.subspan(1);
        break;
    case VideoCodecId::Avc:
        // Packet type, then a composition time offset the player has no
        // use for: frames are shown in the order they come out.
        if (rest.size() < 4)
            return std::nullopt;
        if (rest[0] == 0)
            packet.kind = FlvVideoPacket::Kind::DecoderConfig;
        else if (rest[0] == 2)
            packet.kind = FlvVideoPacket::Kind::EndOfSequence;
        rest = rest.subspan(4);
        break;
    default:
        break;
    }
    packet.payload = rest;
    return packet;
}

} // namespace swf
