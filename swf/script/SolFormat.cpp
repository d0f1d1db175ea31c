#include "swf/script/SolFormat.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "swf/script/ArrayObject.h"
#include "swf/script/Machine.h"
#include "swf/script/Object.h"
#include "swf/script/classes/XmlNodes.h"

namespace swf::script {

namespace {

enum Marker : std::uint8_t {
    kNumber = 0x00,
    kBoolean = 0x01,
    kString = 0x02,
    kObject = 0x03,
    kNull = 0x05,
    kUndefined = 0x06,
    kReference = 0x07,
    kEcmaArray = 0x08,
    kObjectEnd = 0x09,
    kStrictArray = 0x0A,
    kDate = 0x0B,
    kLongString = 0x0C,
    kXmlDocument = 0x0F,
    kTypedObject = 0x10,
};

constexpr char kSignature[] = {'T', 'C', 'S', 'O', 0x00, 0x04, 0x00, 0x00, 0x00, 0x00};
constexpr std::size_t kHeaderBytes = 6; // the magic and the length after it

bool storable(const Value& value)
{
    if (!value.isObject())
        return true;
    const ObjectKind kind = value.asObject()->kind();
    return kind != ObjectKind::Function && kind != ObjectKind::Clip && kind != ObjectKind::Super;
}

class Writer {
public:
    Writer(Machine& machine, std::size_t maxBytes)
        : m_machine(machine)
        , m_maxBytes(maxBytes)
    {
    }

    std::string out;
    bool overflow() const { return out.size() > m_maxBytes; }

    void u8(std::uint8_t v) { out.push_back(char(v)); }
    void u16(std::uint16_t v)
    {
        u8(std::uint8_t(v >> 8));
        u8(std::uint8_t(v));
    }
    void u32(std::uint32_t v)
    {
        u16(std::uint16_t(v >> 16));
        u16(std::uint16_t(v));
    }
    void number(double v)
    {
        const auto bits = std::bit_cast<std::uint64_t>(v);
        u32(std::uint32_t(bits >> 32));
        u32(std::uint32_t(bits));
    }
    // Names longer than a short string can say are not stored.
    bool name(std::string_view text)
    {
        if (text.size() > 0xFFFF)
            return false;
        u16(std::uint16_t(text.size()));
        out.append(text);
        return true;
    }
    void text(std::string_view text)
    {
        if (text.size() <= 0xFFFF) {
            u8(kString);
            name(text);
        } else {
            u8(kLongString);
            u32(std::uint32_t(std::min<std::size_t>(text.size(), 0xFFFFFFFF)));
            out.append(text.substr(0, 0xFFFFFFFF));
        }
    }

    // The object's own enumerable values, each as a name and a value.
    void members(Object* object, int depth)
    {
        for (const Property& p : object->properties()) {
            if (overflow())
                return;
            if ((p.flags & PropertyFlag::DontEnum) || p.isAccessor() || !storable(p.value))
                continue;
            if (name(p.key->view()))
                value(p.value, depth);
        }
    }

