#pragma once

// The memory a movie's caches may hold at once (decoded bitmaps, for now
// the largest of them), shared by everything that caches. An entry is
// charged for what it keeps; when a new charge would overrun the budget,
// the entries used least recently are asked to let go of theirs, and what
// still does not fit is refused, so the entry goes without (and decodes
// again later) instead of the program running out of memory.

#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "swf/read/Diagnostics.h"

namespace swf {

class MemoryBudget {
public:
    static constexpr std::size_t kDefaultBytes = std::size_t(512) << 20;

    class Entry {
    public:
        virtual ~Entry() = default;
        // Lets go of what the entry keeps, if it can do so now without
        // waiting (it may be in use on another thread); true if it did.
        virtual bool tryRelease() = 0;
    };

    explicit MemoryBudget(std::size_t capacity = kDefaultBytes, std::shared_ptr<Diagnostics> diagnostics = nullptr);

    std::size_t capacity() const { return m_capacity; }
    std::size_t used() const;

    // Charges `entry` `bytes` more, making room by releasing the least
    // recently used other entries; false, with nothing charged, when the
    // bytes cannot fit.
    bool charge(Entry& entry, std::size_t bytes);
    // The entry was just used: it is released last.
    void touch(Entry& entry);
    // The entry let go of everything (or is going away).
    void release(Entry& entry);

    // Where a cache tells of what it had to go without.
    void report(const std::string& message);

private:
    struct Charge {
        Entry* entry;
        std::size_t bytes;
    };

    mutable std::mutex m_lock;
    std::size_t m_capacity;
    std::size_t m_used = 0;
    std::list<Charge> m_order; // least recently used first
    std::unordered_map<Entry*, std::list<Charge>::iterator> m_charges;
    std::shared_ptr<Diagnostics> m_diagnostics;
};

} // namespace swf
