#include "swf/script/ActionDecoder.h"

#include <bit>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "swf/read/ByteReader.h"
#include "swf/script/ActionCode.h"
#include "swf/script/Heap.h"
#include "swf/script/Program.h"

namespace swf::script {

void Program::trace(Tracer& tracer)
{
    for (const Value& v : constants)
        tracer.mark(v);
    for (ConstantPool* pool : pools)
        tracer.mark(pool);
    for (const FunctionTemplate& f : functions) {
        tracer.mark(f.name);
        tracer.mark(f.body);
        for (const auto& p : f.parameters)
            tracer.mark(p.name);
    }
    for (const TryTemplate& t : tries)
        tracer.mark(t.catchName);
}

std::size_t Program::extraBytes() const
{
    return code.capacity() * sizeof(Instruction) + constants.capacity() * sizeof(Value) + functions.capacity() * sizeof(FunctionTemplate)
        + tries.capacity() * sizeof(TryTemplate);
}

namespace {

constexpr std::uint32_t kToEnd = std::numeric_limits<std::uint32_t>::max();

// Where an instruction field still holds a byte offset to be resolved.
struct Fixup {
    enum Field { Target, Operand, Catch, Finally, TryEnd } field;
    std::uint32_t index; // instruction or try
    std::int64_t offset;
};

class BlockDecoder {
public:
    BlockDecoder(Heap& heap, std::span<const std::uint8_t> bytes, Program& program, int depth,
                 Program* (*nested)(void*, std::span<const std::uint8_t>, int), void* context)
        : m_heap(heap)
        , m_bytes(bytes)
        , m_program(program)
        , m_depth(depth)
        , m_nested(nested)
        , m_context(context)
        , m_indexAt(bytes.size() + 1, -1)
    {
    }

    void run()
    {
        std::vector<std::uint32_t> starts {0};
        std::size_t seen = 0;
        while (!starts.empty()) {
            const std::uint32_t start = starts.back();
            starts.pop_back();
            if (start < m_bytes.size() && m_indexAt[start] < 0)
                decodeRun(start);
            // Targets that land where no run has been are decoded from
            // there: a jump into the middle of an action reads on as the
            // bytes say, the way the reference player does.
            for (; seen < m_fixups.size(); ++seen) {
                const Fixup& f = m_fixups[seen];
                if (f.offset >= 0 && f.offset < std::int64_t(m_bytes.size()) && m_indexAt[std::size_t(f.offset)] < 0)
                    starts.push_back(std::uint32_t(f.offset));
            }
        }
        const std::uint32_t endIndex = std::uint32_t(m_program.code.size());
        m_program.code.push_back(Instruction {Op::End, 0, 0, 0, 0, std::uint32_t(m_bytes.size())});
        for (const Fixup& f : m_fixups) {
            std::uint32_t index = endIndex;
            if (f.offset >= 0 && f.offset < std::int64_t(m_bytes.size()) && m_indexAt[std::size_t(f.offset)] >= 0)
                index = std::uint32_t(m_indexAt[std::size_t(f.offset)]);
            switch (f.field) {
            case Fixup::Target: m_program.code[f.index].target = index; break;
            case Fixup::Operand: m_program.code[f.index].operand = index; break;
            case Fixup::Catch: m_program.tries[f.index].catchIndex = index; break;
            case Fixup::Finally: m_program.tries[f.index].finallyIndex = index; break;
            case Fixup::TryEnd: m_program.tries[f.index].endIndex = index; break;
            }
        }
        for (Instruction& i : m_program.code)
            if (i.target == kToEnd)
                i.target = endIndex;
    }

private:
    void problem(std::size_t offset, const std::string& what)
    {
        m_program.problems.push_back("action at " + std::to_string(offset) + ": " + what);
    }

    std::uint32_t emit(Op op, std::uint32_t offset, std::uint32_t operand = 0, std::uint8_t flags = 0)
    {
        m_program.code.push_back(Instruction {op, flags, 0, operand, 0, offset});
        return std::uint32_t(m_program.code.size() - 1);
    }

    void jumpTo(std::uint32_t instruction, std::int64_t offset) { m_fixups.push_back({Fixup::Target, instruction, offset}); }

    std::uint32_t constant(const Value& value)
    {
        m_program.constants.push_back(value);
        return std::uint32_t(m_program.constants.size() - 1);
    }