    void value(const Value& v, int depth)
    {
        if (overflow())
            return;
        if (v.isUndefined())
            return u8(kUndefined);
        if (v.isNull())
            return u8(kNull);
        if (v.isBoolean())
            return u8(kBoolean), u8(v.asBoolean() ? 1 : 0);
        if (v.isNumber())
            return u8(kNumber), number(v.asNumber());
        if (v.isString())
            return text(v.asString()->view());
        Object* object = v.objectOrNull();
        if (!object || !storable(v) || depth >= kMaxSolDepth)
            return u8(kUndefined);
        switch (object->kind()) {
        case ObjectKind::Date:
            u8(kDate);
            number(m_machine.toNumber(object->primitive()));
            return u16(0);
        case ObjectKind::Boolean:
        case ObjectKind::Number:
        case ObjectKind::String:
            return value(object->primitive(), depth);
        default:
            break;
        }
        if (isXmlNode(v)) {
            const std::string xml = xmlText(m_machine, object);
            u8(kXmlDocument);
            u32(std::uint32_t(std::min<std::size_t>(xml.size(), 0xFFFFFFFF)));
            out.append(xml);
            return;
        }
        if (const auto seen = m_seen.find(object); seen != m_seen.end()) {
            if (seen->second <= 0xFFFF)
                return u8(kReference), u16(std::uint16_t(seen->second));
            return u8(kUndefined);
        }
        m_seen.emplace(object, m_seen.size());
        if (object->kind() == ObjectKind::Array) {
            auto* array = static_cast<ArrayObject*>(object);
            u8(kEcmaArray);
            u32(array->length());
            for (std::size_t i = 0; i < array->denseSize() && !overflow(); ++i) {
                if (array->isHole(i) || !storable(array->dense(i)))
                    continue;
                name(std::to_string(i));
                value(array->dense(i), depth + 1);
            }
        } else {
            u8(kObject);
        }
        members(object, depth + 1);
        u16(0);
        u8(kObjectEnd);
    }

private:
    Machine& m_machine;
    std::size_t m_maxBytes;
    std::unordered_map<Object*, std::size_t> m_seen;
};

class Reader {
public:
    Reader(Machine& machine, std::string_view bytes)
        : m_machine(machine)
        , m_bytes(bytes)
    {
    }

    bool failed = false;
    bool atEnd() const { return m_at >= m_bytes.size(); }

    std::uint8_t u8()
    {
        if (m_at + 1 > m_bytes.size())
            return fail(), 0;
        return std::uint8_t(m_bytes[m_at++]);
    }
    // Operands of | run in no set order: each read is a statement.
    std::uint16_t u16()
    {
        const std::uint16_t high = u8();
        return std::uint16_t(high << 8 | u8());
    }
    std::uint32_t u32()
    {
        const std::uint32_t high = u16();
        return high << 16 | u16();
    }
    double number()
    {
        const std::uint64_t high = u32();
        return std::bit_cast<double>(high << 32 | u32());
    }
    std::string_view take(std::size_t count)
    {
        if (count > m_bytes.size() - std::min(m_at, m_bytes.size()))
            return fail(), std::string_view();
        const std::string_view part = m_bytes.substr(m_at, count);
        m_at += count;
        return part;
    }
    bool expect(std::string_view text) { return take(text.size()) == text && !failed; }
    void fail() { failed = true; }

    // Name and value pairs up to the empty name and the end marker.
    void members(Object* into, int depth)
    {
        while (!failed) {
            const std::string_view key = take(u16());
            if (key.empty()) {
                if (u8() != kObjectEnd)
                    fail();
                return;
            }
            const Value v = value(depth);
            if (!failed)
                put(into, key, v);
        }
    }

    void put(Object* into, std::string_view key, const Value& v)
    {
        String* name = m_machine.intern(key);
        if (into->kind() == ObjectKind::Array) {
            if (const auto index = ArrayObject::indexOf(name)) {
                static_cast<ArrayObject*>(into)->setIndex(m_machine, *index, v);
                return;
            }
        }
        m_machine.remove(into, name);
        m_machine.define(into, name, v);
    }

