#include "swf/script/Interpreter.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "swf/script/ArrayObject.h"
#include "swf/script/ClipObject.h"
#include "swf/script/Equality.h"
#include "swf/script/Frame.h"
#include "swf/script/Function.h"
#include "swf/script/Machine.h"
#include "swf/script/Program.h"
#include "swf/script/Scope.h"
#include "swf/script/ScopeChain.h"
#include "swf/script/SuperObject.h"
#include "swf/script/Text.h"

namespace swf::script {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// fmod, with the common case of small integers done without it; inlined
// into the loop, where a call costs as much as the work.
[[gnu::always_inline]] inline double modulo(double x, double y)
{
    if (x >= -2147483648.0 && x <= 2147483647.0 && y >= 1 && y <= 2147483647.0) {
        const auto a = std::int32_t(x);
        const auto b = std::int32_t(y);
        if (double(a) == x && double(b) == y) {
            const std::int32_t r = a % b;
            // The sign of a zero result follows the dividend, as fmod's does.
            return r == 0 && a < 0 ? -0.0 : double(r);
        }
    }
    return std::fmod(x, y);
}

} // namespace

class Interpreter::Runner {
public:
    Runner(Machine& machine, Frame& frame)
        : m(machine)
        , f(frame)
        , stack(machine.m_stack)
        , registers(machine.m_registers.data() + frame.registerBase)
        , registerCount(frame.registerCount)
        , stackBase(frame.stackBase)
    {
    }
    // Instructions run since the count was last handed to the machine.
    ~Runner() { m.m_instructions += executed; }

    Value run();
    template<bool InBlocks>
    bool loop(Value& result);
    bool handleThrow();

private:
    // -- The operand stack. Its capacity never changes, so references into
    // it stay good while calls push above them.
    void push(const Value& v)
    {
        if (stack.full()) [[unlikely]]
            stackFull();
        stack.push_back(v);
    }
    [[noreturn, gnu::noinline]] void stackFull() { m.abort("the operand stack is full"); }
    Value pop()
    {
        if (stack.size() <= stackBase) [[unlikely]]
            return Value();
        Value v = stack.back();
        stack.pop_back();
        return v;
    }
    // The value `depth` below the top (0: the top), undefined below the frame.
    const Value& peek(std::size_t depth = 0) const
    {
        static const Value kUndefined = Value();
        if (stack.size() - stackBase <= depth)
            return kUndefined;
        return stack[stack.size() - 1 - depth];
    }
    void drop(std::size_t count)
    {
        const std::size_t available = stack.size() - stackBase;
        stack.shrink(stack.size() - std::min(count, available));
    }
    // Replaces the top `count` values with one.
    void replace(std::size_t count, const Value& v)
    {
        drop(count);
        push(v);
    }
    Value* slotAt(std::size_t depth)
    {
        if (stack.size() - stackBase <= depth)
            return nullptr;
        return &stack[stack.size() - 1 - depth];
    }
    Value booleanResult(bool b) const { return f.version >= 5 ? Value::boolean(b) : Value::number(b ? 1 : 0); }

    Value& registerAt(std::uint32_t r)
    {
        static Value scratch;
        if (r >= registerCount) [[unlikely]] {
            scratch = Value();
            return scratch;
        }
        return registers[r];
    }

    // Pops `count` arguments (first on top) into the order calls want:
    // reversed in place on the stack, where they stay rooted.
    std::span<const Value> popArguments(std::size_t& count)
    {
        const std::size_t available = stack.size() - stackBase;
        count = std::min(count, available);
        Value* first = stack.data() + stack.size() - count;
        std::reverse(first, first + count);
        return {first, count};
    }
    std::size_t argumentCount()
    {
        const double n = m.toNumber(pop());
        if (!(n > 0))
            return 0;
        return n > 1e9 ? std::size_t(1e9) : std::size_t(n);
    }

    void checkBudget();
    void safePoint();
    void leaveBlocks(std::uint32_t& pc);
    bool leaveBlock(std::uint32_t& pc);

    // Actions.
    void arithmetic(Op op);
    void add2();
    void compare(Op op);
    void equals2(bool strict);
    void stringOp(Op op);
    void callFunction();
    void callMethod();
    void newObject();
    void newMethod();
    void initArray();
    void initObject();
    void enumerate(bool fromObject);
    void defineFunction(const Instruction& in);
    void extends();
    void implementsOp();
    void castOp();
    void instanceOf();
    void getProperty();
    void setProperty();
    void gotoFrame2(const Instruction& in);
    bool frameLoaded(const Value& frame);
    void getUrl(std::string_view url, std::string_view window, std::uint8_t flags);
    void setTarget(const Value& target);
    void tryBlock(const Instruction& in);
    bool withBlock(const Instruction& in);

    Machine& m;
    Frame& f;
    ValueStack& stack;
    Value* const registers;
    const std::uint32_t registerCount;
    const std::size_t stackBase;
    std::uint64_t executed = 0;
};

void Interpreter::Runner::checkBudget()
{
    m.m_instructions += executed;
    executed = 0;
    const std::uint64_t budget = m.m_limits.instructionBudget;
    if (budget && m.m_instructions > budget)
        m.abort("the script ran for too long and was stopped");
    if (m.m_instructions >= m.m_nextTimeCheck) {
        m.m_nextTimeCheck = m.m_instructions + (1u << 16);
        if (m.m_host.scriptTimeExceeded())
            m.abort("the script ran for too long and was stopped");
    }
}

void Interpreter::Runner::safePoint()
{
    checkBudget();
    m.collectIfDue();
}

