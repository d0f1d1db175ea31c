// Calling functions: natives and script functions, the frames script
// functions run in, DefineFunction2's register preloading, `arguments`,
// `super`, and constructing objects with `new`.

#include <algorithm>

#include "swf/script/ArrayObject.h"
#include "swf/script/ClipObject.h"
#include "swf/script/Function.h"
#include "swf/script/Machine.h"
#include "swf/script/Program.h"
#include "swf/script/Scope.h"
#include "swf/script/ScopeChain.h"
#include "swf/script/SuperObject.h"

namespace swf::script {

// Native code is about to let script run while it may hold cells in C++
// locals: the collector waits until it is done.
class Machine::UnsafeRegion {
public:
    explicit UnsafeRegion(Machine& machine)
        : m_machine(machine)
    {
        ++m_machine.m_unsafeDepth;
    }
    ~UnsafeRegion() { --m_machine.m_unsafeDepth; }
    UnsafeRegion(const UnsafeRegion&) = delete;
    UnsafeRegion& operator=(const UnsafeRegion&) = delete;

private:
    Machine& m_machine;
};

Value Machine::call(const Value& function, const Value& thisValue, std::span<const Value> args)
{
    Object* fn = function.objectOrNull();
    if (!fn || !fn->isFunction())
        return Value();
    UnsafeRegion unsafe(*this);
    return callFunction(static_cast<Function*>(fn), thisValue, args, false, nullptr);
}

Value Machine::callMethod(const Value& object, String* name, std::span<const Value> args)
{
    const Value method = get(object, name);
    return call(method, object, args);
}

Value Machine::callFunction(Function* function, const Value& thisValue, std::span<const Value> args, bool constructing, Object* superHolder)
{
    // The block a call starts from counts as one of the levels.
    if (m_depth + 1 >= m_limits.maxCallDepth)
        abort("functions called each other more than " + std::to_string(m_limits.maxCallDepth) + " deep; the script was stopped", true);
    ++m_depth;
    struct Depth {
        int& depth;
        ~Depth() { --depth; }
    } depthGuard {m_depth};
    if (function->isNative()) {
        NativeCall call {*this, thisValue, args, function, constructing};
        if (function->isTransparent())
            return function->native()(call);
        UnsafeRegion unsafe(*this);
        return function->native()(call);
    }
    return callScript(function, thisValue, args, constructing, superHolder);
}

Value Machine::callScript(Function* function, const Value& thisValue, std::span<const Value> args, bool constructing, Object* superHolder)
{
    const FunctionTemplate& code = function->code();
    const std::size_t stackBefore = m_stack.size();
    const std::size_t registersBefore = m_registers.size();
    // A DefineFunction2 that asks for no registers gets the four older
    // functions have.
    const std::uint32_t registerCount = code.isFunction2 && code.registerCount > 0 ? code.registerCount : 4;
    if (m_stack.capacity() - m_stack.size() < args.size() + 64 || m_registers.capacity() - m_registers.size() < registerCount)
        abort("the script's stack is full");

    // The arguments live on the operand stack for the whole call, so the
    // frame can read them and the collector sees them.
    const std::size_t argsAt = m_stack.size();
    for (const Value& v : args)
        m_stack.push_back(v);
    m_registers.resize(m_registers.size() + registerCount);

    Frame frame;
    frame.caller = m_frame;
    frame.program = code.body;
    frame.callee = function;
    frame.thisValue = thisValue;
    frame.target = function->definingTarget();
    if (frame.target && frame.target->kind() == ObjectKind::Clip) {
        if (ClipObject* clip = resolveClip(frame.target))
            frame.target = clip;
    }
    frame.original = frame.target;
    frame.captured = function->scope();
    frame.pool = function->pool();
    frame.args = m_stack.data() + argsAt;
    frame.argCount = args.size();
    frame.stackBase = m_stack.size();
    frame.registerBase = registersBefore;
    frame.registerCount = registerCount;
    frame.version = function->version();
    frame.caseSensitive = frame.version >= 7;
    frame.superHolder = superHolder;
    frame.hasSuper = true;
    frame.constructing = constructing;

    struct Cleanup {
        Machine& m;
        std::size_t stack;
        std::size_t registers;
        ~Cleanup()
        {
            m.m_stack.shrink(stack);
            m.m_registers.shrink(registers);
        }
    } cleanup {*this, stackBefore, registersBefore};

    // The frame is visible to the collector from here on.
    Frame* const caller = m_frame;
    m_frame = &frame;
    struct Restore {
        Machine& m;
        Frame* caller;
        ~Restore() { m.m_frame = caller; }
    } restore {*this, caller};

    if (code.isFunction2) {
        using namespace Function2Flag;
        std::uint32_t next = 1;
        Value* regs = m_registers.data() + frame.registerBase;
        // A value both preloaded and suppressed keeps its register, empty.
        const auto preload = [&](std::uint16_t flag, const Value& v) {
            if ((code.flags & flag) && next < registerCount)
                regs[next++] = code.flags & (flag << 1) ? Value() : v;
        };
        if (code.flags & PreloadThis)
            preload(PreloadThis, thisValue);
        if (code.flags & PreloadArguments)
            preload(PreloadArguments, Value::object(argumentsOf(frame)));
        if (code.flags & PreloadSuper)
            preload(PreloadSuper, superOf(frame));
        if (code.flags & PreloadRoot) {
            const ClipHandle h = handleOf(frame.target);
            preload(PreloadRoot, clipValue(m_host.rootOf(h)));
        }
        if (code.flags & PreloadParent) {
            const ClipHandle h = handleOf(frame.target);
            preload(PreloadParent, h ? clipValue(m_host.parent(h)) : Value());
        }
        if (code.flags & PreloadGlobal)
            preload(PreloadGlobal, Value::object(m_global));
        for (std::size_t i = 0; i < code.parameters.size(); ++i) {
            const auto& p = code.parameters[i];
            const Value v = i < args.size() ? frame.args[i] : Value();
            if (p.reg != 0) {
                if (p.reg < registerCount)
                    regs[p.reg] = v;
            } else {
                define(ScopeChain::activation(*this, frame), p.name, v);
            }
        }
    } else {
        Object* locals = ScopeChain::activation(*this, frame);
        for (std::size_t i = 0; i < code.parameters.size(); ++i)
            define(locals, code.parameters[i].name, i < args.size() ? frame.args[i] : Value());
    }
    if (m_unsafeDepth == 0)
        collectIfDue();
    return execute(frame);
}

Object* Machine::argumentsOf(Frame& frame)
{
    if (!frame.arguments) {
        ArrayObject* arguments = newArray(std::vector<Value>(frame.args, frame.args + frame.argCount));
        define(arguments, m_names.callee, Value::objectOrNull(frame.callee), PropertyFlag::DontEnum);
        Value caller;
        if (frame.caller && frame.caller->callee)
            caller = Value::object(frame.caller->callee);
        else
            caller = Value::null();
        define(arguments, m_names.caller, caller, PropertyFlag::DontEnum);
        frame.arguments = arguments;
    }
    return frame.arguments;
}

Value Machine::superOf(Frame& frame)
{
    if (frame.superValue.isUndefined() && frame.hasSuper) {
        // A function called other than as a method has no super.
        if (!frame.superHolder)
            return Value();
        frame.superValue = Value::object(m_heap.make<SuperObject>(frame.thisValue, frame.superHolder));
    }
    return frame.superValue;
}

Value Machine::callSuperConstructor(SuperObject* super, std::span<const Value> args)
{
    Object* holder = super->holder();
    if (!holder)
        return Value();
    Value constructor = get(holder, m_names.constructorHidden);
    if (!constructor.isObject() && holder->prototype())
        constructor = get(holder->prototype(), m_names.constructor);
    Object* fn = constructor.objectOrNull();
    if (!fn || !fn->isFunction())
        return Value();
    return callFunction(static_cast<Function*>(fn), super->thisValue(), args, false, super->start());
}

Value Machine::construct(const Value& constructor, std::span<const Value> args)
{
    Object* ctor = constructor.objectOrNull();
    if (!ctor || !ctor->isFunction())
        return Value();
    auto* function = static_cast<Function*>(ctor);
    const Value prototypeValue = get(ctor, m_names.prototype);
    Object* prototype = prototypeValue.objectOrNull();
    Object* object = function->isNative() && function->constructsArrays() ? newBareArray(prototype) : newObject(prototype);
    if (!prototype)
        object->setPrototypeValue(prototypeValue);
    // __constructor__ is what super() calls; older movies also get a
    // `constructor` of their own.
    define(object, m_names.constructorHidden, constructor, PropertyFlag::DontEnum | PropertyFlag::OnlySwf6Up);
    if (version() < 7)
        define(object, m_names.constructor, constructor, PropertyFlag::DontEnum);
    // The new object is `this` of the constructor's frame, which keeps it
    // alive while the constructor runs.
    const Value result = callFunction(function, Value::object(object), args, true, prototype);
    if (function->isNative() && result.isObject())
        return result;
    return Value::object(object);
}

} // namespace swf::script
