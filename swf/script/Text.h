#pragma once

// Characters of script strings. Code of version 6 and later reads strings
// as UTF-8; older code reads them a byte to a character, as the reference
// player did with the system's 8-bit code page.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace swf::script::text {

// Characters in the string.
std::size_t length(std::string_view s, int version);
// Byte offset of character `index` (clamped to the end).
std::size_t byteOffset(std::string_view s, std::size_t index, int version);
// Characters [start, start + count), clamped.
std::string_view substring(std::string_view s, std::size_t start, std::size_t count, int version);
// The code of character `index`, or -1 past the end.
std::int64_t codeAt(std::string_view s, std::size_t index, int version);
// All character codes, in order.
std::vector<std::uint32_t> codes(std::string_view s, int version);
// One character from its code.
void append(std::string& out, std::uint32_t code, int version);
std::string toUpper(std::string_view s, int version);
std::string toLower(std::string_view s, int version);

} // namespace swf::script::text