// Runs until the program ends (true, with its result) or blocks open or
// all close (false): the loop outside any block does without the check
// that execution is still inside one.
template<bool InBlocks>
bool Interpreter::Runner::loop(Value& result)
{
    const Program& program = *f.program;
    const Instruction* code = program.code.data();
    std::uint32_t pc = f.pc;
    // The innermost open block's byte range, kept in locals.
    std::uint32_t blockStart = 0;
    std::uint32_t blockEnd = std::numeric_limits<std::uint32_t>::max();
    const auto blocksChanged = [&] {
        if (f.blocks.empty()) {
            blockStart = 0;
            blockEnd = std::numeric_limits<std::uint32_t>::max();
        } else {
            blockStart = f.blocks.back().start;
            blockEnd = f.blocks.back().end;
        }
        return f.blocks.empty() == InBlocks;
    };
    blocksChanged();
    // Where the instruction before this one was: a with block ends when
    // execution steps out of it in order, while a jump out of it leaves it
    // open for a jump back in, as in the reference player.
    std::uint32_t previous = pc - 1;
    for (;;) {
        const Instruction& in = code[pc];
        if constexpr (InBlocks) {
            if (in.offset - blockStart >= blockEnd - blockStart && (pc == previous + 1 || f.blocks.back().kind != Block::Kind::With)) [[unlikely]] {
                f.pc = pc;
                leaveBlocks(pc);
                if (blocksChanged()) {
                    f.pc = pc;
                    return false;
                }
                continue;
            }
        }
        const std::uint32_t current = pc;
        previous = pc;
        ++pc;
        ++executed;
        switch (in.op) {
        case Op::End:
            f.blocks.clear();
            result = f.returning ? f.returnValue : Value();
            return true;
        case Op::Nop:
        case Op::Push: // never decoded to: its values are pushed one by one
            break;
        case Op::PushConstant: push(program.constants[in.operand]); break;
        case Op::PushPool:
            if (f.pool && in.operand < f.pool->entries.size())
                push(f.pool->entries[in.operand]);
            else
                push(Value());
            break;
        case Op::PushRegister: push(registerAt(in.operand)); break;
        case Op::PushMany: {
            for (std::uint32_t k = 0; k < in.extra; ++k) {
                const Instruction& item = code[current + k];
                switch (k == 0 ? Op(in.flags) : item.op) {
                case Op::PushConstant: push(program.constants[item.operand]); break;
                case Op::PushRegister: push(registerAt(item.operand)); break;
                default:
                    if (f.pool && item.operand < f.pool->entries.size())
                        push(f.pool->entries[item.operand]);
                    else
                        push(Value());
                }
            }
            pc = current + in.extra;
            break;
        }
        case Op::IfNotLess2:
        case Op::IfNotGreater: {
            const Value& a = peek(1);
            const Value& b = peek(0);
            bool holds;
            if (a.isNumber() && b.isNumber()) {
                holds = in.op == Op::IfNotLess2 ? a.asNumber() < b.asNumber() : a.asNumber() > b.asNumber();
                drop(2);
            } else {
                compare(in.op == Op::IfNotLess2 ? Op::Less2 : Op::Greater);
                const Value r = pop();
                holds = r.isBoolean() && r.asBoolean();
            }
            if (holds) {
                pc = current + 3;
            } else {
                pc = in.target;
                if (in.target <= current)
                    safePoint();
            }
            break;
        }
        case Op::StoreRegister:
            registerAt(in.operand) = peek();
            // StoreRegister and a Pop after it, as `var` compiles.
            if (in.flags && stack.size() > stackBase) {
                stack.pop_back();
                ++pc;
            }
            break;
        case Op::Pop:
            if (stack.size() > stackBase)
                stack.pop_back();
            break;
        case Op::PushDuplicate: push(Value(peek())); break;
        case Op::StackSwap: {
            const Value a = pop();
            const Value b = pop();
            push(a);
            push(b);
            break;
        }
        case Op::Jump:
            pc = in.target;
            if (in.target <= current)
                safePoint();
            break;
        case Op::If: {
            const Value c = pop();
            const bool taken = c.isBoolean() ? c.asBoolean() : m.toBoolean(c);
            if (taken) {
                pc = in.target;
                if (in.target <= current)
                    safePoint();
            }
            break;
        }
        case Op::Add2: {
            const Value& a = peek(1);
            const Value& b = peek(0);
            if (a.isNumber() && b.isNumber()) {
                const double r = a.asNumber() + b.asNumber();
                drop(1);
                stack.back() = Value::number(r);
            } else {
                add2();
            }
            break;
        }
        case Op::Less2:
        case Op::Greater: {
            const Value& a = peek(1);
            const Value& b = peek(0);
            if (a.isNumber() && b.isNumber() && !std::isnan(a.asNumber()) && !std::isnan(b.asNumber())) {
                const bool r = in.op == Op::Less2 ? a.asNumber() < b.asNumber() : a.asNumber() > b.asNumber();
                drop(1);
                stack.back() = Value::boolean(r);
            } else {
                compare(in.op);
            }
            break;
        }
        case Op::Increment:
        case Op::Decrement: {
            const Value& a = peek();
            const double n = a.isNumber() ? a.asNumber() : m.toNumber(a);
            replace(1, Value::number(in.op == Op::Increment ? n + 1 : n - 1));
            break;
        }
        case Op::Subtract:
        case Op::Multiply:
        case Op::Modulo: {
            const Value& a = peek(1);
            const Value& b = peek(0);
            if (a.isNumber() && b.isNumber()) {
                const double x = a.asNumber();
                const double y = b.asNumber();
                const double r = in.op == Op::Subtract ? x - y : in.op == Op::Multiply ? x * y : modulo(x, y);
                drop(1);
                stack.back() = Value::number(r);
            } else {
                arithmetic(in.op);
            }
            break;
        }
        case Op::Add:
        case Op::Divide:
        case Op::BitAnd:
        case Op::BitOr:
        case Op::BitXor:
        case Op::BitLShift:
        case Op::BitRShift:
        case Op::BitURShift: arithmetic(in.op); break;
        case Op::Equals:
        case Op::Less:
        case Op::StringEquals:
        case Op::StringLess:
        case Op::StringGreater: compare(in.op); break;
        case Op::Equals2: equals2(false); break;
        case Op::StrictEquals: equals2(true); break;
        case Op::And:
        case Op::Or: {
            const bool b = m.toBoolean(peek(0));
            const bool a = m.toBoolean(peek(1));
            replace(2, booleanResult(in.op == Op::And ? (a && b) : (a || b)));
            break;
        }
        case Op::Not: {
            const Value& v = peek();
            const bool a = v.isBoolean() ? v.asBoolean() : m.toBoolean(v);
            replace(1, booleanResult(!a));
            break;
        }
        case Op::ToInteger: {
            // int(): a 32-bit integer, wrapping.
            const double n = m.toInt32(peek());
            replace(1, Value::number(n));
            break;
        }
        case Op::ToNumber: {
            const double n = m.toNumber(peek());
            replace(1, Value::number(n));
            break;
        }
        case Op::ToString: {
            String* s = m.toString(peek());
            replace(1, Value::string(s));
            break;
        }
        case Op::TypeOf: {
            String* s = m.typeOf(peek());
            replace(1, Value::string(s));
            break;
        }
        case Op::StringAdd:
        case Op::StringLength:
        case Op::StringExtract:
        case Op::MbStringLength:
        case Op::MbStringExtract:
        case Op::CharToAscii:
        case Op::AsciiToChar:
        case Op::MbCharToAscii:
        case Op::MbAsciiToChar: stringOp(in.op); break;
        case Op::GetVariable: {
            String* name = m.toKey(peek());
            const Value v = ScopeChain::get(m, f, name);
            replace(1, v);
            break;
        }
        case Op::SetVariable: {
            String* name = m.toKey(peek(1));
            ScopeChain::set(m, f, name, peek(0));
            drop(2);
            break;
        }
        case Op::DefineLocal: {
            String* name = m.toKey(peek(1));
            ScopeChain::defineLocal(m, f, name, peek(0), false);
            drop(2);
            break;
        }
        case Op::DefineLocal2: {
            String* name = m.toKey(peek());
            ScopeChain::defineLocal(m, f, name, Value(), true);
            drop(1);
            break;
        }
        case Op::Delete: {
            Object* object = m.toObjectOrNull(peek(1));
            bool removed = false;
            if (object) {
                String* name = m.toKey(peek(0));
                removed = m.remove(object, name);
            }
            replace(2, Value::boolean(removed));
            break;
        }
        case Op::Delete2: {
            String* name = m.toKey(peek());
            const bool removed = ScopeChain::remove(m, f, name);
            replace(1, Value::boolean(removed));
            break;
        }
        case Op::GetMember: {
            const Value v = m.getMember(peek(1), peek(0));
            replace(2, v);
            break;
        }
        case Op::SetMember:
            m.setMember(peek(2), peek(1), peek(0));
            drop(3);
            break;
        case Op::CallFunction: callFunction(); break;
        case Op::CallMethod: callMethod(); break;
        case Op::NewObject: newObject(); break;
        case Op::NewMethod: newMethod(); break;
        case Op::Return:
            f.returnValue = pop();
            f.returning = true;
            if (f.blocks.empty()) {
                result = f.returnValue;
                return true;
            }
            // Open blocks are left as if by a jump to the end, so that
            // finally parts run first.
            pc = std::uint32_t(program.code.size() - 1);
            break;
        case Op::InitArray: initArray(); break;
        case Op::InitObject: initObject(); break;
        case Op::Enumerate: enumerate(false); break;
        case Op::Enumerate2: enumerate(true); break;
        case Op::InstanceOf: instanceOf(); break;
        case Op::Extends: extends(); break;
        case Op::CastOp: castOp(); break;
        case Op::ImplementsOp: implementsOp(); break;
        case Op::Throw: {
            m.m_thrown = pop();
            throw ScriptThrow {};
        }
        case Op::Try:
            tryBlock(in);
            if (blocksChanged()) {
                f.pc = pc;
                return false;
            }
            break;
        case Op::With:
            if (!withBlock(in))
                pc = in.operand;
            if (blocksChanged()) {
                f.pc = pc;
                return false;
            }
            break;
        case Op::DefineFunction:
        case Op::DefineFunction2: defineFunction(in); break;
        case Op::ConstantPool: f.pool = program.pools[in.operand]; break;
        case Op::Trace: {
            const Value& v = peek();
            if (v.isUndefined()) {
                m.m_host.trace("undefined");
            } else if (Object* o = v.objectOrNull(); o && o->kind() == ObjectKind::Clip && !m.resolveClip(o)) {
                // A reference to a clip that is gone traces as nothing.
                m.m_host.trace("");
            } else {
                String* s = m.toString(v);
                if (f.version < 6 && !s->isAscii()) {
                    // Older movies' text is single-byte; the trace output
                    // is UTF-8.
                    std::string utf8;
                    for (unsigned char c : s->view())
                        text::append(utf8, c, 6);
                    m.m_host.trace(utf8);
                } else {
                    m.m_host.trace(s->view());
                }
            }
            drop(1);
            break;
        }
        case Op::GetTime: push(Value::number(std::floor(m.m_host.timer()))); break;
        case Op::RandomNumber: {
            const double max = m.toInteger(peek());
            replace(1, Value::number(m.m_host.randomBelow(max)));
            break;
        }
        case Op::TargetPath: {
            Object* object = peek().objectOrNull();
            ClipObject* clip = object && object->kind() == ObjectKind::Clip ? m.resolveClip(object) : nullptr;
            replace(1, clip ? m.stringValue(m.m_host.targetPath(clip->handle())) : Value());
            break;
        }
        case Op::GetProperty: getProperty(); break;
        case Op::SetProperty: setProperty(); break;
        case Op::CloneSprite: {
            const double depth = m.toNumber(peek(0));
            const std::string name = m.toStdString(peek(1));
            Object* source = m.resolveTarget(f.target, peek(2));
            if (const ClipHandle h = m.handleOf(source))
                m.m_host.duplicateMovieClip(h, name, std::isfinite(depth) ? int(depth) - 16384 : 0);
            drop(3);
            break;
        }
        case Op::RemoveSprite: {
            Object* clip = m.resolveTarget(f.target, peek());
            if (const ClipHandle h = m.handleOf(clip))
                m.m_host.removeMovieClip(h);
            drop(1);
            break;
        }
        case Op::StartDrag: {
            Object* clip = m.resolveTarget(f.target, pop());
            const bool lockCenter = m.toBoolean(pop());
            const bool constrain = m.toBoolean(pop());
            std::optional<HostRect> rect;
            if (constrain) {
                HostRect r;
                r.yMax = m.toNumber(pop());
                r.xMax = m.toNumber(pop());
                r.yMin = m.toNumber(pop());
                r.xMin = m.toNumber(pop());
                rect = r;
            }
            if (const ClipHandle h = m.handleOf(clip))
                m.m_host.startDrag(h, lockCenter, rect);
            break;
        }
        case Op::EndDrag: m.m_host.stopDrag(); break;
        case Op::NextFrame:
            if (const ClipHandle h = m.handleOf(f.target))
                m.m_host.nextFrame(h);
            break;
        case Op::PreviousFrame:
            if (const ClipHandle h = m.handleOf(f.target))
                m.m_host.previousFrame(h);
            break;
        case Op::Play:
            if (const ClipHandle h = m.handleOf(f.target))
                m.m_host.play(h);
            break;
        case Op::Stop:
            if (const ClipHandle h = m.handleOf(f.target))
                m.m_host.stop(h);
            break;
        case Op::ToggleQuality: m.m_host.toggleQuality(); break;
        case Op::StopSounds: m.m_host.stopAllSounds(); break;
        case Op::GotoFrame:
            if (const ClipHandle h = m.handleOf(f.target))
                m.m_host.gotoFrame(h, int(in.operand), false);
            break;
        case Op::GoToLabel:
            if (const ClipHandle h = m.handleOf(f.target))
                m.m_host.gotoLabel(h, program.constants[in.operand].asString()->view(), false);
            break;
        case Op::GotoFrame2: gotoFrame2(in); break;
        case Op::WaitForFrame:
            if (!frameLoaded(Value::number(double(in.operand) + 1)))
                pc = in.target;
            break;
        case Op::WaitForFrame2: {
            const Value frame = pop();
            if (!frameLoaded(frame))
                pc = in.target;
            break;
        }
        case Op::GetUrl:
            getUrl(program.constants[in.operand].asString()->view(), program.constants[in.target].asString()->view(), 0);
            break;
        case Op::GetUrl2: {
            const std::string window = m.toStdString(peek(0));
            const std::string url = m.toStdString(peek(1));
            drop(2);
            getUrl(url, window, in.flags | 0x100);
            break;
        }
        case Op::SetTarget: setTarget(program.constants[in.operand]); break;
        case Op::SetTarget2: {
            const Value target = pop();
            setTarget(target);
            break;
        }
        case Op::Call: {
            const Value frame = pop();
            Object* clip = f.target;
            std::string text = frame.isString() ? frame.asString()->text() : std::string();
            int number = -1;
            if (!frame.isString()) {
                const double n = m.toNumber(frame);
                number = std::isfinite(n) && n >= 1 ? int(std::min(n, 1e6)) - 1 : -1;
            } else {
                if (const auto colon = text.rfind(':'); colon != std::string::npos) {
                    clip = m.resolvePath(f.target, std::string_view(text).substr(0, colon));
                    text = text.substr(colon + 1);
                }
                const double n = m.toNumber(m.stringValue(text));
                if (std::isfinite(n) && n >= 1)
                    number = int(std::min(n, 1e6)) - 1;
                else if (const ClipHandle h = m.handleOf(clip))
                    number = m.m_host.frameOfLabel(h, text).value_or(-1);
            }
            if (const ClipHandle h = m.handleOf(clip); h && number >= 0)
                m.m_host.callFrame(h, number);
            break;
        }
        case Op::FsCommand2: {
            std::size_t count = argumentCount();
            drop(count);
            break;
        }
        }
    }
}