    std::uint32_t stringConstant(const std::string& text) { return constant(Value::string(m_heap.intern(text))); }

    // Decodes from `start` until the block ends, an End action, bytes that
    // cannot be read, or a place already decoded (joined by a jump).
    void decodeRun(std::uint32_t start)
    {
        std::size_t pos = start;
        while (true) {
            if (pos >= m_bytes.size()) {
                jumpTo(emit(Op::Jump, std::uint32_t(pos)), std::int64_t(m_bytes.size()));
                return;
            }
            if (m_indexAt[pos] >= 0) {
                jumpTo(emit(Op::Jump, std::uint32_t(pos)), std::int64_t(pos));
                return;
            }
            m_indexAt[pos] = std::int32_t(m_program.code.size());
            const std::uint8_t code = m_bytes[pos];
            if (code == 0) {
                emit(Op::End, std::uint32_t(pos));
                return;
            }
            std::span<const std::uint8_t> body;
            std::size_t next = pos + 1;
            if (code >= 0x80) {
                if (pos + 3 > m_bytes.size()) {
                    problem(pos, "truncated action header");
                    emit(Op::End, std::uint32_t(pos));
                    return;
                }
                const std::size_t length = m_bytes[pos + 1] | (std::size_t(m_bytes[pos + 2]) << 8);
                if (pos + 3 + length > m_bytes.size()) {
                    problem(pos, "action runs past the end of its block");
                    emit(Op::End, std::uint32_t(pos));
                    return;
                }
                body = m_bytes.subspan(pos + 3, length);
                next = pos + 3 + length;
            }
            const std::optional<std::size_t> after = decodeAction(code, std::uint32_t(pos), body, next);
            if (!after) {
                emit(Op::End, std::uint32_t(pos));
                return;
            }
            pos = *after;
        }
    }

