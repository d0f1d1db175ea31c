#include "swf/read/ByteReader.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace swf {

ByteReader::ByteReader(std::span<const std::uint8_t> data)
    : m_data(data)
{
}

bool ByteReader::ensure(std::size_t count)
{
    if (m_failed || count > remaining()) {
        m_failed = true;
        return false;
    }
    return true;
}

template<typename T>
std::optional<T> ByteReader::littleEndian()
{
    if (!ensure(sizeof(T)))
        return std::nullopt;
    std::make_unsigned_t<T> value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        value |= std::make_unsigned_t<T>(m_data[m_position + i]) << (8 * i);
    m_position += sizeof(T);
    return static_cast<T>(value);
}

std::optional<std::uint8_t> ByteReader::u8() { return littleEndian<std::uint8_t>(); }
std::optional<std::uint16_t> ByteReader::u16() { return littleEndian<std::uint16_t>(); }
std::optional<std::uint32_t> ByteReader::u32() { return littleEndian<std::uint32_t>(); }
std::optional<std::int16_t> ByteReader::s16() { return littleEndian<std::int16_t>(); }
std::optional<std::int32_t> ByteReader::s32() { return littleEndian<std::int32_t>(); }

std::optional<double> ByteReader::fixed8()
{
    const auto raw = s16();
    if (!raw)
        return std::nullopt;
    return *raw / 256.0;
}

std::optional<double> ByteReader::fixed16()
{
    const auto raw = s32();
    if (!raw)
        return std::nullopt;
    return *raw / 65536.0;
}

std::optional<float> ByteReader::f32()
{
    const auto raw = u32();
    if (!raw)
        return std::nullopt;
    return std::bit_cast<float>(*raw);
}

std::optional<double> ByteReader::f64()
{
    const auto raw = littleEndian<std::uint64_t>();
    if (!raw)
        return std::nullopt;
    return std::bit_cast<double>(*raw);
}

std::optional<std::uint32_t> ByteReader::encodedU32()
{
    std::uint32_t value = 0;
    for (int i = 0; i < 5; ++i) {
        const auto byte = u8();
        if (!byte)
            return std::nullopt;
        value |= std::uint32_t(*byte & 0x7F) << (7 * i);
        if (!(*byte & 0x80))
            return value;
    }
    // Writers are meant to stop at five bytes; what the fifth carried is kept.
    return value;
}

std::optional<std::string> ByteReader::string()
{
    if (m_failed)
        return std::nullopt;
    const auto rest = m_data.subspan(m_position);
    const auto terminator = std::find(rest.begin(), rest.end(), std::uint8_t(0));
    if (terminator == rest.end()) {
        m_failed = true;
        return std::nullopt;
    }
    const auto length = std::size_t(terminator - rest.begin());
    std::string text(reinterpret_cast<const char*>(rest.data()), length);
    m_position += length + 1;
    return text;
}

std::optional<std::span<const std::uint8_t>> ByteReader::bytes(std::size_t count)
{
    if (!ensure(count))
        return std::nullopt;
    const auto span = m_data.subspan(m_position, count);
    m_position += count;
    return span;
}

bool ByteReader::skip(std::size_t count)
{
    if (!ensure(count))
        return false;
    m_position += count;
    return true;
}

} // namespace swf