Value Interpreter::Runner::run()
{
    Value result;
    for (;;) {
        const bool done = f.blocks.empty() ? loop<false>(result) : loop<true>(result);
        if (done)
            return result;
    }
}

void Interpreter::Runner::arithmetic(Op op)
{
    const double b = m.toNumber(peek(0));
    const double a = m.toNumber(peek(1));
    Value result;
    switch (op) {
    case Op::Add: result = Value::number(a + b); break;
    case Op::Subtract: result = Value::number(a - b); break;
    case Op::Multiply: result = Value::number(a * b); break;
    case Op::Divide:
        if (b == 0 && f.version < 5)
            result = Value::string(m.intern("#ERROR#"));
        else
            result = Value::number(a / b);
        break;
    case Op::Modulo: result = Value::number(modulo(a, b)); break;
    default: {
        const std::int32_t x = m.toInt32(peek(1));
        const std::int32_t y = m.toInt32(peek(0));
        const std::uint32_t ux = std::uint32_t(x);
        const unsigned shift = std::uint32_t(y) & 31;
        switch (op) {
        case Op::BitAnd: result = Value::number(x & y); break;
        case Op::BitOr: result = Value::number(x | y); break;
        case Op::BitXor: result = Value::number(x ^ y); break;
        case Op::BitLShift: result = Value::number(std::int32_t(ux << shift)); break;
        case Op::BitRShift: result = Value::number(x >> shift); break;
        default: result = Value::number(ux >> shift); break;
        }
    }
    }
    replace(2, result);
}