    std::optional<std::size_t> decodeAction(std::uint8_t code, std::uint32_t pos, std::span<const std::uint8_t> body, std::size_t next)
    {
        ByteReader r(body);
        switch (ActionCode(code)) {
        case ActionCode::Push: {
            const std::size_t first = m_program.code.size();
            if (!decodePush(pos, body))
                return std::nullopt;
            // One dispatch for the whole action: the first instruction runs
            // the others, which stay in place after it.
            const std::size_t count = m_program.code.size() - first;
            if (count >= 2 && count <= 0xFFFF) {
                Instruction& head = m_program.code[first];
                head.flags = std::uint8_t(head.op);
                head.op = Op::PushMany;
                head.extra = std::uint16_t(count);
            }
            return next;
        }
        case ActionCode::Less2:
        case ActionCode::Greater: {
            // `Less2, Not, If` is how loops test their condition: one
            // instruction, with the Not and the If still decoded after it
            // for jumps that land on them.
            if (next + 6 <= m_bytes.size() && m_bytes[next] == std::uint8_t(ActionCode::Not) && m_bytes[next + 1] == std::uint8_t(ActionCode::If)
                && m_bytes[next + 2] == 2 && m_bytes[next + 3] == 0 && m_indexAt[next] < 0 && m_indexAt[next + 1] < 0) {
                const auto delta = std::int16_t(m_bytes[next + 4] | (m_bytes[next + 5] << 8));
                const std::uint32_t i = emit(code == std::uint8_t(ActionCode::Less2) ? Op::IfNotLess2 : Op::IfNotGreater, pos);
                jumpTo(i, std::int64_t(next) + 6 + delta);
                return next;
            }
            emit(Op(code), pos);
            return next;
        }
        case ActionCode::GotoFrame: {
            const auto frame = r.u16();
            if (!frame)
                return bad(pos, "GotoFrame without a frame");
            emit(Op::GotoFrame, pos, *frame);
            return next;
        }
        case ActionCode::GetUrl: {
            const auto url = r.string();
            const auto target = r.string();
            if (!url || !target)
                return bad(pos, "GetURL without its strings");
            const std::uint32_t i = emit(Op::GetUrl, pos, stringConstant(*url));
            m_program.code[i].target = stringConstant(*target);
            return next;
        }
        case ActionCode::StoreRegister: {
            const auto reg = r.u8();
            if (!reg)
                return bad(pos, "StoreRegister without a register");
            // Followed by a Pop, it also pops and skips that Pop, which
            // stays decoded for jumps that land on it.
            const bool popNext = next < m_bytes.size() && m_bytes[next] == std::uint8_t(ActionCode::Pop) && m_indexAt[next] < 0;
            emit(Op::StoreRegister, pos, *reg, popNext ? 1 : 0);
            return next;
        }
        case ActionCode::ConstantPool: {
            const auto count = r.u16();
            if (!count)
                return bad(pos, "ConstantPool without a count");
            auto* pool = m_heap.make<ConstantPool>();
            m_program.pools.push_back(pool);
            // A pool that claims more strings than it holds keeps those it has.
            for (unsigned i = 0; i < *count; ++i) {
                const auto text = r.string();
                if (!text) {
                    problem(pos, "ConstantPool shorter than its count");
                    break;
                }
                pool->entries.push_back(Value::string(m_heap.intern(*text)));
            }
            emit(Op::ConstantPool, pos, std::uint32_t(m_program.pools.size() - 1));
            return next;
        }
        case ActionCode::WaitForFrame: {
            const auto frame = r.u16();
            const auto skip = r.u8();
            if (!frame || !skip)
                return bad(pos, "WaitForFrame without its fields");
            jumpTo(emit(Op::WaitForFrame, pos, *frame), skipActions(next, *skip));
            return next;
        }
        case ActionCode::WaitForFrame2: {
            const auto skip = r.u8();
            if (!skip)
                return bad(pos, "WaitForFrame2 without a skip count");
            jumpTo(emit(Op::WaitForFrame2, pos), skipActions(next, *skip));
            return next;
        }
        case ActionCode::SetTarget:
        case ActionCode::GoToLabel: {
            const auto text = r.string();
            if (!text)
                return bad(pos, "action without its string");
            emit(Op(code), pos, stringConstant(*text));
            return next;
        }
        case ActionCode::Jump:
        case ActionCode::If: {
            const auto delta = r.s16();
            if (!delta)
                return bad(pos, "branch without an offset");
            jumpTo(emit(Op(code), pos), std::int64_t(next) + *delta);
            return next;
        }
        case ActionCode::GetUrl2: {
            const auto flags = r.u8();
            if (!flags)
                return bad(pos, "GetURL2 without flags");
            emit(Op::GetUrl2, pos, 0, *flags);
            return next;
        }
        case ActionCode::GotoFrame2: {
            const auto flags = r.u8();
            if (!flags)
                return bad(pos, "GotoFrame2 without flags");
            std::uint32_t bias = 0;
            if (*flags & 2) {
                const auto b = r.u16();
                if (!b)
                    return bad(pos, "GotoFrame2 without its scene bias");
                bias = *b;
            }
            emit(Op::GotoFrame2, pos, bias, *flags);
            return next;
        }
        case ActionCode::With: {
            const auto size = r.u16();
            if (!size)
                return bad(pos, "With without a size");
            const std::uint32_t i = emit(Op::With, pos);
            const std::uint32_t end = std::uint32_t(std::min<std::size_t>(next + *size, m_bytes.size()));
            m_program.code[i].target = end;
            m_fixups.push_back({Fixup::Operand, i, end});
            return next;
        }
        case ActionCode::DefineFunction:
        case ActionCode::DefineFunction2: return decodeFunction(code == std::uint8_t(ActionCode::DefineFunction2), pos, body, next);
        case ActionCode::Try: return decodeTry(pos, body, next);
        default: break;
        }
        if (isKnownSimple(code)) {
            emit(Op(code), pos);
            return next;
        }
        // Unknown actions are skipped by their length; the place stays a
        // valid jump target.
        emit(Op::Nop, pos);
        return next;
    }

    std::nullopt_t bad(std::uint32_t pos, const char* what)
    {
        problem(pos, what);
        return std::nullopt;
    }

