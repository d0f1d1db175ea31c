#include "swf/media/SpeexPackets.h"

#include <array>
#include <optional>

namespace swf {

namespace {

// Bits of a frame's narrowband part by its mode (the five header bits
// included), and of a wideband layer by its mode (its four header bits
// included).
constexpr std::array<std::size_t, 9> kNarrowbandBits {5, 43, 119, 160, 220, 300, 364, 492, 79};
constexpr std::array<std::size_t, 5> kWidebandBits {4, 36, 112, 192, 352};
constexpr unsigned kTerminator = 15;
// Wideband and ultra-wideband: at most two layers above the narrowband.
constexpr int kMaxLayers = 2;

class Bits {
public:
    explicit Bits(std::span<const std::uint8_t> data)
        : m_data(data)
    {
    }
    std::size_t size() const { return m_data.size() * 8; }
    // `count` bits from bit `at`, the first the highest; none past the end.
    std::optional<unsigned> at(std::size_t at, std::size_t count) const
    {
        if (at > size() || count > size() - at)
            return std::nullopt;
        unsigned value = 0;
        for (std::size_t i = at; i < at + count; ++i)
            value = value << 1 | ((m_data[i / 8] >> (7 - i % 8)) & 1);
        return value;
    }

private:
    std::span<const std::uint8_t> m_data;
};

struct Frame {
    unsigned narrowband = 0;
    unsigned wideband[kMaxLayers] {};
    int layers = 0;
    std::size_t bits = 0;
    bool terminator = false;

    bool sameShape(const Frame& other) const
    {
        if (narrowband != other.narrowband || layers != other.layers)
            return false;
        for (int i = 0; i < layers; ++i)
            if (wideband[i] != other.wideband[i])
                return false;
        return true;
    }
};

// The frame at bit `at`; none when it cannot be walked.
std::optional<Frame> frameAt(const Bits& bits, std::size_t at)
{
    const std::optional<unsigned> head = bits.at(at, 5);
    // A frame starts with its narrowband part, flagged 0.
    if (!head || *head & 0x10)
        return std::nullopt;
    Frame frame;
    frame.narrowband = *head & 0xF;
    if (frame.narrowband == kTerminator) {
        frame.terminator = true;
        frame.bits = 5;
        return frame;
    }
    if (frame.narrowband >= kNarrowbandBits.size())
        return std::nullopt;
    frame.bits = kNarrowbandBits[frame.narrowband];
    while (frame.layers < kMaxLayers) {
        const std::optional<unsigned> layer = bits.at(at + frame.bits, 4);
        if (!layer || !(*layer & 0x8))
            break;
        const unsigned mode = *layer & 0x7;
        if (mode >= kWidebandBits.size())
            return std::nullopt;
        frame.wideband[frame.layers++] = mode;
        frame.bits += kWidebandBits[mode];
    }
    if (at + frame.bits > bits.size())
        return std::nullopt;
    return frame;
}

// Whether the bits from `at` to the next whole byte are a packet's fill.
bool isFill(const Bits& bits, std::size_t at)
{
    const std::size_t count = (8 - at % 8) % 8;
    if (count == 0)
        return false;
    const std::optional<unsigned> fill = bits.at(at, count);
    return fill && *fill == (1u << (count - 1)) - 1;
}

} // namespace

std::vector<std::span<const std::uint8_t>> splitSpeexPackets(std::span<const std::uint8_t> data)
{
    const Bits bits(data);
    std::vector<std::span<const std::uint8_t>> packets;
    std::size_t start = 0; // the byte the packet under way starts at
    std::size_t at = 0;    // the bit the next frame starts at
    while (at < bits.size()) {
        const std::optional<Frame> frame = frameAt(bits, at);
        if (!frame)
            break;
        at += frame->bits;
        const std::size_t next = (at + 7) / 8 * 8;
        bool ends = frame->terminator;
        if (!ends && isFill(bits, at)) {
            // Five bits or more of fill read as a terminator, which no
            // frame starts with; fewer could be the start of the next
            // frame, which is taken to look like this one.
            ends = next - at >= 5;
            if (!ends) {
                const std::optional<Frame> on = frameAt(bits, at);
                const std::optional<Frame> after = frameAt(bits, next);
                ends = after && after->sameShape(*frame) && !(on && on->sameShape(*frame));
            }
        }
        if (ends) {
            at = next;
            packets.push_back(data.subspan(start, std::min(at / 8, data.size()) - start));
            start = at / 8;
        }
    }
    if (start < data.size())
        packets.push_back(data.subspan(start));
    return packets;
}

} // namespace swf