// Add2 asks objects for valueOf only (a date from version 6 for
// toString); if either side is then text, the objects that gave no
// primitive are asked for their text, and the two joined; otherwise they
// are asked for their number, and the two added.
void Interpreter::Runner::add2()
{
    // The converted values go back on the stack, so they stay rooted while
    // the other side's valueOf runs.
    const auto valueOf = [&](const Value& v) { return m.valueOfStep(v); };
    const Value originalA = peek(1);
    const Value originalB = peek(0);
    // Keep the originals rooted beside the converted values.
    push(originalA);
    push(originalB);
    Value a = valueOf(originalA);
    if (Value* slot = slotAt(3))
        *slot = a;
    Value b = valueOf(originalB);
    if (Value* slot = slotAt(2))
        *slot = b;
    if (a.isString() || b.isString()) {
        String* sa = m.toString(a.isObject() ? originalA : a);
        if (Value* slot = slotAt(3))
            *slot = Value::string(sa);
        String* sb = m.toString(b.isObject() ? originalB : b);
        drop(2);
        if (sa->size() + sb->size() > Heap::kMaxStringBytes)
            m.abort("a string grew beyond what a movie may build");
        replace(2, Value::string(m.join(sa, sb)));
        return;
    }
    // An object that gave no primitive is asked for its number afresh.
    const double x = m.toNumber(a.isObject() ? originalA : a);
    if (Value* slot = slotAt(3))
        *slot = Value::number(x);
    const double y = m.toNumber(b.isObject() ? originalB : b);
    drop(2);
    replace(2, Value::number(x + y));
}

