#include "swf/define/MemoryBudget.h"

namespace swf {

MemoryBudget::MemoryBudget(std::size_t capacity, std::shared_ptr<Diagnostics> diagnostics)
    : m_capacity(capacity)
    , m_diagnostics(std::move(diagnostics))
{
}

std::size_t MemoryBudget::used() const
{
    const std::lock_guard lock(m_lock);
    return m_used;
}

bool MemoryBudget::charge(Entry& entry, std::size_t bytes)
{
    const std::lock_guard lock(m_lock);
    if (bytes > m_capacity)
        return false;
    // Entries are asked from the least recently used on; one in use on
    // another thread keeps its memory and is passed over. Asking never
    // waits, so no lock is ever taken in the other order while this one
    // is held.
    for (auto it = m_order.begin(); m_used + bytes > m_capacity && it != m_order.end();) {
        if (it->entry == &entry || !it->entry->tryRelease()) {
            ++it;
            continue;
        }
        m_used -= it->bytes;
        m_charges.erase(it->entry);
        it = m_order.erase(it);
    }
    if (m_used + bytes > m_capacity)
        return false;
    m_used += bytes;
    const auto found = m_charges.find(&entry);
    if (found != m_charges.end()) {
        found->second->bytes += bytes;
        m_order.splice(m_order.end(), m_order, found->second);
    } else {
        m_order.push_back({&entry, bytes});
        m_charges.emplace(&entry, std::prev(m_order.end()));
    }
    return true;
}

void MemoryBudget::touch(Entry& entry)
{
    const std::lock_guard lock(m_lock);
    const auto found = m_charges.find(&entry);
    if (found != m_charges.end())
        m_order.splice(m_order.end(), m_order, found->second);
}

void MemoryBudget::release(Entry& entry)
{
    const std::lock_guard lock(m_lock);
    const auto found = m_charges.find(&entry);
    if (found == m_charges.end())
        return;
    m_used -= found->second->bytes;
    m_order.erase(found->second);
    m_charges.erase(found);
}

void MemoryBudget::report(const std::string& message)
{
    if (m_diagnostics)
        m_diagnostics->report(0, -1, message);
}

} // namespace swf
