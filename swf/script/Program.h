#pragma once

// A block of actions decoded once into instructions the interpreter can
// walk without re-reading bytes: pushes split into one instruction per
// value with their strings already interned, jump targets turned into
// instruction numbers, function bodies decoded into programs of their own.

#include <cstdint>
#include <string>
#include <vector>

#include "swf/script/Cell.h"
#include "swf/script/String.h"
#include "swf/script/Value.h"

namespace swf::script {

// Most instructions are the action of the same code; the rest are ours.
enum class Op : std::uint8_t {
    End = 0x00,
    PushConstant = 0x01, // operand: index into constants
    PushPool = 0x02,     // operand: index into the running constant pool
    PushRegister = 0x03, // operand: register number
    Nop = 0x16,          // an action we do not know, kept as a jump target
    PushMany = 0x19,     // the first of a Push action's values, flags: its own kind
                         // (as the Op of one push); extra: how many follow in all
    IfNotLess2 = 0x1A,   // Less2, Not and If in one, target: the If's; skips the two after it
    IfNotGreater = 0x1B, // the same with Greater
    NextFrame = 0x04,
    PreviousFrame = 0x05,
    Play = 0x06,
    Stop = 0x07,
    ToggleQuality = 0x08,
    StopSounds = 0x09,
    Add = 0x0A,
    Subtract = 0x0B,
    Multiply = 0x0C,
    Divide = 0x0D,
    Equals = 0x0E,
    Less = 0x0F,
    And = 0x10,
    Or = 0x11,
    Not = 0x12,
    StringEquals = 0x13,
    StringLength = 0x14,
    StringExtract = 0x15,
    Pop = 0x17,
    ToInteger = 0x18,
    GetVariable = 0x1C,
    SetVariable = 0x1D,
    SetTarget2 = 0x20,
    StringAdd = 0x21,
    GetProperty = 0x22,
    SetProperty = 0x23,
    CloneSprite = 0x24,
    RemoveSprite = 0x25,
    Trace = 0x26,
    StartDrag = 0x27,
    EndDrag = 0x28,
    StringLess = 0x29,
    Throw = 0x2A,
    CastOp = 0x2B,
    ImplementsOp = 0x2C,
    FsCommand2 = 0x2D,
    RandomNumber = 0x30,
    MbStringLength = 0x31,
    CharToAscii = 0x32,
    AsciiToChar = 0x33,
    GetTime = 0x34,
    MbStringExtract = 0x35,
    MbCharToAscii = 0x36,
    MbAsciiToChar = 0x37,
    Delete = 0x3A,
    Delete2 = 0x3B,
    DefineLocal = 0x3C,
    CallFunction = 0x3D,
    Return = 0x3E,
    Modulo = 0x3F,
    NewObject = 0x40,
    DefineLocal2 = 0x41,
    InitArray = 0x42,
    InitObject = 0x43,
    TypeOf = 0x44,
    TargetPath = 0x45,
    Enumerate = 0x46,
    Add2 = 0x47,
    Less2 = 0x48,
    Equals2 = 0x49,
    ToNumber = 0x4A,
    ToString = 0x4B,
    PushDuplicate = 0x4C,
    StackSwap = 0x4D,
    GetMember = 0x4E,
    SetMember = 0x4F,
    Increment = 0x50,
    Decrement = 0x51,
    CallMethod = 0x52,
    NewMethod = 0x53,
    InstanceOf = 0x54,
    Enumerate2 = 0x55,
    BitAnd = 0x60,
    BitOr = 0x61,
    BitXor = 0x62,
    BitLShift = 0x63,
    BitRShift = 0x64,
    BitURShift = 0x65,
    StrictEquals = 0x66,
    Greater = 0x67,
    StringGreater = 0x68,
    Extends = 0x69,
    GotoFrame = 0x81,   // operand: frame
    GetUrl = 0x83,      // operand: constant of the url, extra: constant of the target
    StoreRegister = 0x87, // flags: 1 when it pops too, skipping the Pop after it
    ConstantPool = 0x88, // operand: index into pools
    WaitForFrame = 0x8A, // operand: frame, target: where a missing frame skips to
    SetTarget = 0x8B,    // operand: constant of the path
    GoToLabel = 0x8C,    // operand: constant of the label
    WaitForFrame2 = 0x8D,
    DefineFunction2 = 0x8E, // operand: index into functions
    Try = 0x8F,             // operand: index into tries
    With = 0x94,            // target: byte offset where the block ends, operand: the instruction there
    Jump = 0x99,
    GetUrl2 = 0x9A, // flags: the method and load bits
    DefineFunction = 0x9B,
    If = 0x9D,
    Call = 0x9E,
    GotoFrame2 = 0x9F, // flags: play bit, operand: scene bias
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