void Interpreter::Runner::compare(Op op)
{
    switch (op) {
    case Op::Equals: {
        const double b = m.toNumber(peek(0));
        const double a = m.toNumber(peek(1));
        replace(2, booleanResult(a == b));
        return;
    }
    case Op::Less: {
        const double a = m.toNumber(peek(1));
        const double b = m.toNumber(peek(0));
        replace(2, booleanResult(a < b));
        return;
    }
    case Op::StringEquals:
    case Op::StringLess:
    case Op::StringGreater: {
        String* b = m.toString(peek(0));
        String* a = m.toString(peek(1));
        const int c = a->view().compare(b->view());
        const bool r = op == Op::StringEquals ? c == 0 : op == Op::StringLess ? c < 0 : c > 0;
        replace(2, booleanResult(r));
        return;
    }
    default: break;
    }
    // Less2 and Greater: a < b, or b < a, by the abstract comparison; the
    // left side of the comparison converts first (b of a > b).
    const Value result = op == Op::Less2 ? m.lessThan(peek(1), peek(0)) : m.lessThan(peek(0), peek(1));
    replace(2, result);
}

void Interpreter::Runner::equals2(bool strict)
{
    const bool r = strict ? strictEquals(peek(1), peek(0)) : looseEquals(m, peek(1), peek(0));
    replace(2, Value::boolean(r));
}

void Interpreter::Runner::stringOp(Op op)
{
    const int v = f.version;
    switch (op) {
    case Op::StringAdd: {
        String* b = m.toString(peek(0));
        String* a = m.toString(peek(1));
        if (a->size() + b->size() > Heap::kMaxStringBytes)
            m.abort("a string grew beyond what a movie may build");
        replace(2, Value::string(m.join(a, b)));
        return;
    }
    case Op::StringLength:
    case Op::MbStringLength: {
        String* s = m.toString(peek());
        replace(1, Value::number(double(text::length(s->view(), v))));
        return;
    }
    case Op::StringExtract:
    case Op::MbStringExtract: {
        const double count = m.toInteger(peek(0));
        const double index = m.toInteger(peek(1));
        String* s = m.toString(peek(2));
        const std::size_t length = text::length(s->view(), v);
        const double start = std::max(0.0, index - 1);
        std::size_t from = start >= double(length) ? length : std::size_t(start);
        std::size_t n = count < 0 ? length - from : std::size_t(std::min(count, double(length - from)));
        replace(3, m.stringValue(std::string(text::substring(s->view(), from, n, v))));
        return;
    }
    case Op::CharToAscii:
    case Op::MbCharToAscii: {
        String* s = m.toString(peek());
        const std::int64_t code = text::codeAt(s->view(), 0, op == Op::MbCharToAscii ? std::max(v, 6) : v);
        replace(1, code < 0 ? Value::number(0) : Value::number(double(code)));
        return;
    }
    case Op::AsciiToChar:
    case Op::MbAsciiToChar: {
        const double code = m.toInteger(peek());
        std::string out;
        if (code > 0 && v < 6) {
            // Single-byte movies: chr keeps the low byte, mbchr writes the
            // two low bytes, high first, for codes above a byte; a zero
            // byte ends the text.
            const auto n = std::uint32_t(std::fmod(code, 4294967296.0));
            if (op == Op::MbAsciiToChar && n > 0xFF) {
                if (n & 0xFF00) {
                    out += char((n >> 8) & 0xFF);
                    if (n & 0xFF)
                        out += char(n & 0xFF);
                }
            } else if (n & 0xFF) {
                out += char(n & 0xFF);
            }
        } else if (code > 0) {
            text::append(out, std::uint32_t(std::fmod(code, 65536.0)), op == Op::MbAsciiToChar ? std::max(v, 6) : v);
        }
        replace(1, m.stringValue(std::move(out)));
        return;
    }
    default: return;
    }
}

void Interpreter::Runner::callFunction()
{
    String* name = m.toKey(pop());
    std::size_t count = argumentCount();
    const std::span<const Value> args = popArguments(count);
    Object* holder = nullptr;
    const Value function = ScopeChain::get(m, f, name, &holder);
    // super() is a call of the class's super constructor.
    if (Object* super = function.objectOrNull(); super && super->kind() == ObjectKind::Super) {
        const Value result = m.callSuperConstructor(static_cast<SuperObject*>(super), args);
        drop(count);
        push(result);
        return;
    }
    // A plain call runs on the object the function was found on: the
    // timeline, a with block's object, or the activation of the function
    // that holds it as a local.
    const Value thisValue = holder ? Value::object(holder) : Value();
    Value result;
    if (Object* fn = function.objectOrNull(); fn && fn->isFunction())
        result = m.callFunction(static_cast<Function*>(fn), thisValue, args, false, nullptr);
    drop(count);
    push(result);
}

