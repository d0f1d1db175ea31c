#pragma once

// The ActionScript 1 and 2 machine of one movie: its heap, its global
// object and classes, the interpreter, and the entry points the host calls
// to run actions on clips. Everything it needs from outside goes through
// Host; a script error or a runaway script stops that script with a
// diagnostic and never reaches the caller as an exception.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "swf/script/Frame.h"
#include "swf/script/Heap.h"
#include "swf/script/Host.h"
#include "swf/script/Names.h"
#include "swf/script/Object.h"
#include "swf/script/Value.h"
#include "swf/script/ValueStack.h"

namespace swf::script {

class ArrayObject;
class ClipObject;
class Function;
class Program;
class Scope;
class SuperObject;
class Timers;
struct FunctionTemplate;
struct NativeCall;
using NativeFunction = Value (*)(NativeCall&);

struct ScriptLimits {
    // Nested calls, script functions and natives alike.
    int maxCallDepth = 256;
    // Instructions one run may execute, 0 for no limit. Headless runs set
    // one so that a runaway script stops at the same place every time.
    std::uint64_t instructionBudget = 0;
};

// Unwinds C++ frames while script throws; the value is Machine::thrown().
struct ScriptThrow { };
// Unwinds everything up to the host's entry point: a limit was hit.
struct ScriptAbort {
    std::string reason;
    // The reference player runs no more of the movie's script after this.
    bool endsAllScript = false;
};

// The prototypes and constructors natives reach directly.
struct Builtins {
    Object* objectPrototype = nullptr;
    Object* functionPrototype = nullptr;
    Object* arrayPrototype = nullptr;
    Object* stringPrototype = nullptr;
    Object* numberPrototype = nullptr;
    Object* booleanPrototype = nullptr;
    Object* datePrototype = nullptr;
    Object* errorPrototype = nullptr;
    Object* movieClipPrototype = nullptr;
    Object* asBroadcaster = nullptr;
    Object* textFieldPrototype = nullptr;
    Object* buttonPrototype = nullptr;
    Object* videoPrototype = nullptr;
    Object* bitmapDataPrototype = nullptr;
    Function* objectConstructor = nullptr;
    Function* functionConstructor = nullptr;
    Function* arrayConstructor = nullptr;
    Function* stringConstructor = nullptr;
    Function* numberConstructor = nullptr;
    Function* booleanConstructor = nullptr;
    Function* movieClipConstructor = nullptr;
    String* arrayName = nullptr;
    String* objectName = nullptr;
    // Movies MovieClipLoader loaded this frame: the host root of each
    // waiting loader, told onLoadInit once the frame's code has run.
    std::vector<std::size_t> clipInitsDue;

    void trace(Tracer& tracer) const;
};

enum class PrimitiveHint : std::uint8_t { None, Number, String };

class Machine final : private Heap::RootSet {
public:
    Machine(Host& host, int swfVersion);
    ~Machine();
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    // -- For the host --------------------------------------------------------
    void setLimits(const ScriptLimits& limits) { m_limits = limits; }
    const ScriptLimits& limits() const { return m_limits; }

    // Decodes a block of actions once: the same bytes at the same address
    // give the same program until forgetCompiled(), which the host calls
    // before it lets go of the bytes of a movie.
    Program* compile(std::span<const std::uint8_t> actions, int swfVersion);
    void forgetCompiled();
    // Runs a DoAction, DoInitAction or clip event block with the clip as
    // `this` and target. False when the block was stopped (a limit, a
    // malformed stream); the reason went to Host::diagnostic.
    bool runActions(std::span<const std::uint8_t> actions, ClipHandle clip, int swfVersion);
    bool run(Program* program, ClipHandle clip);
    // Calls the clip's method by name (onEnterFrame, onLoad ...), if it
    // has one. False when it has none or the call was stopped.
    bool callClipMethod(ClipHandle clip, std::string_view name);
    // Whether the clip or its prototypes hold `name` at all, read without
    // running any getter (the frame loop asks in the middle of a move).
    bool clipHasMember(ClipHandle clip, std::string_view name);
    // Calls any function value from outside, as an entry point.
    bool callFromHost(const Value& function, const Value& thisValue, std::span<const Value> args, Value* result = nullptr);

    // The script object of a clip, made on first use.
    ClipObject* clipObject(ClipHandle clip);
    // The host is about to remove the clip (see Host.h).
    void clipRemoved(ClipHandle clip);
    // A clip was made by attachMovie or placed from a library symbol with
    // a class registered for its export name: give it that prototype and
    // run the class's constructor.
    void initializeClip(ClipHandle clip, std::string_view exportName);

    // setInterval and setTimeout callbacks due by Host::timer().
    void runTimers();
    // A safe point: collects when enough has been allocated.
    void collectIfDue();
    void collectGarbage();

