#include "swf/media/Amf0.h"

#include <bit>

namespace swf {

namespace {

// Bounds on what one value may make, whatever its counts claim.
constexpr std::size_t kMaxMembers = 1 << 16;

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes)
        : m_bytes(bytes)
    {
    }
    bool atEnd() const { return m_at >= m_bytes.size(); }

    bool value(AmfValue& out, int depth)
    {
        std::uint8_t marker = 0;
        if (depth > kMaxAmfDepth || !u8(marker))
            return false;
        switch (marker) {
        case 0:
            out.type = AmfValue::Type::Number;
            return number(out.number);
        case 1: {
            std::uint8_t b = 0;
            out.type = AmfValue::Type::Boolean;
            if (!u8(b))
                return false;
            out.boolean = b != 0;
            return true;
        }
        case 2:
            out.type = AmfValue::Type::String;
            return string(out.text, 2);
        case 12:
            out.type = AmfValue::Type::String;
            return string(out.text, 4);
        case 3:
            out.type = AmfValue::Type::Object;
            return members(out, depth);
        case 8: {
            // An ECMA array: a count (a hint only), then members as an object's.
            std::uint32_t count = 0;
            out.type = AmfValue::Type::Object;
            return u32(count) && members(out, depth);
        }
        case 10: {
            std::uint32_t count = 0;
            if (!u32(count))
                return false;
            out.type = AmfValue::Type::Array;
            for (std::uint32_t i = 0; i < count && i < kMaxMembers; ++i) {
                AmfValue element;
                if (!value(element, depth + 1))
                    return false;
                out.elements.push_back(std::move(element));
            }
            return true;
        }
        case 11: {
            out.type = AmfValue::Type::Date;
            std::uint16_t zone = 0;
            return number(out.number) && u16(zone);
        }
        case 5:
            out.type = AmfValue::Type::Null;
            return true;
        case 6:
            out.type = AmfValue::Type::Undefined;
            return true;
        default:
            return false;
        }
    }

private:
    bool take(std::size_t count)
    {
        if (count > m_bytes.size() - m_at)
            return false;
        m_at += count;
        return true;
    }
    bool u8(std::uint8_t& out)
    {
        if (!take(1))
            return false;
        out = m_bytes[m_at - 1];
        return true;
    }
    bool u16(std::uint16_t& out)
    {
        if (!take(2))
            return false;
        out = std::uint16_t(m_bytes[m_at - 2] << 8 | m_bytes[m_at - 1]);
        return true;
    }
    bool u32(std::uint32_t& out)
    {
        if (!take(4))
            return false;
        const std::uint8_t* b = &m_bytes[m_at - 4];
        out = std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 | std::uint32_t(b[2]) << 8 | b[3];
        return true;
    }
    bool number(double& out)
    {
        if (!take(8))
            return false;
        std::uint64_t bits = 0;
        for (std::size_t i = 0; i < 8; ++i)
            bits = bits << 8 | m_bytes[m_at - 8 + i];
        out = std::bit_cast<double>(bits);
        return true;
    }
    bool string(std::string& out, int lengthBytes)
    {
        std::uint32_t length = 0;
        if (lengthBytes == 2) {
            std::uint16_t shortLength = 0;
            if (!u16(shortLength))
                return false;
            length = shortLength;
        } else if (!u32(length)) {
            return false;
        }
        if (!take(length))
            return false;
        out.assign(reinterpret_cast<const char*>(&m_bytes[m_at - length]), length);
        return true;
    }
    // Name and value pairs up to an empty name and the end marker (9).
    bool members(AmfValue& out, int depth)
    {
        while (out.members.size() < kMaxMembers) {
            std::string name;
            if (!string(name, 2))
                return false;
            if (name.empty() && m_at < m_bytes.size() && m_bytes[m_at] == 9) {
                ++m_at;
                return true;
            }
            AmfValue member;
            if (!value(member, depth + 1))
                return false;
            out.members.push_back({std::move(name), std::move(member)});
        }
        return false;
    }

    std::span<const std::uint8_t> m_bytes;
    std::size_t m_at = 0;
};

} // namespace

std::vector<AmfValue> readAmf0Values(std::span<const std::uint8_t> bytes)
{
    std::vector<AmfValue> values;
    Reader reader(bytes);
    while (!reader.atEnd() && values.size() < kMaxMembers) {
        AmfValue value;
        if (!reader.value(value, 0))
            break;
        values.push_back(std::move(value));
    }
    return values;
}

} // namespace swf