void Interpreter::Runner::callMethod()
{
    const Value name = peek(0);
    const Value object = peek(1);
    drop(2);
    std::size_t count = argumentCount();
    const std::span<const Value> args = popArguments(count);
    // Keep the object rooted while the call runs.
    push(object);
    Value result;
    const bool unnamed = name.isUndefined() || (name.isString() && name.asString()->empty());
    Object* target = object.objectOrNull();
    if (unnamed) {
        if (target && target->kind() == ObjectKind::Super) {
            result = m.callSuperConstructor(static_cast<SuperObject*>(target), args);
        } else if (target && target->isFunction()) {
            result = m.callFunction(static_cast<Function*>(target), Value(), args, false, nullptr);
        }
    } else {
        String* key = m.toKey(name);
        Value thisValue = object;
        Object* holder = nullptr;
        Value method;
        if (target && target->kind() == ObjectKind::Super) {
            auto* super = static_cast<SuperObject*>(target);
            thisValue = super->thisValue();
            Object* start = super->start();
            if (start) {
                bool found = false;
                method = m.getFromChain(start, thisValue, key, found);
            }
            // Through super, the called method's class is one further up;
            // from version 7 on, a method found higher still has its own
            // super begin where it was found, as the reference player has it.
            holder = start;
            Object* owner = nullptr;
            if (f.version >= 7 && start && m.find(start, key, &owner) && owner != start) {
                // The owner was found going up from start, so this ends.
                Object* below = start;
                while (below->prototype() != owner)
                    below = below->prototype();
                holder = below;
            }
        } else if (target) {
            Object* receiver = target;
            if (receiver->kind() == ObjectKind::Clip)
                receiver = m.resolveClip(receiver);
            if (receiver) {
                method = m.get(Value::object(receiver), key);
                // The method's class: the object's prototype; from version
                // 7 on, the first prototype up from there that holds it.
                holder = receiver->prototype();
                Object* owner = nullptr;
                if (f.version >= 7 && holder && m.find(holder, key, &owner) && owner)
                    holder = owner;
            }
        } else {
            method = m.get(object, key);
            Object* wrapper = m.toObjectOrNull(object);
            if (wrapper) {
                stack.back() = Value::object(wrapper);
                holder = wrapper->prototype();
            }
        }
        if (Object* fn = method.objectOrNull(); fn && fn->isFunction())
            result = m.callFunction(static_cast<Function*>(fn), thisValue, args, false, holder);
    }
    drop(count + 1);
    push(result);
}

void Interpreter::Runner::newObject()
{
    String* name = m.toKey(pop());
    std::size_t count = argumentCount();
    const std::span<const Value> args = popArguments(count);
    const Value constructor = ScopeChain::get(m, f, name);
    const Value result = m.construct(constructor, args);
    drop(count);
    push(result);
}

void Interpreter::Runner::newMethod()
{
    const Value name = peek(0);
    const Value object = peek(1);
    drop(2);
    std::size_t count = argumentCount();
    const std::span<const Value> args = popArguments(count);
    push(object);
    Value constructor;
    if (name.isUndefined() || (name.isString() && name.asString()->empty()))
        constructor = object;
    else
        constructor = m.get(object, m.toKey(name));
    const Value result = m.construct(constructor, args);
    drop(count + 1);
    push(result);
}

void Interpreter::Runner::initArray()
{
    std::size_t count = argumentCount();
    const std::span<const Value> values = popArguments(count);
    // popArguments put the first popped first: the array's first element.
    ArrayObject* array = m.newArray(std::vector<Value>(values.begin(), values.end()));
    drop(count);
    push(Value::object(array));
}

void Interpreter::Runner::initObject()
{
    std::size_t count = argumentCount();
    // Like arrays, object literals follow whatever _global.Object is now.
    const Value constructor = m.get(m.global(), m.builtins().objectName);
    Object* prototype = constructor.isObject() ? m.get(constructor.asObject(), m.names().prototype).objectOrNull() : nullptr;
    Object* object = m.newObject(prototype);
    m.define(object, m.names().constructor, constructor, PropertyFlag::DontEnum | PropertyFlag::DontDelete);
    push(Value::object(object));
    // Below the object: value, name pairs, the first pair on top. Asked
    // for more than there are, it takes all there are, an odd one too.
    const std::size_t values = stack.size() - 1 - stackBase;
    m.chargeWork(count);
    const std::size_t taken = count > values / 2 ? values : 2 * count;
    for (std::size_t i = 0; i < taken / 2; ++i) {
        const Value& value = stack[stack.size() - 2 - 2 * i];
        const Value& name = stack[stack.size() - 3 - 2 * i];
        m.set(object, m.toKey(name), value);
    }
    const Value result = stack.back();
    drop(1 + taken);
    push(result);
}

void Interpreter::Runner::enumerate(bool fromObject)
{
    Value subject = pop();
    Object* object = nullptr;
    if (fromObject) {
        object = subject.objectOrNull();
    } else {
        const Value v = ScopeChain::get(m, f, m.toKey(subject));
        object = v.objectOrNull();
    }
    push(Value::null());
    if (!object)
        return;
    if (object->kind() == ObjectKind::Clip && !(object = m.resolveClip(object)))
        return;
    // The loop takes names from the top: the first name enumerated goes
    // on last.
    std::vector<Value> keys;
    m.enumerate(object, keys);
    for (auto it = keys.rbegin(); it != keys.rend(); ++it)
        push(*it);
}

void Interpreter::Runner::defineFunction(const Instruction& in)
{
    const FunctionTemplate& code = f.program->functions[in.operand];
    Scope* scope = ScopeChain::capture(m, f);
    auto* function = m.m_heap.make<Function>(m.m_builtins.functionPrototype, f.program, &code, scope, f.pool, f.target);
    m.addPrototype(function);
    if (code.name->empty()) {
        push(Value::object(function));
        return;
    }
    push(Value::object(function));
    ScopeChain::defineLocal(m, f, code.name, Value::object(function), false);
    drop(1);
}

