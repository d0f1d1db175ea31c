#include "swf/script/Machine.h"

#include <new>
#include <stdexcept>

#include "swf/script/ActionDecoder.h"
#include "swf/script/ArrayObject.h"
#include "swf/script/ClipObject.h"
#include "swf/script/Function.h"
#include "swf/script/Interpreter.h"
#include "swf/script/Program.h"
#include "swf/script/Scope.h"
#include "swf/script/Timers.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

namespace {

// Room for deep recursion with wide frames; touched only as it is used.
constexpr std::size_t kStackCapacity = 1 << 20;
constexpr std::size_t kRegisterCapacity = 1 << 18;

constexpr const char* kClipPropertyTexts[kClipPropertyCount] = {
    "_x", "_y", "_xscale", "_yscale", "_currentframe", "_totalframes", "_alpha", "_visible", "_width", "_height", "_rotation",
    "_target", "_framesloaded", "_name", "_droptarget", "_url", "_highquality", "_focusrect", "_soundbuftime", "_quality",
    "_xmouse", "_ymouse",
};

} // namespace

void Builtins::trace(Tracer& tracer) const
{
    for (Object* o : {objectPrototype, functionPrototype, arrayPrototype, stringPrototype, numberPrototype, booleanPrototype,
                      datePrototype, errorPrototype, movieClipPrototype, asBroadcaster, textFieldPrototype,
                      buttonPrototype, videoPrototype, bitmapDataPrototype})
        tracer.mark(o);
    for (Function* f : {objectConstructor, functionConstructor, arrayConstructor, stringConstructor, numberConstructor,
                        booleanConstructor, movieClipConstructor})
        tracer.mark(f);
    tracer.mark(arrayName);
    tracer.mark(objectName);
}

Machine::Machine(Host& host, int swfVersion)
    : m_host(host)
    , m_vmVersion(swfVersion)
    , m_stack(kStackCapacity)
    , m_registers(kRegisterCapacity)
    , m_timers(std::make_unique<Timers>(*this))
{
    m_names.intern(m_heap);
    for (int i = 0; i < kClipPropertyCount; ++i)
        m_clipPropertyNames[i] = m_heap.intern(kClipPropertyTexts[i]);
    m_heap.addRootSet(this);
    m_builtins.arrayName = m_heap.intern("Array");
    m_builtins.objectName = m_heap.intern("Object");
    installBuiltins();
}

Machine::~Machine()
{
    m_heap.removeRootSet(this);
}

void Machine::installBuiltins()
{
    installAllClasses(*this);
}

void Machine::traceRoots(Tracer& tracer)
{
    m_names.trace(tracer);
    m_builtins.trace(tracer);
    tracer.mark(m_global);
    tracer.mark(m_thrown);
    for (String* s : m_clipPropertyNames)
        tracer.mark(s);
    for (String* s : m_smallNumbers)
        tracer.mark(s);
    for (const Value& v : m_stack)
        tracer.mark(v);
    for (const Value& v : m_registers)
        tracer.mark(v);
    for (Frame* f = m_frame; f; f = f->caller) {
        tracer.mark(f->program);
        tracer.mark(f->callee);
        tracer.mark(f->thisValue);
        tracer.mark(f->target);
        tracer.mark(f->original);
        tracer.mark(f->activation);
        tracer.mark(f->captured);
        tracer.mark(f->pool);
        tracer.mark(f->arguments);
        tracer.mark(f->superValue);
        tracer.mark(f->superHolder);
        tracer.mark(f->returnValue);
        for (const Block& b : f->blocks) {
            tracer.mark(b.withObject);
            tracer.mark(b.pendingValue);
        }
    }
    for (const auto& [key, program] : m_programs)
        tracer.mark(program);
    for (const auto& [id, clip] : m_clips)
        tracer.mark(clip);
    for (const auto& [id, value] : m_hostRoots)
        tracer.mark(value);
    for (const auto& [name, value] : m_registeredClasses)
        tracer.mark(value);
    m_timers->trace(tracer);
}

Program* Machine::compile(std::span<const std::uint8_t> actions, int swfVersion)
{
    const auto key = std::make_pair(actions.data(), actions.size());
    if (auto found = m_programs.find(key); found != m_programs.end() && found->second->version == swfVersion)
        return found->second;
    Program* program = ActionDecoder(m_heap, swfVersion).decode(actions);
    m_programs[key] = program;
    for (const std::string& problem : program->problems)
        report(problem);
    return program;
}

void Machine::forgetCompiled()
{
    m_programs.clear();
}

bool Machine::runActions(std::span<const std::uint8_t> actions, ClipHandle clip, int swfVersion)
{
    return run(compile(actions, swfVersion), clip);
}

bool Machine::run(Program* program, ClipHandle clip)
{
    Object* target = clip ? clipObject(clip) : nullptr;
    return runEntry(program, target, nullptr, Value::objectOrNull(target), {}, nullptr);
}

