#include "swf/read/Diagnostics.h"

namespace swf {

Diagnostics::Diagnostics(std::size_t capacity)
    : m_capacity(capacity)
{
}

void Diagnostics::report(std::uint64_t offset, int tagCode, std::string message)
{
    report(Diagnostic {offset, tagCode, std::move(message)});
}

void Diagnostics::report(Diagnostic diagnostic)
{
    const std::lock_guard lock(m_lock);
    if (m_entries.size() >= m_capacity) {
        ++m_dropped;
        return;
    }
    m_entries.push_back(std::move(diagnostic));
}

void Diagnostics::clear()
{
    const std::lock_guard lock(m_lock);
    m_entries.clear();
    m_dropped = 0;
}

std::vector<Diagnostic> Diagnostics::entries() const
{
    const std::lock_guard lock(m_lock);
    return m_entries;
}

std::size_t Diagnostics::size() const
{
    const std::lock_guard lock(m_lock);
    return m_entries.size();
}

std::size_t Diagnostics::dropped() const
{
    const std::lock_guard lock(m_lock);
    return m_dropped;
}

} // namespace swf
