#pragma once

// A script value: one of the six kinds the language knows, in eight bytes.
// Numbers are stored as the doubles they are; the other kinds live in the
// space of NaN bit patterns that no arithmetic produces (every NaN a script
// makes is stored as the one canonical NaN), with a pointer or a flag in
// the low bits. So the operand stack and registers never allocate, copy a
// value in one move, and hold twice as many values per cache line.

#include <bit>
#include <cstdint>

namespace swf::script {

class Object;
class String;

enum class Type : std::uint8_t {
    Undefined,
    Null,
    Boolean,
    Number,
    String,
    Object,
};

class Value {
public:
    constexpr Value() = default;

    static constexpr Value undefined() { return Value(); }
    static constexpr Value null() { return Value(kNullTag); }
    static constexpr Value boolean(bool b) { return Value(kBooleanTag | (b ? 1u : 0u)); }
    static Value number(double n)
    {
        // Any NaN becomes the canonical one, so none looks like a tag.
        return n != n ? Value(kCanonicalNaN) : Value(std::bit_cast<std::uint64_t>(n));
    }
    static Value string(String* s) { return Value(kStringTag | reinterpret_cast<std::uintptr_t>(s)); }
    static Value object(Object* o) { return Value(kObjectTag | reinterpret_cast<std::uintptr_t>(o)); }
    // Null for a missing object, as natives return them.
    static Value objectOrNull(Object* o) { return o ? object(o) : null(); }

    Type type() const
    {
        if (m_bits < kFirstTag)
            return Type::Number;
        switch (m_bits >> 48) {
        case kUndefinedTag >> 48: return Type::Undefined;
        case kNullTag >> 48: return Type::Null;
        case kBooleanTag >> 48: return Type::Boolean;
        case kStringTag >> 48: return Type::String;
        default: return Type::Object;
        }
    }
    bool isUndefined() const { return m_bits == kUndefinedTag; }
    bool isNull() const { return m_bits == kNullTag; }
    bool isNullish() const { return m_bits == kUndefinedTag || m_bits == kNullTag; }
    bool isBoolean() const { return (m_bits & kTagMask) == kBooleanTag; }
    bool isNumber() const { return m_bits < kFirstTag; }
    bool isString() const { return (m_bits & kTagMask) == kStringTag; }
    bool isObject() const { return (m_bits & kTagMask) == kObjectTag; }

    bool asBoolean() const { return m_bits & 1; }
    double asNumber() const { return std::bit_cast<double>(m_bits); }
    String* asString() const { return reinterpret_cast<String*>(m_bits & kPayloadMask); }
    Object* asObject() const { return reinterpret_cast<Object*>(m_bits & kPayloadMask); }
    // The object, or null for any other kind.
    Object* objectOrNull() const { return isObject() ? asObject() : nullptr; }

private:
    static constexpr std::uint64_t kTagMask = 0xFFFF'0000'0000'0000ull;
    static constexpr std::uint64_t kPayloadMask = ~kTagMask;
    // Above every double that is not a NaN with its sign set, and above
    // the canonical NaN.
    static constexpr std::uint64_t kFirstTag = 0xFFF9'0000'0000'0000ull;
    static constexpr std::uint64_t kUndefinedTag = 0xFFF9'0000'0000'0000ull;
    static constexpr std::uint64_t kNullTag = 0xFFFA'0000'0000'0000ull;
    static constexpr std::uint64_t kBooleanTag = 0xFFFB'0000'0000'0000ull;
    static constexpr std::uint64_t kStringTag = 0xFFFC'0000'0000'0000ull;
    static constexpr std::uint64_t kObjectTag = 0xFFFD'0000'0000'0000ull;
    static constexpr std::uint64_t kCanonicalNaN = 0x7FF8'0000'0000'0000ull;

    explicit constexpr Value(std::uint64_t bits)
        : m_bits(bits)
    {
    }

    std::uint64_t m_bits = kUndefinedTag;
};

static_assert(sizeof(Value) == 8);

} // namespace swf::script