bool Machine::callClipMethod(ClipHandle clip, std::string_view name)
{
    ClipObject* object = clipObject(clip);
    if (!object)
        return false;
    const Value method = get(Value::object(object), intern(name));
    if (!method.isObject() || !method.asObject()->isFunction())
        return false;
    return runEntry(nullptr, object, &method, Value::object(object), {}, nullptr);
}

bool Machine::callFromHost(const Value& function, const Value& thisValue, std::span<const Value> args, Value* result)
{
    if (!function.isObject() || !function.asObject()->isFunction())
        return false;
    return runEntry(nullptr, nullptr, &function, thisValue, args, result);
}

// One way in for the host: a block or a call, with everything a script
// can do wrong stopped here.
bool Machine::runEntry(Program* program, Object* target, const Value* function, const Value& thisValue, std::span<const Value> args,
                       Value* result)
{
    if (m_halted)
        return false;
    Frame* const savedFrame = m_frame;
    const int savedDepth = m_depth;
    const int savedUnsafe = m_unsafeDepth;
    const std::size_t savedStack = m_stack.size();
    const std::size_t savedRegisters = m_registers.size();
    if (m_entryDepth == 0) {
        m_instructions = 0;
        m_nextTimeCheck = 1u << 16;
    }
    ++m_entryDepth;
    const auto restore = [&] {
        m_frame = savedFrame;
        m_depth = savedDepth;
        m_unsafeDepth = savedUnsafe;
        m_stack.shrink(savedStack);
        m_registers.shrink(savedRegisters);
        --m_entryDepth;
    };
    bool ok = true;
    try {
        if (function) {
            // The function and its arguments stay on the stack while it runs.
            if (m_stack.capacity() - m_stack.size() < args.size() + 2 || m_registers.capacity() - m_registers.size() < 4)
                abort("the script's stack is full");
            m_stack.push_back(*function);
            m_stack.push_back(thisValue);
            const std::size_t at = m_stack.size();
            for (const Value& v : args)
                m_stack.push_back(v);
            const Value r = callFunction(static_cast<Function*>(function->asObject()), thisValue,
                                         std::span<const Value>(m_stack.data() + at, args.size()), false, nullptr);
            if (result)
                *result = r;
        } else {
            Frame frame;
            frame.caller = m_frame;
            frame.program = program;
            frame.thisValue = thisValue;
            frame.target = target;
            frame.original = target;
            frame.version = program->version;
            frame.caseSensitive = program->version >= 7;
            frame.stackBase = m_stack.size();
            frame.registerBase = m_registers.size();
            frame.registerCount = 4;
            if (m_registers.capacity() - m_registers.size() < 4)
                abort("the script's stack is full");
            m_registers.resize(m_registers.size() + 4);
            execute(frame);
        }
    } catch (const ScriptThrow&) {
        report("an exception was thrown and not caught: " + toStdStringSafely(m_thrown));
        m_thrown = Value();
    } catch (const ScriptAbort& abort) {
        if (abort.endsAllScript && !m_halted) {
            report(abort.reason + "; no more of the movie's script runs");
            m_halted = true;
        } else if (!abort.endsAllScript) {
            report(abort.reason);
        }
        ok = false;
        if (m_entryDepth > 1) {
            // A runaway script stops everything that led to it, not just the
            // innermost block.
            restore();
            throw;
        }
    } catch (const std::bad_alloc&) {
        report("a script ran out of memory and was stopped");
        ok = false;
    } catch (const std::length_error&) {
        report("a script asked for more memory than it may have and was stopped");
        ok = false;
    }
    restore();
    if (m_entryDepth == 0)
        collectIfDue();
    return ok;
}

std::string Machine::toStdStringSafely(const Value& value)
{
    // Converting may run script; a thrown value is shown by its kind when
    // it is an object, so reporting cannot run anything.
    switch (value.type()) {
    case Type::Object: return "an object";
    case Type::String: return value.asString()->text();
    default: return toStdString(value);
    }
}

Value Machine::execute(Frame& frame)
{
    m_frame = &frame;
    struct Restore {
        Machine& m;
        Frame* caller;
        ~Restore() { m.m_frame = caller; }
    } restore {*this, frame.caller};
    return Interpreter::run(*this, frame);
}

void Machine::report(const std::string& message)
{
    m_host.diagnostic(message);
}

void Machine::abort(std::string reason, bool endsAllScript)
{
    throw ScriptAbort {std::move(reason), endsAllScript};
}

void Machine::throwValue(const Value& value)
{
    m_thrown = value;
    throw ScriptThrow {};
}

void Machine::chargeWork(std::uint64_t units)
{
    m_instructions += units;
    if (m_limits.instructionBudget && m_instructions > m_limits.instructionBudget)
        abort("the script ran for too long and was stopped");
    if (m_instructions >= m_nextTimeCheck) {
        m_nextTimeCheck = m_instructions + (1u << 16);
        if (m_host.scriptTimeExceeded())
            abort("the script ran for too long and was stopped");
    }
}

void Machine::collectIfDue()
{
    if (m_unsafeDepth == 0 && m_heap.wantsCollection())
        collectGarbage();
}

void Machine::collectGarbage()
{
    if (m_unsafeDepth != 0)
        return;
    m_heap.collect();
    if (m_heap.overLimit())
        abort("the movie's scripts hold more memory than they may and were stopped");
}

