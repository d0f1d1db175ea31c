#pragma once

// Turns a block of action bytes (a DoAction body, a clip event's actions,
// a function's body) into a Program. Every read is bounds-checked; where
// the bytes stop making sense the program ends, with the reason recorded,
// so the actions before it still run.

#include <cstdint>
#include <span>

namespace swf::script {

class Heap;
class Program;

class ActionDecoder {
public:
    // Deeper nesting of function definitions than this is not decoded.
    static constexpr int kMaxNesting = 64;

    ActionDecoder(Heap& heap, int swfVersion);

    Program* decode(std::span<const std::uint8_t> bytes);

private:
    Program* decode(std::span<const std::uint8_t> bytes, int depth);

    Heap& m_heap;
    int m_version;
};

} // namespace swf::script