void Interpreter::Runner::extends()
{
    Object* super = peek(0).objectOrNull();
    Object* sub = peek(1).objectOrNull();
    if (super && sub) {
        const Value superPrototype = m.get(super, m.names().prototype);
        Object* prototype = m.newObject(superPrototype.objectOrNull());
        if (!superPrototype.isObject())
            prototype->setPrototypeValue(superPrototype);
        m.define(prototype, m.names().constructorHidden, Value::object(super), PropertyFlag::DontEnum);
        m.set(Value::object(sub), m.names().prototype, Value::object(prototype));
    }
    drop(2);
}

void Interpreter::Runner::implementsOp()
{
    Object* constructor = peek(0).objectOrNull();
    drop(1);
    std::size_t count = argumentCount();
    const std::span<const Value> list = popArguments(count);
    if (constructor) {
        std::vector<Object*> interfaces;
        for (const Value& v : list)
            if (Object* o = v.objectOrNull())
                interfaces.push_back(o);
        if (Object* prototype = m.get(constructor, m.names().prototype).objectOrNull())
            prototype->setInterfaces(std::move(interfaces));
    }
    drop(count);
}

void Interpreter::Runner::castOp()
{
    const Value object = peek(0);
    const Value constructor = peek(1);
    const bool is = object.isObject() && m.instanceOf(object, constructor);
    replace(2, is ? object : Value::null());
}

void Interpreter::Runner::instanceOf()
{
    const bool is = m.instanceOf(peek(1), peek(0));
    replace(2, Value::boolean(is));
}

void Interpreter::Runner::getProperty()
{
    const double index = m.toNumber(peek(0));
    Object* clip = m.resolveTarget(f.target, peek(1));
    Value result;
    if (clip && index >= 0 && index < kClipPropertyCount) {
        String* name = m.m_clipPropertyNames[std::size_t(index)];
        // A clip answers with its own property, past any accessor or child
        // of that name.
        ClipObject* target = m.resolveClip(clip);
        const auto property = target ? m.clipPropertyOf(name) : std::nullopt;
        result = property ? target->builtIn(m, *property) : m.get(Value::object(clip), name);
    }
    replace(2, result);
}

void Interpreter::Runner::setProperty()
{
    const double index = m.toNumber(peek(1));
    Object* clip = m.resolveTarget(f.target, peek(2));
    if (clip && index >= 0 && index < kClipPropertyCount)
        m.set(Value::object(clip), m.m_clipPropertyNames[std::size_t(index)], peek(0));
    drop(3);
}

void Interpreter::Runner::gotoFrame2(const Instruction& in)
{
    const Value frame = pop();
    const bool play = in.flags & 1;
    Object* clip = f.target;
    if (frame.isString()) {
        std::string_view text = frame.asString()->view();
        if (const auto colon = text.rfind(':'); colon != std::string_view::npos) {
            clip = m.resolvePath(f.target, text.substr(0, colon));
            text = text.substr(colon + 1);
        }
        const ClipHandle h = m.handleOf(clip);
        if (!h)
            return;
        const double n = m.toNumber(m.stringValue(std::string(text)));
        if (std::isfinite(n)) {
            if (n >= 1)
                m.m_host.gotoFrame(h, int(std::min(n, 1e7)) - 1 + int(in.operand), play);
        } else {
            m.m_host.gotoLabel(h, text, play);
        }
        return;
    }
    const ClipHandle h = m.handleOf(clip);
    if (!h)
        return;
    const double n = m.toInteger(frame);
    if (n >= 1 || in.operand)
        m.m_host.gotoFrame(h, int(std::clamp(n, 1.0, 1e7)) - 1 + int(in.operand), play);
}

bool Interpreter::Runner::frameLoaded(const Value& frame)
{
    const ClipHandle h = m.handleOf(f.target);
    if (!h)
        return true;
    int number = 0;
    if (frame.isString()) {
        const auto labelled = m.m_host.frameOfLabel(h, frame.asString()->view());
        if (!labelled) {
            const double n = m.toNumber(frame);
            number = std::isfinite(n) ? int(std::clamp(n, 0.0, 1e7)) : 0;
        } else {
            number = *labelled + 1;
        }
    } else {
        const double n = m.toInteger(frame);
        number = int(std::clamp(n, 0.0, 1e7));
    }
    // A frame past the last stands for the last, as the reference player
    // waits only for what the movie has.
    return m.m_host.framesLoaded(h) >= std::min(number, m.m_host.totalFrames(h));
}

