#pragma once

// The base of everything the collector manages. A cell says which other
// cells it reaches; the heap finds the rest by following those edges from
// the roots, so cycles cost nothing special and nothing needs counting.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "swf/script/Value.h"

namespace swf::script {

class Tracer;

class Cell {
public:
    Cell() = default;
    Cell(const Cell&) = delete;
    Cell& operator=(const Cell&) = delete;
    virtual ~Cell() = default;

    // Marks every cell this one holds on to.
    virtual void trace(Tracer&) { }
    // Memory held beyond the object itself (vectors, text), so that the
    // heap's accounting sees a growing array and not only its header.
    virtual std::size_t extraBytes() const { return 0; }

private:
    friend class Heap;
    friend class Tracer;
    Cell* m_nextCell = nullptr;
    std::size_t m_accountedExtra = 0;
    std::uint32_t m_size = 0;
    bool m_marked = false;
};

// Marks cells grey and keeps them on a work list rather than recursing, so
// a list of a million linked objects cannot overflow the native stack.
class Tracer {
public:
    void mark(Cell* cell)
    {
        if (cell && !cell->m_marked) {
            cell->m_marked = true;
            m_work.push_back(cell);
        }
    }
    void mark(const Value& value);

private:
    friend class Heap;
    std::vector<Cell*> m_work;
};

} // namespace swf::script
