#pragma once

// An object's own properties in the order they were made, with their
// flags. Names are interned strings; small maps are scanned, larger ones
// keep an index by folded name so that both the case-sensitive lookups of
// version 7 and the case-insensitive ones before it stay cheap.

#include <cstdint>
#include <memory>
#include <vector>

#include "swf/script/String.h"
#include "swf/script/Value.h"

namespace swf::script {

namespace PropertyFlag {
// As ASSetPropFlags sets them.
constexpr std::uint32_t DontEnum = 1;
constexpr std::uint32_t DontDelete = 2;
constexpr std::uint32_t ReadOnly = 4;
constexpr std::uint32_t OnlySwf6Up = 1u << 7;
constexpr std::uint32_t IgnoreSwf6 = 1u << 8;
constexpr std::uint32_t OnlySwf7Up = 1u << 10;
constexpr std::uint32_t OnlySwf8Up = 1u << 12;
constexpr std::uint32_t OnlySwf9Up = 1u << 13;
constexpr std::uint32_t VersionMask = OnlySwf6Up | IgnoreSwf6 | OnlySwf7Up | OnlySwf8Up | OnlySwf9Up;
// The bits ASSetPropFlags may change.
constexpr std::uint32_t Settable = 0xFFFF;
// Ours: value is a getter and `setter` its partner (addProperty).
constexpr std::uint32_t Accessor = 1u << 16;
} // namespace PropertyFlag

// Whether code running in a machine of this version sees a property.
inline bool visibleTo(std::uint32_t flags, int version)
{
    if (!(flags & PropertyFlag::VersionMask))
        return true;
    if ((flags & PropertyFlag::OnlySwf6Up) && version < 6)
        return false;
    if ((flags & PropertyFlag::IgnoreSwf6) && version == 6)
        return false;
    if ((flags & PropertyFlag::OnlySwf7Up) && version < 7)
        return false;
    if ((flags & PropertyFlag::OnlySwf8Up) && version < 8)
        return false;
    if ((flags & PropertyFlag::OnlySwf9Up) && version < 9)
        return false;
    return true;
}

struct Property {
    String* key = nullptr;
    // What the property holds. An accessor keeps whatever it held before
    // addProperty made it one: __resolve still finds that.
    Value value;
    Value getter;
    Value setter;
    std::uint32_t flags = 0;

    bool isAccessor() const { return flags & PropertyFlag::Accessor; }
};

class Tracer;

class PropertyMap {
public:
    PropertyMap() = default;
    PropertyMap(PropertyMap&&) = default;
    PropertyMap& operator=(PropertyMap&&) = default;

    // `key` must be interned. Case-insensitive lookups match any key with
    // the same folded twin.
    Property* find(String* key, bool caseSensitive)
    {
        // Small maps, the common case, are scanned here.
        if (m_index.empty() && caseSensitive) {
            for (Property& p : m_slots)
                if (p.key == key)
                    return &p;
            return nullptr;
        }
        return findSlow(key, caseSensitive);
    }
    const Property* find(String* key, bool caseSensitive) const { return const_cast<PropertyMap*>(this)->find(key, caseSensitive); }
    // Appends; the caller has checked that no such property exists.
    Property& add(String* key, const Value& value, std::uint32_t flags);
    bool remove(const Property* property);
    void clear();

    std::size_t size() const { return m_slots.size(); }
    bool empty() const { return m_slots.empty(); }
    std::vector<Property>::iterator begin() { return m_slots.begin(); }
    std::vector<Property>::iterator end() { return m_slots.end(); }
    std::vector<Property>::const_iterator begin() const { return m_slots.begin(); }
    std::vector<Property>::const_iterator end() const { return m_slots.end(); }
    Property& at(std::size_t i) { return m_slots[i]; }

    void trace(Tracer& tracer) const;
    std::size_t heapBytes() const;

private:
    static constexpr std::size_t kIndexFrom = 8;
    Property* findSlow(String* key, bool caseSensitive);
    void rebuildIndex();
    void indexSlot(std::uint32_t slot);

    std::vector<Property> m_slots;
    // Open addressing by folded name: slot number plus one, zero is empty.
    std::vector<std::uint32_t> m_index;
};

} // namespace swf::script
