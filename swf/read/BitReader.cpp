#include "swf/read/BitReader.h"

namespace swf {

BitReader::BitReader(ByteReader& bytes)
    : m_bytes(bytes)
{
}

std::optional<std::uint32_t> BitReader::ub(unsigned count)
{
    if (m_failed || count > 32) {
        m_failed = true;
        return std::nullopt;
    }
    std::uint64_t value = 0;
    while (count > 0) {
        if (m_bitsLeft == 0) {
            const auto next = m_bytes.u8();
            if (!next) {
                m_failed = true;
                return std::nullopt;
            }
            m_current = *next;
            m_bitsLeft = 8;
        }
        const unsigned take = count < m_bitsLeft ? count : m_bitsLeft;
        const unsigned shift = m_bitsLeft - take;
        const unsigned bits = (m_current >> shift) & ((1u << take) - 1);
        value = (value << take) | bits;
        m_bitsLeft -= take;
        count -= take;
    }
    return std::uint32_t(value);
}

std::optional<std::int32_t> BitReader::sb(unsigned count)
{
    const auto raw = ub(count);
    if (!raw)
        return std::nullopt;
    if (count == 0)
        return 0;
    if (count == 32)
        return std::int32_t(*raw);
    const std::uint32_t signBit = 1u << (count - 1);
    // Sign-extend without shifting into the sign bit of a signed type.
    return std::int32_t(std::int64_t(*raw ^ signBit) - std::int64_t(signBit));
}

std::optional<double> BitReader::fb(unsigned count)
{
    const auto raw = sb(count);
    if (!raw)
        return std::nullopt;
    return *raw / 65536.0;
}

std::optional<bool> BitReader::flag()
{
    const auto raw = ub(1);
    if (!raw)
        return std::nullopt;
    return *raw != 0;
}

} // namespace swf
