#pragma once

// A run of values with a capacity fixed when it is made, so that pointers
// into it stay good while nested calls push above them. Its memory is
// taken untouched: the pages of an unused depth cost nothing.

#include <cstddef>
#include <new>

#include "swf/script/Value.h"

namespace swf::script {

class ValueStack {
public:
    explicit ValueStack(std::size_t capacity)
        : m_data(static_cast<Value*>(::operator new(capacity * sizeof(Value))))
        , m_capacity(capacity)
    {
    }
    ~ValueStack() { ::operator delete(m_data); }
    ValueStack(const ValueStack&) = delete;
    ValueStack& operator=(const ValueStack&) = delete;

    std::size_t size() const { return m_size; }
    std::size_t capacity() const { return m_capacity; }
    bool full() const { return m_size == m_capacity; }
    Value* data() { return m_data; }
    const Value* data() const { return m_data; }
    Value& operator[](std::size_t i) { return m_data[i]; }
    Value& back() { return m_data[m_size - 1]; }
    const Value* begin() const { return m_data; }
    const Value* end() const { return m_data + m_size; }

    // The caller has checked there is room.
    void push_back(const Value& v) { new (m_data + m_size++) Value(v); }
    void pop_back() { --m_size; }
    // Shrinks, or grows with undefined values, within the capacity.
    void resize(std::size_t size)
    {
        if (size <= m_size) {
            m_size = size;
            return;
        }
        Value* const end = m_data + size;
        for (Value* v = m_data + m_size; v != end; ++v)
            new (v) Value();
        m_size = size;
    }
    void shrink(std::size_t size) { m_size = size < m_size ? size : m_size; }

private:
    Value* m_data;
    std::size_t m_capacity;
    std::size_t m_size = 0;
};

} // namespace swf::script
