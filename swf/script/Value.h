#pragma once

// A script value: one of the six kinds the language knows, held in sixteen
// bytes so that the operand stack and registers never allocate for numbers.

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
    static constexpr Value null()
    {
        Value v;
        v.m_type = Type::Null;
        return v;
    }
    static constexpr Value boolean(bool b)
    {
        Value v;
        v.m_type = Type::Boolean;
        v.m_boolean = b;
        return v;
    }
    static constexpr Value number(double n)
    {
        Value v;
        v.m_type = Type::Number;
        v.m_number = n;
        return v;
    }
    static Value string(String* s)
    {
        Value v;
        v.m_type = Type::String;
        v.m_string = s;
        return v;
    }
    static Value object(Object* o)
    {
        Value v;
        v.m_type = Type::Object;
        v.m_object = o;
        return v;
    }
    // Null for a missing object, as natives return them.
    static Value objectOrNull(Object* o) { return o ? object(o) : null(); }

    Type type() const { return m_type; }
    bool isUndefined() const { return m_type == Type::Undefined; }
    bool isNull() const { return m_type == Type::Null; }
    bool isNullish() const { return m_type <= Type::Null; }
    bool isBoolean() const { return m_type == Type::Boolean; }
    bool isNumber() const { return m_type == Type::Number; }
    bool isString() const { return m_type == Type::String; }
    bool isObject() const { return m_type == Type::Object; }

    bool asBoolean() const { return m_boolean; }
    double asNumber() const { return m_number; }
    String* asString() const { return m_string; }
    Object* asObject() const { return m_object; }
    // The object, or null for any other kind.
    Object* objectOrNull() const { return m_type == Type::Object ? m_object : nullptr; }

    // Same kind and same payload: the identity strict equality builds on.
    bool sameIdentity(const Value& other) const;

private:
    Type m_type = Type::Undefined;
    union {
        bool m_boolean;
        double m_number = 0;
        String* m_string;
        Object* m_object;
    };
};

} // namespace swf::script