    // Values the host keeps across calls are rooted here.
    std::size_t addHostRoot(const Value& value);
    void removeHostRoot(std::size_t id);
    Value hostRoot(std::size_t id) const
    {
        const auto it = m_hostRoots.find(id);
        return it == m_hostRoots.end() ? Value() : it->second;
    }

    // -- The machine's state ---------------------------------------------------
    Host& host() { return m_host; }
    Heap& heap() { return m_heap; }
    const Names& names() const { return m_names; }
    const Builtins& builtins() const { return m_builtins; }
    Builtins& builtins() { return m_builtins; }
    Object* global() const { return m_global; }
    void setGlobal(Object* global) { m_global = global; }
    int vmVersion() const { return m_vmVersion; }
    // The version of the code running now: behaviour that differs between
    // versions follows the code, not the movie that loaded it.
    int version() const { return m_frame ? m_frame->version : m_vmVersion; }
    bool caseSensitive() const { return version() >= 7; }
    Frame* currentFrame() const { return m_frame; }
    const Value& thrown() const { return m_thrown; }
    Timers& timers() { return *m_timers; }

    // -- Making values ---------------------------------------------------------
    String* string(std::string text) { return m_heap.string(std::move(text)); }
    String* intern(std::string_view text) { return m_heap.intern(text); }
    // Counts the bytes it copies as work.
    String* join(String* a, String* b)
    {
        std::size_t copied = 0;
        String* joined = m_heap.join(a, b, &copied);
        chargeWork(copied / kBytesPerWorkUnit);
        return joined;
    }
    Value stringValue(std::string text) { return Value::string(string(std::move(text))); }
    Object* newObject();
    Object* newObject(Object* prototype);
    ArrayObject* newArray();
    // An Array with no `constructor` of its own, as `new` starts it.
    ArrayObject* newBareArray(Object* prototype);
    ArrayObject* newArray(std::vector<Value> values);
    Function* newNative(NativeFunction native, int tag = 0);
    // A function's `prototype` object, with its `constructor` link.
    Object* addPrototype(Function* function);
    // Defines a property without setters or watchers firing.
    void define(Object* object, String* key, const Value& value, std::uint32_t flags = 0);
    void define(Object* object, std::string_view key, const Value& value, std::uint32_t flags = 0);
    Object* toObjectOrNull(const Value& value);

    // ASnative's table: natives reachable by (table, index).
    void registerNative(int table, int index, NativeFunction native, int tag) { m_natives[{table, index}] = {native, tag}; }
    std::optional<std::pair<NativeFunction, int>> nativeAt(int table, int index) const
    {
        const auto it = m_natives.find({table, index});
        return it == m_natives.end() ? std::nullopt : std::optional(it->second);
    }

    // Object.registerClass: the constructor clips attached by this export
    // name get (null or undefined forgets it).
    void registerClass(const std::string& exportName, const Value& constructor);
    Value registeredClass(const std::string& exportName) const;

    // -- Conversions (they may run script: valueOf, toString) -----------------
    // `found`, when given, is cleared if the object had no primitive value
    // to give and the result only stands in for one.
    Value toPrimitive(const Value& value, PrimitiveHint hint, bool* found = nullptr);
    // What Add2 and Equals2 ask of an object: its valueOf, which may be
    // an object still; undefined for an object without one.
    Value valueOfStep(const Value& value);
    // a < b as Less2 compares: true, false, or undefined where the two do
    // not compare. `a` converts first.
    Value lessThan(Value a, Value b);
    double toNumber(const Value& value);
    String* toString(const Value& value);
    std::string toStdString(const Value& value) { return toString(value)->text(); }
    bool toBoolean(const Value& value);
    double toInteger(const Value& value);
    std::int32_t toInt32(const Value& value);
    std::uint32_t toUInt32(const Value& value);
    String* typeOf(const Value& value);
    // The property key a value names: its string, interned.
    String* toKey(const Value& value)
    {
        if (value.isString() && value.asString()->isInterned())
            return value.asString();
        return toKeySlow(value);
    }
    String* numberToString(double number);
    String* toKeySlow(const Value& value);

    // -- Properties ------------------------------------------------------------
    Value get(const Value& object, String* key);
    Value getMember(const Value& object, const Value& key);
    Value get(Object* object, String* key);
    // The property's value if the object or its prototypes have it
    // (getters run, __resolve does not).
    bool getIfPresent(Object* object, String* key, Value& out);
    // What __resolve makes of a name the object does not have.
    Value resolveMissing(Object* object, String* key);
    Value get(Object* object, std::string_view key) { return get(object, intern(key)); }
    void set(const Value& object, String* key, const Value& value);
    void setMember(const Value& object, const Value& key, const Value& value);
    void set(Object* object, String* key, const Value& value);
    void set(Object* object, std::string_view key, const Value& value) { set(object, intern(key), value); }
    bool remove(Object* object, String* key);
    // The property as found along the prototype chain, with its holder.
    Property* find(Object* object, String* key, Object** holder = nullptr);
    Property* findOwn(Object* object, String* key);
    bool hasOwn(Object* object, String* key);
    // for..in: the names an object enumerates, own first, then inherited.
    void enumerate(Object* object, std::vector<Value>& keys);
    bool followsPrototypeLink(Object* object) const;
    // A clip reference resolved to its living clip, null when gone.
    ClipObject* resolveClip(Object* object);
    bool instanceOf(const Value& value, const Value& constructor);