    Value value(int depth)
    {
        if (depth >= kMaxSolDepth)
            return fail(), Value();
        switch (u8()) {
        case kNumber:
            return Value::number(number());
        case kBoolean:
            return Value::boolean(u8() != 0);
        case kString:
            return m_machine.stringValue(std::string(take(u16())));
        case kLongString:
            return m_machine.stringValue(std::string(take(u32())));
        case kNull:
            return Value::null();
        case kUndefined:
            return Value();
        case kReference: {
            const std::uint16_t index = u16();
            if (index >= m_objects.size())
                return fail(), Value();
            return Value::object(m_objects[index]);
        }
        case kObject:
        case kTypedObject: {
            if (m_bytes[m_at - 1] == char(kTypedObject))
                take(u16()); // the class name: read back as a plain object
            Object* object = m_machine.newObject();
            m_objects.push_back(object);
            members(object, depth + 1);
            return Value::object(object);
        }
        case kEcmaArray: {
            u32(); // a count that the members themselves say again
            ArrayObject* array = m_machine.newArray();
            m_objects.push_back(array);
            members(array, depth + 1);
            return Value::object(array);
        }
        case kStrictArray: {
            const std::uint32_t count = u32();
            // Every element takes a byte at least.
            if (count > m_bytes.size() - m_at)
                return fail(), Value();
            ArrayObject* array = m_machine.newArray();
            m_objects.push_back(array);
            for (std::uint32_t i = 0; i < count && !failed; ++i)
                array->setIndex(m_machine, i, value(depth + 1));
            return Value::object(array);
        }
        case kDate: {
            const double time = number();
            u16(); // a time zone the reference player ignores
            Object* date = m_machine.newObject(m_machine.builtins().datePrototype);
            date->setKind(ObjectKind::Date);
            date->setPrimitive(Value::number(time));
            return Value::object(date);
        }
        case kXmlDocument: {
            const Value text = m_machine.stringValue(std::string(take(u32())));
            if (failed)
                return Value();
            const Value xml = m_machine.get(Value::object(m_machine.global()), m_machine.intern("XML"));
            return m_machine.construct(xml, std::span(&text, 1));
        }
        default:
            return fail(), Value();
        }
    }

private:
    Machine& m_machine;
    std::string_view m_bytes;
    std::size_t m_at = 0;
    std::vector<Object*> m_objects;
};

} // namespace

std::optional<std::string> encodeSol(Machine& machine, std::string_view name, Object* data, std::size_t maxBytes)
{
    Writer writer(machine, maxBytes);
    writer.u16(0x00BF);
    writer.u32(0); // the length, filled in below
    writer.out.append(kSignature, sizeof kSignature);
    if (!writer.name(name))
        return std::nullopt;
    writer.u32(0); // AMF0
    if (data) {
        for (const Property& p : data->properties()) {
            if (writer.overflow())
                break;
            if ((p.flags & PropertyFlag::DontEnum) || p.isAccessor() || !storable(p.value))
                continue;
            if (!writer.name(p.key->view()))
                continue;
            writer.value(p.value, 0);
            writer.u8(0);
        }
    }
    if (writer.overflow() || writer.out.size() - kHeaderBytes > 0xFFFFFFFF)
        return std::nullopt;
    const auto length = std::uint32_t(writer.out.size() - kHeaderBytes);
    for (int i = 0; i < 4; ++i)
        writer.out[2 + i] = char(length >> (24 - 8 * i));
    return std::move(writer.out);
}

bool decodeSol(Machine& machine, std::string_view bytes, Object* data)
{
    Reader reader(machine, bytes);
    if (reader.u16() != 0x00BF || reader.u32() != bytes.size() - kHeaderBytes)
        return false;
    if (!reader.expect(std::string_view(kSignature, sizeof kSignature)))
        return false;
    reader.take(reader.u16()); // the object's name, which the file's place says too
    if (reader.u32() != 0 || reader.failed)
        return false; // AMF3 or a cut header
    Object* read = machine.newObject();
    while (!reader.atEnd() && !reader.failed) {
        const std::string_view key = reader.take(reader.u16());
        const Value v = reader.value(0);
        if (reader.u8() != 0)
            reader.fail();
        if (!reader.failed)
            reader.put(read, key, v);
    }
    if (reader.failed)
        return false;
    for (const Property& p : read->properties()) {
        machine.remove(data, p.key);
        machine.define(data, p.key, p.value);
    }
    return true;
}

std::optional<std::string> encodeAmf0Values(Machine& machine, std::span<const Value> values, std::size_t maxBytes)
{
    Writer writer(machine, maxBytes);
    for (const Value& value : values)
        writer.value(storable(value) ? value : Value(), 0);
    if (writer.overflow())
        return std::nullopt;
    return std::move(writer.out);
}

std::optional<std::vector<Value>> decodeAmf0Values(Machine& machine, std::string_view bytes)
{
    Reader reader(machine, bytes);
    std::vector<Value> values;
    while (!reader.atEnd() && !reader.failed)
        values.push_back(reader.value(0));
    if (reader.failed)
        return std::nullopt;
    return values;
}

} // namespace swf::script
