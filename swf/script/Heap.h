#pragma once

// Owns every cell of one machine and reclaims the unreachable ones by
// marking from the roots and sweeping the rest. Collection only happens
// when the machine asks for it at a safe point (between instructions, with
// every live value on its stacks or in a registered root set), never inside
// an allocation, so C++ code may hold fresh cells in locals until it next
// lets script run.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "swf/script/Cell.h"
#include "swf/script/String.h"

namespace swf::script {

class Heap {
public:
    // Something outside the heap that holds cells: the machine's stacks,
    // the host's references, a native function's temporaries.
    class RootSet {
    public:
        virtual void traceRoots(Tracer& tracer) = 0;

    protected:
        ~RootSet() = default;
    };

    // Collection is worth it once this much has been allocated since the
    // last one, or as much as survived it, whichever is more.
    static constexpr std::size_t kMinCollectionBytes = 4 * 1024 * 1024;
    // Live memory a movie's scripts may hold. Beyond it, running scripts
    // are stopped rather than letting one movie take the machine down.
    static constexpr std::size_t kDefaultLiveLimit = 256 * 1024 * 1024;
    // The longest string one operation may build.
    static constexpr std::size_t kMaxStringBytes = 32 * 1024 * 1024;

    Heap();
    ~Heap();
    Heap(const Heap&) = delete;
    Heap& operator=(const Heap&) = delete;

    template<typename T, typename... Args>
    T* make(Args&&... args)
    {
        T* cell = new T(std::forward<Args>(args)...);
        adopt(cell, sizeof(T));
        return cell;
    }

    // A fresh string; the empty text is always the one shared cell.
    String* string(std::string text);
    // `a` followed by `b`; long results share a buffer with the string
    // they grew from. The caller keeps the length within kMaxStringBytes.
    // `copied` tells how many bytes it took to make.
    String* join(String* a, String* b, std::size_t* copied = nullptr);
    // The one cell for this text, made on first use.
    String* intern(std::string_view text);
    String* intern(String* string);
    String* emptyString() const { return m_empty; }

    void addRootSet(RootSet* roots);
    void removeRootSet(RootSet* roots);

    // A cell's extraBytes() changed: keep the accounting honest so that an
    // array grown a million times counts for what it holds.
    void reaccount(Cell* cell);

    bool wantsCollection() const { return m_sinceCollection > m_nextCollection; }
    void collect();

    std::size_t liveBytes() const { return m_liveBytes; }
    // The most the heap has held at once.
    std::size_t peakBytes() const { return m_peakBytes; }
    std::size_t cellCount() const { return m_cellCount; }
    std::size_t collections() const { return m_collections; }
    std::size_t liveLimit() const { return m_liveLimit; }
    void setLiveLimit(std::size_t bytes) { m_liveLimit = bytes; }
    bool overLimit() const { return m_liveBytes > m_liveLimit; }

private:
    void adopt(Cell* cell, std::size_t size);
    void internFolded(String* string);

    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(const String* s) const { return s->hash(); }
        std::size_t operator()(std::string_view s) const { return String::hashOf(s); }
    };
    struct TextEqual {
        using is_transparent = void;
        bool operator()(const String* a, const String* b) const { return a->view() == b->view(); }
        bool operator()(std::string_view a, const String* b) const { return a == b->view(); }
        bool operator()(const String* a, std::string_view b) const { return a->view() == b; }
    };

    Cell* m_cells = nullptr;
    std::unordered_set<String*, TextHash, TextEqual> m_interned;
    std::vector<RootSet*> m_rootSets;
    String* m_empty = nullptr;
    std::size_t m_liveBytes = 0;
    std::size_t m_peakBytes = 0;
    std::size_t m_sinceCollection = 0;
    std::size_t m_nextCollection = kMinCollectionBytes;
    std::size_t m_cellCount = 0;
    std::size_t m_collections = 0;
    std::size_t m_liveLimit = kDefaultLiveLimit;
};

// Values a native function keeps across calls into script (a sort's copy
// of the array, say), visible to the collector for as long as it lives.
class RootedValues final : public Heap::RootSet {
public:
    explicit RootedValues(Heap& heap)
        : m_heap(heap)
    {
        m_heap.addRootSet(this);
    }
    ~RootedValues() { m_heap.removeRootSet(this); }
    RootedValues(const RootedValues&) = delete;
    RootedValues& operator=(const RootedValues&) = delete;

    std::vector<Value>& values() { return m_values; }
    void push_back(const Value& value) { m_values.push_back(value); }
    Value& operator[](std::size_t i) { return m_values[i]; }
    std::size_t size() const { return m_values.size(); }

    void traceRoots(Tracer& tracer) override;

private:
    Heap& m_heap;
    std::vector<Value> m_values;
};

} // namespace swf::script
