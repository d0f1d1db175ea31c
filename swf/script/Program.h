#pragma once

// A block of actions decoded once into instructions the interpreter can
// walk without re-reading bytes: pushes split into one instruction per
// value with their strings already interned, jump targets turned into
// instruction numbers, function bodies decoded into programs of their own.

#include <cstdint>
#include <string>
#include <vector>

#include "swf/script/ActionCode.h"
#include "swf/script/Cell.h"
#include "swf/script/String.h"
#include "swf/script/Value.h"

namespace swf::script {

// Most instructions are the action of the same code; the rest are ours,
// at codes no action has. What the operands hold, where an action has any:
//   GotoFrame: frame. GotoFrame2: flags the play bit, operand the scene bias.
//   GetUrl: constant of the url, extra: constant of the target.
//   GetUrl2: flags the method and load bits.
//   StoreRegister: flags 1 when it pops too, skipping the Pop after it.
//   ConstantPool: index into pools. DefineFunction2: index into functions.
//   Try: index into tries. SetTarget, GoToLabel: constant of the path, label.
//   WaitForFrame: frame, target: where a missing frame skips to.
//   With: target the byte offset where the block ends, operand the
//   instruction there.
// Push itself is never an instruction: its values are pushed one by one.
enum class Op : std::uint8_t {
    PushConstant = 0x01, // operand: index into constants
    PushPool = 0x02,     // operand: index into the running constant pool
    PushRegister = 0x03, // operand: register number
    Nop = 0x16,          // an action we do not know, kept as a jump target
    PushMany = 0x19,     // the first of a Push action's values, flags: its own kind
                         // (as the Op of one push); extra: how many follow in all
    IfNotLess2 = 0x1A,   // Less2, Not and If in one, target: the If's; skips the two after it
    IfNotGreater = 0x1B, // the same with Greater
#define TVK_SCRIPT_ACTION_OP(name, code) name = code,
    TVK_SCRIPT_ACTIONS(TVK_SCRIPT_ACTION_OP)
#undef TVK_SCRIPT_ACTION_OP
};

struct Instruction {
    Op op = Op::End;
    std::uint8_t flags = 0;
    std::uint16_t extra = 0;
    std::uint32_t operand = 0;
    std::uint32_t target = 0;
    std::uint32_t offset = 0; // of the action, within its block
};

// The strings of one ConstantPool action. A cell, because functions keep
// the pool that was in force where they were defined.
class ConstantPool final : public Cell {
public:
    std::vector<Value> entries;

    void trace(Tracer& tracer) override
    {
        for (const Value& v : entries)
            tracer.mark(v);
    }
    std::size_t extraBytes() const override { return entries.capacity() * sizeof(Value); }
};

class Program;

struct FunctionTemplate {
    struct Parameter {
        String* name = nullptr;
        std::uint8_t reg = 0; // 0: passed by name
    };
    String* name = nullptr;
    std::vector<Parameter> parameters;
    Program* body = nullptr;
    std::uint16_t flags = 0; // DefineFunction2's preload and suppress bits
    std::uint8_t registerCount = 0;
    bool isFunction2 = false;
};

struct TryTemplate {
    std::uint32_t tryStart = 0; // byte offsets: the block's parts
    std::uint32_t catchStart = 0;
    std::uint32_t finallyStart = 0;
    std::uint32_t end = 0;
    std::uint32_t catchIndex = 0; // and where they start as instructions
    std::uint32_t finallyIndex = 0;
    std::uint32_t endIndex = 0;
    String* catchName = nullptr;
    std::uint8_t catchRegister = 0;
    bool catchInRegister = false;
    bool hasCatch = false;
    bool hasFinally = false;
};

namespace Function2Flag {
constexpr std::uint16_t PreloadThis = 0x0001;
constexpr std::uint16_t SuppressThis = 0x0002;
constexpr std::uint16_t PreloadArguments = 0x0004;
constexpr std::uint16_t SuppressArguments = 0x0008;
constexpr std::uint16_t PreloadSuper = 0x0010;
constexpr std::uint16_t SuppressSuper = 0x0020;
constexpr std::uint16_t PreloadRoot = 0x0040;
constexpr std::uint16_t PreloadParent = 0x0080;
constexpr std::uint16_t PreloadGlobal = 0x0100;
} // namespace Function2Flag

class Program final : public Cell {
public:
    std::vector<Instruction> code; // ends with an End
    std::vector<Value> constants;
    std::vector<ConstantPool*> pools;
    std::vector<FunctionTemplate> functions;
    std::vector<TryTemplate> tries;
    // What could not be read; the block runs up to the first of them.
    std::vector<std::string> problems;
    std::uint32_t byteLength = 0;
    std::uint8_t version = 0;

    void trace(Tracer& tracer) override;
    std::size_t extraBytes() const override;
};

} // namespace swf::script
