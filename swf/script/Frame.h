#pragma once

// One activation of a program: a DoAction block run on a clip, or a call
// of a script function. Frames live on the native stack while they run and
// are linked to their callers so the collector can walk them.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "swf/script/Value.h"

namespace swf::script {

class ConstantPool;
class Function;
class Object;
class Program;
class Scope;

// An open With or Try block. A block is left when execution reaches an
// instruction outside its byte range, by falling off its end or jumping.
struct Block {
    enum class Kind : std::uint8_t { With, Try };
    enum class Phase : std::uint8_t { Try, Catch, Finally };
    enum class Pending : std::uint8_t { None, Throw, Return, Continue };

    Kind kind = Kind::With;
    Phase phase = Phase::Try;
    Pending pending = Pending::None;
    std::uint32_t start = 0; // byte range of the part now running
    std::uint32_t end = 0;
    std::uint32_t tryIndex = 0;
    std::uint32_t resumeAt = 0; // instruction to go on with after finally
    std::size_t stackHeight = 0;
    Object* withObject = nullptr;
    Value pendingValue;
};

struct Frame {
    Frame* caller = nullptr;
    Program* program = nullptr;
    Function* callee = nullptr; // null for a block run on a clip
    Value thisValue;
    // The clip that timeline actions and unqualified names refer to;
    // SetTarget changes it, `original` is where the block started.
    Object* target = nullptr;
    Object* original = nullptr;
    // The function's own variables, made when first needed.
    Object* activation = nullptr;
    // What the function captured where it was defined.
    Scope* captured = nullptr;
    ConstantPool* pool = nullptr;
    Object* arguments = nullptr;
    // `super`: made on first use from the object the running method or
    // constructor was found on (a class's prototype).
    Value superValue;
    Object* superHolder = nullptr;
    bool hasSuper = false;
    const Value* args = nullptr; // on the operand stack, first argument first
    std::size_t argCount = 0;
    std::size_t stackBase = 0;
    std::size_t registerBase = 0;
    std::uint32_t registerCount = 0;
    std::uint32_t pc = 0;
    std::vector<Block> blocks;
    // A Return is under way; finally parts run before it completes.
    Value returnValue;
    bool returning = false;
    // Called by `new`, as ASnew tells the function.
    bool constructing = false;
    int version = 0;
    bool caseSensitive = false;
};

} // namespace swf::script
