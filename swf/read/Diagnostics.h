#pragma once

// Where every layer of the engine tells what it skipped or could not make
// sense of in a movie. One sink serves a movie from its first byte to its
// last frame; it keeps the first kCapacity reports and counts the rest, so
// a movie made of nothing but faults costs a bounded amount of memory. The
// renderer reports from its own thread, hence the lock.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "swf/Diagnostic.h"

namespace swf {

class Diagnostics {
public:
    static constexpr std::size_t kCapacity = 1000;

    explicit Diagnostics(std::size_t capacity = kCapacity);

    void report(std::uint64_t offset, int tagCode, std::string message);
    void report(Diagnostic diagnostic);
    void clear();

    // The reports kept, in the order they came.
    std::vector<Diagnostic> entries() const;
    std::size_t size() const;
    // Reports that came after the sink was full.
    std::size_t dropped() const;

private:
    mutable std::mutex m_lock;
    std::size_t m_capacity;
    std::vector<Diagnostic> m_entries;
    std::size_t m_dropped = 0;
};

} // namespace swf
