#include "swf/script/PropertyMap.h"

#include <algorithm>

#include "swf/script/Cell.h"

namespace swf::script {

Property* PropertyMap::findSlow(String* key, bool caseSensitive)
{
    if (m_index.empty()) {
        if (caseSensitive) {
            for (Property& p : m_slots)
                if (p.key == key)
                    return &p;
        } else {
            String* folded = key->folded();
            for (Property& p : m_slots)
                if (p.key->folded() == folded)
                    return &p;
        }
        return nullptr;
    }
    String* folded = key->folded();
    const std::size_t mask = m_index.size() - 1;
    for (std::size_t i = folded->hash() & mask;; i = (i + 1) & mask) {
        const std::uint32_t entry = m_index[i];
        if (!entry)
            return nullptr;
        Property& p = m_slots[entry - 1];
        if (p.key->folded() != folded)
            continue;
        if (!caseSensitive || p.key == key)
            return &p;
        // Another spelling of the name owns the index entry; names that
        // differ only in case are rare enough to look for by scanning.
        for (Property& q : m_slots)
            if (q.key == key)
                return &q;
        return nullptr;
    }
}

Property& PropertyMap::add(String* key, const Value& value, std::uint32_t flags)
{
    m_slots.push_back(Property {key, value, Value(), Value(), flags});
    if (!m_index.empty()) {
        if (m_slots.size() * 2 > m_index.size())
            rebuildIndex();
        else
            indexSlot(std::uint32_t(m_slots.size() - 1));
    } else if (m_slots.size() > kIndexFrom) {
        rebuildIndex();
    }
    return m_slots.back();
}

bool PropertyMap::remove(const Property* property)
{
    if (property < m_slots.data() || property >= m_slots.data() + m_slots.size())
        return false;
    m_slots.erase(m_slots.begin() + (property - m_slots.data()));
    if (m_slots.size() > kIndexFrom)
        rebuildIndex();
    else
        m_index.clear();
    return true;
}

void PropertyMap::clear()
{
    m_slots.clear();
    m_index.clear();
}

void PropertyMap::rebuildIndex()
{
    std::size_t capacity = 16;
    while (capacity < m_slots.size() * 2 + 2)
        capacity *= 2;
    m_index.assign(capacity, 0);
    for (std::uint32_t i = 0; i < m_slots.size(); ++i)
        indexSlot(i);
}

void PropertyMap::indexSlot(std::uint32_t slot)
{
    String* folded = m_slots[slot].key->folded();
    const std::size_t mask = m_index.size() - 1;
    for (std::size_t i = folded->hash() & mask;; i = (i + 1) & mask) {
        const std::uint32_t entry = m_index[i];
        if (!entry) {
            m_index[i] = slot + 1;
            return;
        }
        // The first spelling keeps the entry.
        if (m_slots[entry - 1].key->folded() == folded)
            return;
    }
}

void PropertyMap::trace(Tracer& tracer) const
{
    for (const Property& p : m_slots) {
        tracer.mark(p.key);
        tracer.mark(p.value);
        tracer.mark(p.getter);
        tracer.mark(p.setter);
    }
}

std::size_t PropertyMap::heapBytes() const
{
    return m_slots.capacity() * sizeof(Property) + m_index.capacity() * sizeof(std::uint32_t);
}

} // namespace swf::script
