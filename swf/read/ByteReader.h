#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace swf {

// Little-endian reads over a span that the reader never steps outside of.
// A read that does not fit returns nothing and marks the reader failed; the
// failure sticks, so a parser can read a whole record and check once.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> data);

    std::size_t position() const { return m_position; }
    std::size_t size() const { return m_data.size(); }
    std::size_t remaining() const { return m_data.size() - m_position; }
    bool atEnd() const { return m_position == m_data.size(); }
    bool failed() const { return m_failed; }

    std::optional<std::uint8_t> u8();
    std::optional<std::uint16_t> u16();
    std::optional<std::uint32_t> u32();
    std::optional<std::int16_t> s16();
    std::optional<std::int32_t> s32();
    // 8.8 and 16.16 signed fixed point.
    std::optional<double> fixed8();
    std::optional<double> fixed16();
    std::optional<float> f32();
    std::optional<double> f64();
    // Seven bits a byte, low first, at most five bytes.
    std::optional<std::uint32_t> encodedU32();
    // Up to the terminating zero, which is consumed but not returned.
    std::optional<std::string> string();
    std::optional<std::span<const std::uint8_t>> bytes(std::size_t count);
    bool skip(std::size_t count);
    // The bytes not yet read, without consuming them.
    std::span<const std::uint8_t> rest() const { return m_data.subspan(m_position); }

private:
    bool ensure(std::size_t count);
    template<typename T>
    std::optional<T> littleEndian();

    std::span<const std::uint8_t> m_data;
    std::size_t m_position = 0;
    bool m_failed = false;
};

} // namespace swf