std::size_t Machine::addHostRoot(const Value& value)
{
    const std::size_t id = m_nextHostRoot++;
    m_hostRoots.emplace(id, value);
    return id;
}

void Machine::removeHostRoot(std::size_t id)
{
    m_hostRoots.erase(id);
}

void Machine::runTimers()
{
    if (!m_halted)
        m_timers->run();
}

void Machine::registerClass(const std::string& exportName, const Value& constructor)
{
    if (constructor.isObject())
        m_registeredClasses[exportName] = constructor;
    else
        m_registeredClasses.erase(exportName);
}

Value Machine::registeredClass(const std::string& exportName) const
{
    const auto it = m_registeredClasses.find(exportName);
    return it == m_registeredClasses.end() ? Value() : it->second;
}

void Machine::initializeClip(ClipHandle clip, std::string_view exportName)
{
    ClipObject* object = clipObject(clip);
    const Value constructor = registeredClass(std::string(exportName));
    if (!object || !constructor.isObject())
        return;
    const Value prototype = get(constructor.asObject(), m_names.prototype);
    object->setPrototypeValue(prototype);
    define(object, m_names.constructorHidden, constructor, PropertyFlag::DontEnum);
    callFromHost(constructor, Value::object(object), {});
}

ClipObject* Machine::clipObject(ClipHandle clip)
{
    if (!clip)
        return nullptr;
    if (auto found = m_clips.find(clip.id); found != m_clips.end())
        return found->second;
    if (!m_host.alive(clip))
        return nullptr;
    if (m_host.isButton(clip))
        return makeButtonObject(clip);
    const bool textField = m_host.textField(clip) != nullptr;
    const bool video = !textField && m_host.video(clip) != nullptr;
    Object* prototype = textField ? m_builtins.textFieldPrototype : video ? m_builtins.videoPrototype : m_builtins.movieClipPrototype;
    auto* object = m_heap.make<ClipObject>(prototype, clip,
                                           textField ? ClipObject::Face::TextField : video ? ClipObject::Face::Video : ClipObject::Face::Clip);
    m_clips.emplace(clip.id, object);
    return object;
}

ClipObject* Machine::makeButtonObject(ClipHandle clip)
{
    auto* object = m_heap.make<ClipObject>(m_builtins.buttonPrototype, clip, ClipObject::Face::Button);
    m_clips.emplace(clip.id, object);
    // A button is made as `new Button` would make it.
    const Value constructor = m_builtins.buttonPrototype ? get(m_builtins.buttonPrototype, m_names.constructor) : Value();
    if (constructor.isObject()) {
        define(object, m_names.constructorHidden, constructor, PropertyFlag::DontEnum | PropertyFlag::OnlySwf6Up);
        if (version() < 7)
            define(object, m_names.constructor, constructor, PropertyFlag::DontEnum);
    }
    return object;
}

void Machine::clipRemoved(ClipHandle clip)
{
    auto found = m_clips.find(clip.id);
    if (found == m_clips.end())
        return;
    found->second->markRemoved(m_host.targetPath(clip));
    m_clips.erase(found);
}

Value Machine::clipValue(ClipHandle handle)
{
    return Value::objectOrNull(clipObject(handle)).isNull() ? Value() : Value::object(clipObject(handle));
}

ClipObject* Machine::resolveClip(Object* object)
{
    if (!object || object->kind() != ObjectKind::Clip)
        return nullptr;
    auto* clip = static_cast<ClipObject*>(object);
    if (!clip->removed())
        return clip;
    // Removed: whatever lives at its path now stands in for it.
    const ClipHandle now = m_host.findClip(clip->removedPath());
    return now ? clipObject(now) : nullptr;
}

ClipHandle Machine::handleOf(Object* object)
{
    ClipObject* clip = resolveClip(object);
    return clip ? clip->handle() : ClipHandle();
}

ClipHandle Machine::targetHandle()
{
    return m_frame ? handleOf(m_frame->target) : ClipHandle();
}

std::string Machine::targetPathOf(Object* clip)
{
    const ClipHandle handle = handleOf(clip);
    return handle ? m_host.targetPath(handle) : std::string();
}

Value Machine::fromHost(const HostValue& value)
{
    if (const bool* b = std::get_if<bool>(&value))
        return Value::boolean(*b);
    if (const double* d = std::get_if<double>(&value))
        return Value::number(*d);
    if (const std::string* s = std::get_if<std::string>(&value))
        return stringValue(*s);
    return Value();
}

std::optional<ClipProperty> Machine::clipPropertyOf(String* key) const
{
    const std::string_view text = key->view();
    if (text.size() < 2 || text[0] != '_')
        return std::nullopt;
    String* folded = key->isInterned() ? key->folded() : nullptr;
    for (int i = 0; i < kClipPropertyCount; ++i) {
        if (folded ? folded == m_clipPropertyNames[i] : text == m_clipPropertyNames[i]->view())
            return ClipProperty(i);
    }
    return std::nullopt;
}

} // namespace swf::script
