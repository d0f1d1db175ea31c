#include "swf/script/Text.h"

namespace swf::script::text {

namespace {

// One UTF-8 character at `i`: its code and length. Bytes that do not start
// a well-formed sequence stand for themselves, one byte each.
std::uint32_t decodeAt(std::string_view s, std::size_t i, std::size_t& size)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(i);
    size = 1;
    if (c < 0x80)
        return c;
    int extra = 0;
    std::uint32_t code = 0;
    if ((c & 0xE0) == 0xC0) {
        extra = 1;
        code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2;
        code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3;
        code = c & 0x07;
    } else {
        return c;
    }
    if (i + std::size_t(extra) >= s.size())
        return c;
    for (int k = 1; k <= extra; ++k) {
        const unsigned char d = byte(i + std::size_t(k));
        if ((d & 0xC0) != 0x80)
            return c;
        code = (code << 6) | (d & 0x3F);
    }
    size = std::size_t(extra) + 1;
    return code;
}

bool isAscii(std::string_view s)
{
    for (unsigned char c : s)
        if (c >= 0x80)
            return false;
    return true;
}

bool byBytes(std::string_view s, int version)
{
    return version < 6 || isAscii(s);
}

} // namespace

std::size_t length(std::string_view s, int version)
{
    if (byBytes(s, version))
        return s.size();
    std::size_t count = 0;
    for (std::size_t i = 0; i < s.size(); ++count) {
        std::size_t size = 1;
        decodeAt(s, i, size);
        i += size;
    }
    return count;
}

std::size_t byteOffset(std::string_view s, std::size_t index, int version)
{
    if (byBytes(s, version))
        return std::min(index, s.size());
    std::size_t i = 0;
    for (std::size_t n = 0; n < index && i < s.size(); ++n) {
        std::size_t size = 1;
        decodeAt(s, i, size);
        i += size;
    }
    return i;
}

std::string_view substring(std::string_view s, std::size_t start, std::size_t count, int version)
{
    const std::size_t from = byteOffset(s, start, version);
    std::string_view rest = s.substr(from);
    const std::size_t to = byteOffset(rest, count, version);
    return rest.substr(0, to);
}

std::int64_t codeAt(std::string_view s, std::size_t index, int version)
{
    const std::size_t at = byteOffset(s, index, version);
    if (at >= s.size())
        return -1;
    if (byBytes(s, version))
        return static_cast<unsigned char>(s[at]);
    std::size_t size = 1;
    return decodeAt(s, at, size);
}

std::vector<std::uint32_t> codes(std::string_view s, int version)
{
    std::vector<std::uint32_t> out;
    out.reserve(s.size());
    if (byBytes(s, version)) {
        for (unsigned char c : s)
            out.push_back(c);
        return out;
    }
    for (std::size_t i = 0; i < s.size();) {
        std::size_t size = 1;
        out.push_back(decodeAt(s, i, size));
        i += size;
    }
    return out;
}

void append(std::string& out, std::uint32_t code, int version)
{
    if (version < 6) {
        // Codes above a byte were written as two bytes, high first.
        if (code > 0xFF)
            out += char((code >> 8) & 0xFF);
        out += char(code & 0xFF);
        return;
    }
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        code = std::min<std::uint32_t>(code, 0x10FFFF);
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

namespace {

std::uint32_t upper(std::uint32_t c)
{
    if (c >= 'a' && c <= 'z')
        return c - 32;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return c - 32;
    if (c == 0xFF)
        return 0x178;
    if (c >= 0x100 && c < 0x180 && (c & 1) && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F)
        return c - 1;
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2)
        return c - 32;
    if (c >= 0x430 && c <= 0x44F)
        return c - 32;
    if (c >= 0x450 && c <= 0x45F)
        return c - 80;
    return c;
}

std::uint32_t lower(std::uint32_t c)
{
    if (c >= 'A' && c <= 'Z')
        return c + 32;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return c + 32;
    if (c == 0x178)
        return 0xFF;
    if (c >= 0x100 && c < 0x180 && !(c & 1) && c != 0x130 && c != 0x138 && c != 0x148 && c != 0x17E)
        return c + 1;
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2)
        return c + 32;
    if (c >= 0x410 && c <= 0x42F)
        return c + 32;
    if (c >= 0x400 && c <= 0x40F)
        return c + 80;
    return c;
}

template<typename Map>
std::string mapCase(std::string_view s, int version, Map map)
{
    std::string out;
    out.reserve(s.size());
    if (version < 6) {
        // Bytes of the system's code page, which the reference reads as
        // Latin-1: its letters change case too, as long as the other case
        // is a byte as well.
        for (unsigned char c : s) {
            const std::uint32_t mapped = map(c);
            out += char(mapped < 0x100 ? mapped : c);
        }
        return out;
    }
    for (std::uint32_t c : codes(s, version))
        append(out, map(c), version);
    return out;
}

} // namespace

std::string toUpper(std::string_view s, int version)
{
    return mapCase(s, version, upper);
}

std::string toLower(std::string_view s, int version)
{
    return mapCase(s, version, lower);
}

} // namespace swf::script::text
