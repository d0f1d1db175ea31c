// MovieClipLoader: loadClip hands a movie or image for a clip or a level
// to the host and returns at once; the outcome comes at a frame boundary
// and goes to the loader itself, then to its listeners, as onLoadStart,
// onLoadProgress, onLoadComplete and onLoadInit, or as onLoadError with
// the reference player's error name.

#include <charconv>
#include <utility>

#include "swf/script/ArrayObject.h"
#include "swf/script/ClipObject.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Broadcasters.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClipLoads.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

// Where a load goes: a clip, or a level by number or by "_levelN". The
// reference player loads a level named by a string without telling the
// listeners anything of it.
struct LoadDestination {
    ClipHandle clip;
    int level = -1;
    bool quiet = false;
    bool valid() const { return clip || level >= 0; }
};

LoadDestination destinationOf(Machine& m, const Value& target)
{
    constexpr int kMaxLevel = 0x7FFF;
    if (target.isNumber()) {
        // As a 32-bit integer, the way the reference player wraps it.
        const int level = m.toInt32(target);
        return level >= 0 && level <= kMaxLevel ? LoadDestination {{}, level} : LoadDestination {};
    }
    if (target.isString()) {
        const std::string_view text = target.asString()->view();
        int level = -1;
        if (text.starts_with("_level")) {
            const std::string_view digits = text.substr(6);
            const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), level);
            if (error == std::errc() && end == digits.data() + digits.size() && !digits.empty() && level <= kMaxLevel)
                return {{}, level, true};
        }
    }
    if (!target.isString() && !(target.isObject() && target.asObject()->kind() == ObjectKind::Clip))
        return {};
    Object* base = m.clipObject(m.targetHandle());
    return {m.handleOf(m.resolveTarget(base, target)), -1, false};
}

Value constructor(NativeCall& c);

// Whether the object was made by MovieClipLoader's constructor: its
// methods answer nothing for anything else.
bool isLoader(Object* object)
{
    if (!object || object->kind() != ObjectKind::Plain)
        return false;
    Object* maker = object->primitive().objectOrNull();
    return maker && maker->isFunction() && static_cast<Function*>(maker)->native() == constructor;
}

Value constructor(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self || !c.constructing || self->kind() != ObjectKind::Plain)
        return Value();
    self->setPrimitive(Value::object(c.callee));
    // The reference player's loader is its own first listener, one its
    // _listeners show as undefined: removeListener cannot take it off.
    m.define(self, m.names().listeners, Value::object(m.newArray({Value()})), HP);
    return Value();
}

// loadClip(url, target): true once the load is on its way.
Value loadClip(NativeCall& c)
{
    Machine& m = c.machine;
    const LoadDestination to = destinationOf(m, c.arg(1));
    if (!isLoader(c.thisObject()) || c.count() < 2 || !to.valid())
        return Value::boolean(false);
    // The loader and the target wait together for the outcome.
    Object* waiting = m.newObject();
    m.define(waiting, "loader", c.thisValue);
    m.define(waiting, "target", to.clip ? m.clipValue(to.clip) : Value());
    const std::size_t id = m.addHostRoot(Value::object(waiting));
    if (to.quiet)
        m.define(waiting, "quiet", Value::boolean(true));
    m.host().loadClip(id, to.clip, to.level, m.toStdString(c.arg(0)));
    return Value::boolean(true);
}

Value unloadClip(NativeCall& c)
{
    Machine& m = c.machine;
    const LoadDestination from = destinationOf(m, c.arg(0));
    if (!isLoader(c.thisObject()) || !from.valid())
        return Value::boolean(false);
    m.host().loadClip(0, from.clip, from.level, {});
    return Value::boolean(true);
}

// getProgress(target): {bytesLoaded, bytesTotal} of what the clip holds.
Value getProgress(NativeCall& c)
{
    Machine& m = c.machine;
    if (!isLoader(c.thisObject()))
        return Value();
    const LoadDestination of = destinationOf(m, c.arg(0));
    const ClipHandle clip = of.clip ? of.clip : of.level >= 0 ? m.host().root(of.level) : ClipHandle();
    if (!clip)
        return Value();
    // A bare object, as the reference player's: it has no toString.
    Object* progress = m.newObject(nullptr);
    m.set(progress, "bytesLoaded", Value::number(m.host().bytesLoaded(clip)));
    m.set(progress, "bytesTotal", Value::number(m.host().bytesTotal(clip)));
    return Value::object(progress);
}

// Tells the loader, then its listeners, of `event` about the target,
// c.arg(0).
void broadcast(NativeCall& c, const char* event, std::initializer_list<Value> more)
{
    Machine& m = c.machine;
    std::vector<Value> args {m.stringValue(event), c.arg(0)};
    args.insert(args.end(), more);
    m.call(m.get(c.thisValue, m.intern(event)), c.thisValue, std::span<const Value>(args).subspan(1));
    m.callMethod(c.thisValue, m.intern("broadcastMessage"), args);
}

