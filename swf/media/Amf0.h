#pragma once

// AMF0, the encoding of an FLV file's script data (its onMetaData):
// numbers, booleans, strings, objects and arrays, dates, null. Decoded
// into a plain tree, nested no deeper than kMaxAmfDepth.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace swf {

constexpr int kMaxAmfDepth = 32;

struct AmfMember;

struct AmfValue {
    enum class Type : std::uint8_t { Undefined, Null, Number, Boolean, String, Object, Array, Date };
    Type type = Type::Undefined;
    double number = 0; // a Date's milliseconds since 1970
    bool boolean = false;
    std::string text;
    std::vector<AmfMember> members; // objects
    std::vector<AmfValue> elements; // strict arrays
};

struct AmfMember {
    std::string name;
    AmfValue value;
};

// Reads values one after another from `bytes` until they end or one does
// not decode; a script data tag holds a name, then its argument.
std::vector<AmfValue> readAmf0Values(std::span<const std::uint8_t> bytes);

} // namespace swf
