#pragma once

// An Array: elements held densely by index, so that push, index reads and
// sorting never go through names. Indices far beyond the dense part (a
// single a[4000000000] = 1) become ordinary properties, and `length` is
// kept on its own, so a sparse array costs what it holds.

#include <cstdint>
#include <optional>
#include <vector>

#include "swf/script/Object.h"

namespace swf::script {

class ArrayObject final : public Object {
public:
    // How far past the dense part a write may land and still extend it.
    static constexpr std::uint32_t kMaxDenseGap = 1024;
    static constexpr std::uint32_t kMaxDense = 64 * 1024 * 1024;

    explicit ArrayObject(Object* prototype)
        : Object(prototype, ObjectKind::Array)
    {
        setHasSpecialProperties();
    }

    std::uint32_t length() const { return m_length; }
    // Dense elements (holes read as undefined).
    std::size_t denseSize() const { return m_elements.size(); }
    const Value& dense(std::size_t i) const { return m_elements[i]; }
    bool isHole(std::size_t i) const { return m_holes && (*m_holes)[i]; }

    // Element access by index, dense or spilled; false when absent.
    bool getIndex(Machine& machine, std::uint32_t index, Value& out);
    void setIndex(Machine& machine, std::uint32_t index, const Value& value);
    void setLength(Machine& machine, double length);
    void push(Machine& machine, const Value& value);
    // Replaces the whole content with `values`, densely.
    void assign(Machine& machine, std::vector<Value> values);

    bool getSpecial(Machine& machine, String* key, Value& out) override;
    bool setSpecial(Machine& machine, String* key, const Value& value) override;
    bool deleteSpecial(Machine& machine, String* key) override;
    void specialKeys(Machine& machine, std::vector<Value>& keys) override;

    void trace(Tracer& tracer) override;
    std::size_t extraBytes() const override;

    // The index a property name stands for: decimal digits without a
    // leading zero, below 2^32 - 1.
    static std::optional<std::uint32_t> indexOf(String* key);
    static std::optional<std::uint32_t> indexOf(double number);

private:
    static String* indexKey(Machine& machine, std::uint32_t index);
    void markHole(std::size_t i, bool hole);
    void removeSpilled(Machine& machine, std::uint32_t from);

    std::vector<Value> m_elements;
    std::unique_ptr<std::vector<bool>> m_holes;
    std::uint32_t m_length = 0;
    // `length` set to something that is no length reads back as set,
    // until the array's length next changes.
    Value m_lengthAsSet;
    // Some index lives in the property map.
    bool m_spilled = false;
};

} // namespace swf::script