    static bool isKnownSimple(std::uint8_t code)
    {
        switch (code) {
        case 0x04: case 0x05: case 0x06: case 0x07: case 0x08: case 0x09: case 0x0A: case 0x0B: case 0x0C:
        case 0x0D: case 0x0E: case 0x0F: case 0x10: case 0x11: case 0x12: case 0x13: case 0x14: case 0x15:
        case 0x17: case 0x18: case 0x1C: case 0x1D: case 0x20: case 0x21: case 0x22: case 0x23: case 0x24:
        case 0x25: case 0x26: case 0x27: case 0x28: case 0x29: case 0x2A: case 0x2B: case 0x2C: case 0x2D:
        case 0x30: case 0x31: case 0x32: case 0x33: case 0x34: case 0x35: case 0x36: case 0x37: case 0x3A:
        case 0x3B: case 0x3C: case 0x3D: case 0x3E: case 0x3F: case 0x40: case 0x41: case 0x42: case 0x43:
        case 0x44: case 0x45: case 0x46: case 0x47: case 0x48: case 0x49: case 0x4A: case 0x4B: case 0x4C:
        case 0x4D: case 0x4E: case 0x4F: case 0x50: case 0x51: case 0x52: case 0x53: case 0x54: case 0x55:
        case 0x60: case 0x61: case 0x62: case 0x63: case 0x64: case 0x65: case 0x66: case 0x67: case 0x68:
        case 0x69: case 0x9E:
            return true;
        default:
            return false;
        }
    }

    // The byte offset `count` whole actions after `pos`.
    std::int64_t skipActions(std::size_t pos, unsigned count)
    {
        for (unsigned i = 0; i < count && pos < m_bytes.size(); ++i) {
            if (m_bytes[pos] < 0x80) {
                ++pos;
                continue;
            }
            if (pos + 3 > m_bytes.size())
                return std::int64_t(m_bytes.size());
            pos += 3 + (m_bytes[pos + 1] | (std::size_t(m_bytes[pos + 2]) << 8));
        }
        return std::int64_t(std::min(pos, m_bytes.size()));
    }

    bool decodePush(std::uint32_t pos, std::span<const std::uint8_t> body)
    {
        ByteReader r(body);
        while (!r.atEnd()) {
            const std::uint8_t type = *r.u8();
            switch (type) {
            case 0: {
                const auto text = r.string();
                if (!text)
                    return pushProblem(pos);
                emit(Op::PushConstant, pos, stringConstant(*text));
                break;
            }
            case 1: {
                const auto f = r.f32();
                if (!f)
                    return pushProblem(pos);
                emit(Op::PushConstant, pos, constant(Value::number(double(*f))));
                break;
            }
            case 2: emit(Op::PushConstant, pos, constant(Value::null())); break;
            case 3: emit(Op::PushConstant, pos, constant(Value::undefined())); break;
            case 4: {
                const auto reg = r.u8();
                if (!reg)
                    return pushProblem(pos);
                emit(Op::PushRegister, pos, *reg);
                break;
            }
            case 5: {
                const auto b = r.u8();
                if (!b)
                    return pushProblem(pos);
                emit(Op::PushConstant, pos, constant(Value::boolean(*b != 0)));
                break;
            }
            case 6: {
                // The high word comes first, each word little-endian.
                const auto high = r.u32();
                const auto low = r.u32();
                if (!high || !low)
                    return pushProblem(pos);
                const std::uint64_t bits = (std::uint64_t(*high) << 32) | *low;
                emit(Op::PushConstant, pos, constant(Value::number(std::bit_cast<double>(bits))));
                break;
            }
            case 7: {
                const auto i = r.s32();
                if (!i)
                    return pushProblem(pos);
                emit(Op::PushConstant, pos, constant(Value::number(*i)));
                break;
            }
            case 8: {
                const auto i = r.u8();
                if (!i)
                    return pushProblem(pos);
                emit(Op::PushPool, pos, *i);
                break;
            }
            case 9: {
                const auto i = r.u16();
                if (!i)
                    return pushProblem(pos);
                emit(Op::PushPool, pos, *i);
                break;
            }
            default:
                // The reference player pushes undefined for a value of an
                // unknown type and reads no further in that Push.
                emit(Op::PushConstant, pos, constant(Value::undefined()));
                return true;
            }
        }
        return true;
    }

    bool pushProblem(std::uint32_t pos)
    {
        problem(pos, "Push value cut short");
        return false;
    }

