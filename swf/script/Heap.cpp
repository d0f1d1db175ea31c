#include "swf/script/Heap.h"

#include <algorithm>
#include <cstring>

#include "swf/script/Object.h"

namespace swf::script {

void Tracer::mark(const Value& value)
{
    if (value.isString())
        mark(value.asString());
    else if (value.isObject())
        mark(value.asObject());
}

Heap::Heap()
{
    m_empty = intern(std::string_view());
}

Heap::~Heap()
{
    for (Cell* cell = m_cells; cell;) {
        Cell* next = cell->m_nextCell;
        delete cell;
        cell = next;
    }
}

void Heap::adopt(Cell* cell, std::size_t size)
{
    cell->m_size = std::uint32_t(size);
    cell->m_accountedExtra = cell->extraBytes();
    cell->m_nextCell = m_cells;
    m_cells = cell;
    const std::size_t bytes = size + cell->m_accountedExtra;
    m_liveBytes += bytes;
    m_peakBytes = std::max(m_peakBytes, m_liveBytes);
    m_sinceCollection += bytes;
    ++m_cellCount;
}

void Heap::reaccount(Cell* cell)
{
    const std::size_t extra = cell->extraBytes();
    if (extra > cell->m_accountedExtra) {
        m_liveBytes += extra - cell->m_accountedExtra;
        m_sinceCollection += extra - cell->m_accountedExtra;
        m_peakBytes = std::max(m_peakBytes, m_liveBytes);
    } else {
        m_liveBytes -= std::min(m_liveBytes, cell->m_accountedExtra - extra);
    }
    cell->m_accountedExtra = extra;
}

String* Heap::string(std::string text)
{
    if (text.empty())
        return m_empty;
    return make<String>(std::move(text));
}

String* Heap::join(String* a, String* b, std::size_t* copied)
{
    if (b->empty())
        return a;
    if (a->empty())
        return b;
    // Below this, a buffer's spare room would cost more than copying.
    constexpr std::size_t kMinShared = 256;
    const std::size_t length = a->size() + b->size();
    if (copied)
        *copied = length;
    if (length < kMinShared) {
        std::string joined;
        joined.reserve(length);
        joined += a->view();
        joined += b->view();
        return string(std::move(joined));
    }
    std::shared_ptr<StringBuffer> buffer = a->m_buffer;
    if (!buffer || buffer->used != a->m_length || buffer->capacity - buffer->used < b->size()) {
        buffer = std::make_shared<StringBuffer>(std::min(length * 2, std::max(length, kMaxStringBytes)));
        std::memcpy(buffer->bytes.get(), a->view().data(), a->size());
        buffer->used = a->size();
    } else if (copied) {
        *copied = b->size();
    }
    // `b` may lie in the same buffer, but only below `used`: no overlap.
    std::memcpy(buffer->bytes.get() + buffer->used, b->view().data(), b->size());
    buffer->used = length;
    return make<String>(std::move(buffer), length);
}

String* Heap::intern(std::string_view text)
{
    if (auto found = m_interned.find(text); found != m_interned.end())
        return *found;
    String* string = make<String>(std::string(text));
    string->m_interned = true;
    m_interned.insert(string);
    internFolded(string);
    return string;
}

String* Heap::intern(String* string)
{
    if (string->m_interned)
        return string;
    if (auto found = m_interned.find(string); found != m_interned.end())
        return *found;
    string->m_interned = true;
    m_interned.insert(string);
    internFolded(string);
    return string;
}

void Heap::internFolded(String* string)
{
    const std::string_view text = string->view();
    const bool hasUpper = std::any_of(text.begin(), text.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
    if (!hasUpper) {
        string->m_folded = string;
        return;
    }
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    string->m_folded = intern(lower);
}

void Heap::addRootSet(RootSet* roots)
{
    m_rootSets.push_back(roots);
}

void Heap::removeRootSet(RootSet* roots)
{
    // Root sets mostly come and go in nested scopes: look from the back.
    for (auto it = m_rootSets.rbegin(); it != m_rootSets.rend(); ++it) {
        if (*it == roots) {
            m_rootSets.erase(std::next(it).base());
            return;
        }
    }
}

void Heap::collect()
{
    Tracer tracer;
    tracer.mark(m_empty);
    for (RootSet* roots : m_rootSets)
        roots->traceRoots(tracer);
    while (!tracer.m_work.empty()) {
        Cell* cell = tracer.m_work.back();
        tracer.m_work.pop_back();
        cell->trace(tracer);
    }

    std::size_t live = 0;
    std::size_t count = 0;
    Cell** link = &m_cells;
    while (Cell* cell = *link) {
        if (cell->m_marked) {
            cell->m_marked = false;
            cell->m_accountedExtra = cell->extraBytes();
            live += cell->m_size + cell->m_accountedExtra;
            ++count;
            link = &cell->m_nextCell;
            continue;
        }
        *link = cell->m_nextCell;
        if (auto* string = dynamic_cast<String*>(cell); string && string->m_interned)
            m_interned.erase(string);
        delete cell;
    }
    m_liveBytes = live;
    m_cellCount = count;
    m_sinceCollection = 0;
    m_nextCollection = std::max(kMinCollectionBytes, live);
    ++m_collections;
}

void RootedValues::traceRoots(Tracer& tracer)
{
    for (const Value& value : m_values)
        tracer.mark(value);
}

} // namespace swf::script