// Runs as an entry of its own with the loader as `this`: args are the
// target, the error (undefined when it arrived) and the bytes.
Value deliverOne(NativeCall& c)
{
    const auto tell = [&](const char* event, std::initializer_list<Value> more) { broadcast(c, event, more); };
    if (!c.arg(1).isUndefined()) {
        tell("onLoadError", {c.arg(1), Value::number(0)});
        return Value();
    }
    // A load heard of on its way has started already.
    if (!(c.arg(5).isBoolean() && c.arg(5).asBoolean()))
        tell("onLoadStart", {});
    tell("onLoadProgress", {c.arg(2), c.arg(3)});
    // A movie's progress is heard twice, as it arrives and as it ends;
    // its onLoadInit waits for its first frame.
    if (c.arg(4).isBoolean() && c.arg(4).asBoolean())
        tell("onLoadProgress", {c.arg(2), c.arg(3)});
    tell("onLoadComplete", {Value::number(0)});
    if (!(c.arg(4).isBoolean() && c.arg(4).asBoolean()))
        tell("onLoadInit", {});
    return Value();
}

// As deliverOne, for a load still on its way: the target, the bytes so
// far and the whole, and whether it was heard of before.
Value deliverProgress(NativeCall& c)
{
    const auto tell = [&](const char* event, std::initializer_list<Value> more) { broadcast(c, event, more); };
    if (!(c.arg(3).isBoolean() && c.arg(3).asBoolean()))
        tell("onLoadStart", {});
    tell("onLoadProgress", {c.arg(1), c.arg(2)});
    return Value();
}

Value deliverInit(NativeCall& c)
{
    broadcast(c, "onLoadInit", {});
    return Value();
}

} // namespace

void deliverClipLoads(Machine& machine)
{
    for (const Host::LoadProgress& progress : machine.host().loadsUnderWay()) {
        const Value waiting = progress.clip ? machine.hostRoot(progress.id) : Value();
        if (!waiting.isObject() || machine.toBoolean(machine.get(waiting, machine.intern("quiet"))))
            continue;
        // Heard when more has come, not at every frame.
        const Value heard = machine.get(waiting, machine.intern("heard"));
        if (heard.isNumber() && heard.asNumber() == progress.loaded)
            continue;
        machine.set(waiting.asObject(), "heard", Value::number(progress.loaded));
        const Value started = Value::boolean(machine.toBoolean(machine.get(waiting, machine.intern("started"))));
        machine.set(waiting.asObject(), "started", Value::boolean(true));
        const Value args[] {machine.get(waiting, machine.intern("target")), Value::number(progress.loaded),
                            Value::number(progress.total > 0 ? progress.total : progress.loaded), started};
        machine.callFromHost(Value::object(machine.newNative(deliverProgress)), machine.get(waiting, machine.intern("loader")), args);
    }
    for (const Host::ClipLoadResult& result : machine.host().finishedClipLoads()) {
        const Value waiting = machine.hostRoot(result.id);
        if (!waiting.isObject()) {
            machine.removeHostRoot(result.id);
            continue;
        }
        if (machine.toBoolean(machine.get(waiting, machine.intern("quiet")))) {
            machine.removeHostRoot(result.id);
            continue;
        }
        const Value loader = machine.get(waiting, machine.intern("loader"));
        const Value target = result.clip ? machine.clipValue(result.clip) : machine.get(waiting, machine.intern("target"));
        const bool initLater = result.movie && result.error.empty();
        if (initLater) {
            machine.set(waiting.asObject(), "target", target);
            machine.builtins().clipInitsDue.push_back(result.id);
        } else {
            machine.removeHostRoot(result.id);
        }
        const Value args[] {target,
                            result.error.empty() ? Value() : machine.stringValue(result.error),
                            Value::number(result.bytesLoaded),
                            Value::number(result.bytesTotal),
                            Value::boolean(initLater),
                            Value::boolean(machine.toBoolean(machine.get(waiting, machine.intern("started"))))};
        machine.callFromHost(Value::object(machine.newNative(deliverOne)), loader, args);
    }
}

void deliverClipInits(Machine& machine)
{
    const std::vector<std::size_t> due = std::exchange(machine.builtins().clipInitsDue, {});
    for (auto id = due.rbegin(); id != due.rend(); ++id) {
        const Value waiting = machine.hostRoot(*id);
        machine.removeHostRoot(*id);
        if (!waiting.isObject())
            continue;
        const Value args[] {machine.get(waiting, machine.intern("target"))};
        machine.callFromHost(Value::object(machine.newNative(deliverInit)), machine.get(waiting, machine.intern("loader")), args);
    }
}

void installMovieClipLoaderClass(Machine& machine)
{
    Object* p = machine.newObject();
    defineClass(machine, "MovieClipLoader", constructor, p, H);
    // The class is there for every version, what it does from version 7.
    makeBroadcaster(machine, p, HP | Swf7);
    defineMethod(machine, p, "getProgress", getProgress, HP | Swf7);
    defineMethod(machine, p, "loadClip", loadClip, HP | Swf7);
    defineMethod(machine, p, "unloadClip", unloadClip, HP | Swf7);
}

} // namespace swf::script
