#pragma once

// An immutable string of bytes. Movies of version 6 and later hold UTF-8;
// older ones hold single-byte text, so the bytes are kept as they came and
// each operation reads them by the version of the code asking.
//
// Property names are interned: one cell per distinct text, so that looking
// a name up compares pointers. Each interned name also knows its folded
// (lower-case) twin, which is what older movies compare names by.

#include <cstdint>
#include <string>
#include <string_view>

#include "swf/script/Cell.h"

namespace swf::script {

class String final : public Cell {
public:
    explicit String(std::string text)
        : m_text(std::move(text))
    {
    }

    const std::string& text() const { return m_text; }
    std::string_view view() const { return m_text; }
    std::size_t size() const { return m_text.size(); }
    bool empty() const { return m_text.empty(); }

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
    std::size_t extraBytes() const override { return m_text.capacity() > 15 ? m_text.capacity() : 0; }

    static std::uint32_t hashOf(std::string_view text);

private:
    friend class Heap;
    std::string m_text;
    String* m_folded = nullptr;
    mutable std::uint32_t m_hash = 0;
    mutable std::int8_t m_ascii = -1;
    mutable std::int8_t m_path = -1;
    mutable bool m_hashed = false;
    bool m_interned = false;
};

} // namespace swf::script