    std::optional<std::size_t> decodeFunction(bool function2, std::uint32_t pos, std::span<const std::uint8_t> body, std::size_t next)
    {
        ByteReader r(body);
        FunctionTemplate f;
        f.isFunction2 = function2;
        const auto name = r.string();
        const auto count = r.u16();
        if (!name || !count)
            return bad(pos, "function definition cut short");
        f.name = m_heap.intern(*name);
        if (function2) {
            const auto registers = r.u8();
            const auto flags = r.u16();
            if (!registers || !flags)
                return bad(pos, "function definition cut short");
            f.registerCount = *registers;
            f.flags = *flags;
        }
        for (unsigned i = 0; i < *count; ++i) {
            FunctionTemplate::Parameter p;
            if (function2) {
                const auto reg = r.u8();
                if (!reg)
                    return bad(pos, "function parameters cut short");
                p.reg = *reg;
            }
            const auto paramName = r.string();
            if (!paramName)
                return bad(pos, "function parameters cut short");
            p.name = m_heap.intern(*paramName);
            f.parameters.push_back(p);
        }
        const auto codeSize = r.u16();
        if (!codeSize)
            return bad(pos, "function definition without a body size");
        std::size_t size = *codeSize;
        if (next + size > m_bytes.size()) {
            problem(pos, "function body runs past the end of its block");
            size = m_bytes.size() - next;
        }
        if (m_depth >= ActionDecoder::kMaxNesting)
            return bad(pos, "functions nested too deeply");
        f.body = m_nested(m_context, m_bytes.subspan(next, size), m_depth + 1);
        m_program.functions.push_back(std::move(f));
        emit(function2 ? Op::DefineFunction2 : Op::DefineFunction, pos, std::uint32_t(m_program.functions.size() - 1));
        return next + size;
    }

    std::optional<std::size_t> decodeTry(std::uint32_t pos, std::span<const std::uint8_t> body, std::size_t next)
    {
        ByteReader r(body);
        const auto flags = r.u8();
        const auto trySize = r.u16();
        const auto catchSize = r.u16();
        const auto finallySize = r.u16();
        if (!flags || !trySize || !catchSize || !finallySize)
            return bad(pos, "Try cut short");
        TryTemplate t;
        t.catchInRegister = *flags & 4;
        t.hasCatch = *flags & 1;
        t.hasFinally = *flags & 2;
        if (t.catchInRegister) {
            const auto reg = r.u8();
            if (!reg)
                return bad(pos, "Try without its register");
            t.catchRegister = *reg;
        } else {
            const auto name = r.string();
            if (!name)
                return bad(pos, "Try without its variable");
            t.catchName = m_heap.intern(*name);
        }
        const std::size_t limit = m_bytes.size();
        // Parts the flags leave out take no room, whatever size is written
        // for them: the reference player lays the block out that way.
        t.tryStart = std::uint32_t(next);
        t.catchStart = std::uint32_t(std::min(next + *trySize, limit));
        t.finallyStart = std::uint32_t(std::min<std::size_t>(t.catchStart + (t.hasCatch ? *catchSize : 0), limit));
        t.end = std::uint32_t(std::min<std::size_t>(t.finallyStart + (t.hasFinally ? *finallySize : 0), limit));
        m_program.tries.push_back(t);
        const std::uint32_t index = std::uint32_t(m_program.tries.size() - 1);
        m_fixups.push_back({Fixup::Catch, index, t.catchStart});
        m_fixups.push_back({Fixup::Finally, index, t.finallyStart});
        m_fixups.push_back({Fixup::TryEnd, index, t.end});
        emit(Op::Try, pos, index);
        return next;
    }

    Heap& m_heap;
    std::span<const std::uint8_t> m_bytes;
    Program& m_program;
    int m_depth;
    Program* (*m_nested)(void*, std::span<const std::uint8_t>, int);
    void* m_context;
    std::vector<std::int32_t> m_indexAt;
    std::vector<Fixup> m_fixups;
};

} // namespace

ActionDecoder::ActionDecoder(Heap& heap, int swfVersion)
    : m_heap(heap)
    , m_version(swfVersion)
{
}

Program* ActionDecoder::decode(std::span<const std::uint8_t> bytes)
{
    return decode(bytes, 0);
}

Program* ActionDecoder::decode(std::span<const std::uint8_t> bytes, int depth)
{
    auto* program = m_heap.make<Program>();
    program->version = std::uint8_t(m_version);
    program->byteLength = std::uint32_t(bytes.size());
    auto nested = [](void* self, std::span<const std::uint8_t> body, int d) { return static_cast<ActionDecoder*>(self)->decode(body, d); };
    BlockDecoder(m_heap, bytes, *program, depth, nested, this).run();
    m_heap.reaccount(program);
    return program;
}

} // namespace swf::script