void Interpreter::Runner::getUrl(std::string_view url, std::string_view window, std::uint8_t flags)
{
    // flags: the GetURL2 bits, plus 0x100 when it was GetURL2 at all.
    const auto startsWith = [](std::string_view text, std::string_view prefix) {
        if (text.size() < prefix.size())
            return false;
        for (std::size_t i = 0; i < prefix.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
                return false;
        return true;
    };
    const UrlMethod method = (flags & 3) == 1 ? UrlMethod::Get : (flags & 3) == 2 ? UrlMethod::Post : UrlMethod::None;
    if (startsWith(url, "fscommand:")) {
        m.m_host.fsCommand(url.substr(10), window);
        return;
    }
    const bool loadTarget = flags & 0x40;
    const bool loadVariables = flags & 0x80;
    int level = -1;
    if (startsWith(window, "_level")) {
        const std::string_view digits = window.substr(6);
        if (!digits.empty() && digits.size() < 6 && digits.find_first_not_of("0123456789") == std::string_view::npos)
            level = std::stoi(std::string(digits));
    }
    if (loadTarget || loadVariables) {
        ClipHandle target;
        if (level < 0) {
            Object* clip = m.resolvePath(f.target, window);
            target = m.handleOf(clip);
            if (!target)
                return;
        }
        if (loadVariables)
            m.m_host.loadVariables(target, level, url, method);
        else
            m.m_host.loadMovie(target, level, url, method);
        return;
    }
    if (level >= 0) {
        if (loadVariables)
            m.m_host.loadVariables(ClipHandle(), level, url, method);
        else
            m.m_host.loadMovie(ClipHandle(), level, url, method);
        return;
    }
    m.m_host.getUrl(url, window, method);
}

void Interpreter::Runner::setTarget(const Value& given)
{
    // A clip is taken by its path: the first clip of that name wins. Any
    // other object is taken by its text, which names no clip.
    Value target = given;
    if (Object* o = given.objectOrNull(); o && o->kind() == ObjectKind::Clip && m.resolveClip(o))
        target = m.stringValue(m.targetPathOf(o));
    else if (o && o->kind() != ObjectKind::Clip)
        target = Value::string(m.toString(given));
    if (target.isString() && target.asString()->empty()) {
        f.target = f.original;
        return;
    }
    Object* resolved = target.isString() ? m.resolvePath(f.original, target.asString()->view()) : m.resolveTarget(f.original, target);
    // A path names a clip; one that leads to a plain object names nothing.
    if (resolved && target.isString() && resolved->kind() != ObjectKind::Clip)
        resolved = nullptr;
    f.target = resolved ? resolved : f.original;
    if (!resolved)
        m.report("SetTarget: no clip at " + (target.isString() ? target.asString()->text() : std::string("that target")));
}

void Interpreter::Runner::tryBlock(const Instruction& in)
{
    const TryTemplate& t = f.program->tries[in.operand];
    Block block;
    block.kind = Block::Kind::Try;
    block.phase = Block::Phase::Try;
    block.start = t.tryStart;
    block.end = t.catchStart;
    block.tryIndex = in.operand;
    block.stackHeight = stack.size();
    f.blocks.push_back(block);
}

// False when there is no object to run the block with: it is skipped.
bool Interpreter::Runner::withBlock(const Instruction& in)
{
    const Value subject = pop();
    if (subject.isNullish())
        return false;
    Block block;
    block.kind = Block::Kind::With;
    block.start = in.offset;
    block.end = in.target;
    block.withObject = m.toObjectOrNull(subject);
    block.stackHeight = stack.size();
    f.blocks.push_back(block);
    return true;
}

// Execution arrived outside the innermost block: close it, and any
// others it left, running finally parts on the way.
void Interpreter::Runner::leaveBlocks(std::uint32_t& pc)
{
    while (!f.blocks.empty()) {
        Block& b = f.blocks.back();
        const std::uint32_t offset = f.program->code[pc].offset;
        if (offset >= b.start && offset < b.end)
            return;
        if (!leaveBlock(pc))
            return;
    }
}

// Returns true when the block was closed and the next one out should be
// looked at; false when execution moved into another part of this one.
bool Interpreter::Runner::leaveBlock(std::uint32_t& pc)
{
    Block& b = f.blocks.back();
    if (b.kind == Block::Kind::With) {
        f.blocks.pop_back();
        return true;
    }
    const TryTemplate& t = f.program->tries[b.tryIndex];
    const std::uint32_t offset = f.program->code[pc].offset;
    if (b.phase != Block::Phase::Finally) {
        // Falling out of the try or catch part skips what follows it and
        // runs the finally part; a jump out of them leaves the block as it
        // is, finally and all, as the reference player does.
        const bool fellOut = (b.phase == Block::Phase::Try && offset == t.catchStart) || (b.phase == Block::Phase::Catch && offset == t.finallyStart);
        if (!fellOut && !f.returning) {
            f.blocks.pop_back();
            return true;
        }
        std::uint32_t resume = pc;
        if (!f.returning)
            resume = t.endIndex;
        if (t.hasFinally && t.finallyStart < t.end) {
            b.phase = Block::Phase::Finally;
            b.start = t.finallyStart;
            b.end = t.end;
            b.pending = f.returning ? Block::Pending::Return : Block::Pending::Continue;
            b.resumeAt = resume;
            pc = t.finallyIndex;
            return false;
        }
        f.blocks.pop_back();
        pc = resume;
        return true;
    }
    // The finally part is done: go on as it was entered.
    const Block done = b;
    f.blocks.pop_back();
    switch (done.pending) {
    case Block::Pending::Throw:
        m.m_thrown = done.pendingValue;
        throw ScriptThrow {};
    case Block::Pending::Return:
        pc = std::uint32_t(f.program->code.size() - 1);
        return true;
    case Block::Pending::Continue:
        if (offset == t.end)
            pc = done.resumeAt;
        return true;
    case Block::Pending::None: return true;
    }
    return true;
}

bool Interpreter::Runner::handleThrow()
{
    while (!f.blocks.empty()) {
        Block& b = f.blocks.back();
        if (b.kind == Block::Kind::With) {
            f.blocks.pop_back();
            continue;
        }
        const TryTemplate& t = f.program->tries[b.tryIndex];
        stack.shrink(std::max(b.stackHeight, stackBase));
        if (b.phase == Block::Phase::Try && t.hasCatch) {
            b.phase = Block::Phase::Catch;
            b.start = t.catchStart;
            b.end = t.finallyStart;
            const Value thrown = m.m_thrown;
            m.m_thrown = Value();
            if (t.catchInRegister) {
                registerAt(t.catchRegister) = thrown;
            } else {
                push(thrown);
                if (f.callee)
                    ScopeChain::defineLocal(m, f, t.catchName, thrown, false);
                else
                    ScopeChain::set(m, f, t.catchName, thrown);
                drop(1);
            }
            f.returning = false;
            f.pc = t.catchIndex;
            return true;
        }
        if (b.phase != Block::Phase::Finally && t.hasFinally && t.finallyStart < t.end) {
            b.phase = Block::Phase::Finally;
            b.start = t.finallyStart;
            b.end = t.end;
            b.pending = Block::Pending::Throw;
            b.pendingValue = m.m_thrown;
            f.returning = false;
            f.pc = t.finallyIndex;
            return true;
        }
        f.blocks.pop_back();
    }
    return false;
}

Value Interpreter::run(Machine& machine, Frame& frame)
{
    Runner runner(machine, frame);
    for (;;) {
        try {
            return runner.run();
        } catch (const ScriptThrow&) {
            if (!runner.handleThrow())
                throw;
        }
    }
}

} // namespace swf::script
