#include "swf/script/String.h"

namespace swf::script {

std::uint32_t String::hashOf(std::string_view text)
{
    // FNV-1a: short names dominate, and it is cheap on them.
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 16777619u;
    }
    return hash;
}

std::uint32_t String::hash() const
{
    if (!m_hashed) {
        m_hash = hashOf(view());
        m_hashed = true;
    }
    return m_hash;
}

bool String::isAscii() const
{
    if (m_ascii < 0) {
        m_ascii = 1;
        for (unsigned char c : view()) {
            if (c >= 0x80) {
                m_ascii = 0;
                break;
            }
        }
    }
    return m_ascii == 1;
}

void String::trace(Tracer& tracer)
{
    if (m_folded != this)
        tracer.mark(m_folded);
}

} // namespace swf::script
