#pragma once

// An immutable string of bytes. Movies of version 6 and later hold UTF-8;
// older ones hold single-byte text, so the bytes are kept as they came and
// each operation reads them by the version of the code asking.
//
// Property names are interned: one cell per distinct text, so that looking
// a name up compares pointers. Each interned name also knows its folded
// (lower-case) twin, which is what older movies compare names by.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "swf/script/Cell.h"

namespace swf::script {

// Bytes that joined strings share. A string made by appending to the last
// one made in a buffer takes the room after it, so that a loop building
// text does not copy all of it at every step. Bytes once written never
// move or change: a view of any string in the buffer stays good.
struct StringBuffer {
    explicit StringBuffer(std::size_t room)
        : bytes(new char[room])
        , capacity(room)
    {
    }

    std::unique_ptr<char[]> bytes;
    std::size_t capacity;
    std::size_t used = 0;
};

class String final : public Cell {
public:
    explicit String(std::string text)
        : m_text(std::move(text))
    {
    }
    // The first `length` bytes of `buffer`.
    String(std::shared_ptr<StringBuffer> buffer, std::size_t length)
        : m_buffer(std::move(buffer))
        , m_length(length)
    {
    }

    std::string text() const { return std::string(view()); }
    std::string_view view() const { return m_buffer ? std::string_view(m_buffer->bytes.get(), m_length) : std::string_view(m_text); }
    std::size_t size() const { return m_buffer ? m_length : m_text.size(); }
    bool empty() const { return size() == 0; }

    bool isInterned() const { return m_interned; }
    // The interned lower-case twin; only set on interned strings.
    String* folded() const { return m_folded; }
    std::uint32_t hash() const;
    bool isAscii() const;
    // Whether the text holds ':', '/' or '.', which make a variable name
    // a path; worked out once.
    bool hasPathCharacters() const
    {
        if (m_path < 0)
            m_path = m_text.find_first_of(":/.") != std::string::npos ? 1 : 0;
        return m_path == 1;
    }

    void trace(Tracer& tracer) override;
    // A shared buffer is counted by each string for what it shows: never
    // less than the buffer really holds for the strings alive.
    std::size_t extraBytes() const override { return m_buffer ? m_length : m_text.capacity() > 15 ? m_text.capacity() : 0; }

    static std::uint32_t hashOf(std::string_view text);

private:
    friend class Heap;
    std::string m_text;
    std::shared_ptr<StringBuffer> m_buffer; // null: the text is m_text
    std::size_t m_length = 0;
    String* m_folded = nullptr;
    mutable std::uint32_t m_hash = 0;
    mutable std::int8_t m_ascii = -1;
    mutable std::int8_t m_path = -1;
    mutable bool m_hashed = false;
    bool m_interned = false;
};

} // namespace swf::script