    // -- Calls -----------------------------------------------------------------
    Value call(const Value& function, const Value& thisValue, std::span<const Value> args);
    Value callMethod(const Value& object, String* name, std::span<const Value> args);
    Value construct(const Value& constructor, std::span<const Value> args);
    // Runs a function body as a constructor on an existing object (super).
    [[noreturn]] void throwValue(const Value& value);
    [[noreturn]] void abort(std::string reason, bool endsAllScript = false);
    // A limit that ends all script stopped the movie's script for good.
    bool halted() const { return m_halted; }
    // Counts work a native does in a loop against the instruction budget.
    void chargeWork(std::uint64_t units);
    // Bytes of text an operation goes over for one unit of work.
    static constexpr std::size_t kBytesPerWorkUnit = 256;

    // -- Timeline helpers natives and the interpreter share ----------------------
    // Resolves a target path ("/a/b", "_root.a", "../b", a clip value)
    // relative to `base`; null when nothing is there.
    Object* resolveTarget(Object* base, const Value& target);
    Object* resolvePath(Object* base, std::string_view path);
    ClipHandle handleOf(Object* object);
    ClipHandle targetHandle();
    std::string targetPathOf(Object* clip);
    Value clipValue(ClipHandle handle);

    // The `arguments` and `super` of a running function, made on first use.
    Object* argumentsOf(Frame& frame);
    Value superOf(Frame& frame);
    // super(...): the constructor of the class the running one extends.
    Value callSuperConstructor(SuperObject* super, std::span<const Value> args);
    // For messages: a value as text without running any script.
    std::string toStdStringSafely(const Value& value);
    // Reads along the prototype chain with getters run on `receiver`.
    Value getFromChain(Object* object, const Value& receiver, String* key, bool& found);
    // Calls where the interpreter keeps every value on its stack: the
    // collector may run inside. Natives that hold nothing call through
    // here too (Function.call, apply).
    Value callFunction(Function* function, const Value& thisValue, std::span<const Value> args, bool constructing, Object* superHolder);
    void report(const std::string& message);
    String* clipPropertyName(ClipProperty property) const { return m_clipPropertyNames[std::size_t(property)]; }
    // Which numbered clip property a name is, if any (_x, _Y ...).
    std::optional<ClipProperty> clipPropertyOf(String* key) const;
    Value fromHost(const HostValue& value);

private:
    friend class Interpreter;
    class UnsafeRegion;

    void traceRoots(Tracer& tracer) override;
    void installBuiltins();
    ClipObject* makeButtonObject(ClipHandle clip);

    Value callScript(Function* function, const Value& thisValue, std::span<const Value> args, bool constructing, Object* superHolder);
    Value execute(Frame& frame);
    bool runEntry(Program* program, Object* target, const Value* function, const Value& thisValue, std::span<const Value> args, Value* result);
    bool setThroughChain(Object* object, String* key, const Value& value);
    Value callWatchers(Object* object, String* key, const Value& value);

    Host& m_host;
    Heap m_heap;
    Names m_names;
    Builtins m_builtins;
    Object* m_global = nullptr;
    int m_vmVersion;
    ScriptLimits m_limits;

    // The operand stack and the registers of every running frame. Their
    // capacity is reserved up front and never exceeded, so pointers into
    // them stay valid while nested calls push above.
    ValueStack m_stack;
    ValueStack m_registers;
    Frame* m_frame = nullptr;
    int m_depth = 0;
    int m_entryDepth = 0;
    bool m_halted = false;
    // Native code is on the native stack holding cells the collector
    // cannot see; collection waits until it has returned.
    int m_unsafeDepth = 0;
    std::uint64_t m_instructions = 0;
    std::uint64_t m_nextTimeCheck = 0;
    Value m_thrown;
    String* m_clipPropertyNames[kClipPropertyCount] = {};
    std::vector<String*> m_smallNumbers;

    std::map<std::pair<const std::uint8_t*, std::size_t>, Program*> m_programs;
    std::unordered_map<std::uint64_t, ClipObject*> m_clips;
    std::unordered_map<std::size_t, Value> m_hostRoots;
    std::size_t m_nextHostRoot = 1;
    std::unique_ptr<Timers> m_timers;
    std::map<std::pair<int, int>, std::pair<NativeFunction, int>> m_natives;
    std::unordered_map<std::string, Value> m_registeredClasses;
};

} // namespace swf::script
