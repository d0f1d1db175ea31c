// Sound: sounds started from script and the levels they play at. A Sound
// made for a clip (or a path) acts on that clip's levels, which its
// timeline's own sounds play at too; one made with no target acts on the
// whole movie's. The clip is found again from the path on every call, so
// a Sound outlives its clip and reaches the one made at the same path
// later. Once a Sound loads an MP3 file it acts on that sound alone, which
// has levels of its own.

#include "swf/script/classes/SoundClass.h"

#include <cmath>

#include "swf/script/ArrayObject.h"
#include "swf/script/Machine.h"
#include "swf/script/MediaHost.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

// The object's state, in its native store.
enum Slot : std::uint32_t {
    Marker,      // the interned "Sound", telling this store from others
    Target,      // undefined: the whole movie; else the path given
    Exported,    // the attached sound's character
    Loaded,      // the load this object's sound comes from
    Handle,      // the sound last started
    Duration,    // milliseconds
    Position,    // milliseconds, as last seen
    BytesLoaded,
    BytesTotal,
    SlotCount,
};

ArrayObject* storeOf(Machine& m, const Value& of)
{
    return nativeStore(m, of, "Sound", SlotCount);
}

Value slot(ArrayObject* store, Slot which)
{
    return store->dense(which);
}

void setSlot(Machine& m, ArrayObject* store, Slot which, const Value& value)
{
    store->setIndex(m, which, value);
}

MediaHost* mediaHost(Machine& m)
{
    return m.host().media();
}

// Whose levels and sounds the call acts on; none when the target clip is
// not there now.
std::optional<SoundOwner> ownerOf(Machine& m, ArrayObject* store)
{
    if (const Value loaded = slot(store, Loaded); loaded.isNumber())
        return SoundOwner {{}, std::uint64_t(loaded.asNumber())};
    const Value target = slot(store, Target);
    if (target.isUndefined())
        return SoundOwner {};
    Object* base = m.currentFrame() ? m.currentFrame()->target : nullptr;
    const ClipHandle clip = m.handleOf(m.resolveTarget(base, target));
    if (!clip)
        return std::nullopt;
    return SoundOwner {clip};
}

struct Call {
    Machine& m;
    ArrayObject* store = nullptr;
    MediaHost* host = nullptr;
    std::optional<SoundOwner> owner;

    explicit Call(NativeCall& c)
        : m(c.machine)
        , store(storeOf(c.machine, c.thisValue))
        , host(mediaHost(c.machine))
    {
        if (store && host)
            owner = ownerOf(m, store);
    }
    std::optional<SoundLevels> levels() const { return owner ? host->levels(*owner) : std::nullopt; }
};

Value soundConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self)
        return Value();
    // A clip is kept by its path, as it is found again by it; nothing (or
    // undefined) means the whole movie.
    Value target;
    const Value given = c.arg(0);
    if (!given.isNullish()) {
        const ClipHandle clip = m.handleOf(given.objectOrNull());
        target = clip ? m.stringValue(m.host().targetPath(clip)) : Value::string(m.toString(given));
    }
    makeNativeStore(m, self, "Sound", SlotCount)->setIndex(m, Target, target);
    return Value();
}

Value getVolume(NativeCall& c)
{
    const Call call(c);
    const std::optional<SoundLevels> levels = call.levels();
    return levels ? Value::number(levels->volume) : Value();
}

Value setVolume(NativeCall& c)
{
    const Call call(c);
    std::optional<SoundLevels> levels = call.levels();
    if (!levels)
        return Value();
    levels->volume = c.machine.toInt32(c.arg(0));
    call.host->setLevels(*call.owner, *levels);
    return Value();
}

// The pan is read from the levels: whichever side is turned down.
Value getPan(NativeCall& c)
{
    const Call call(c);
    const std::optional<SoundLevels> levels = call.levels();
    if (!levels)
        return Value();
    return Value::number(levels->ll != 100 ? 100 - levels->ll : levels->rr - 100);
}

Value setPan(NativeCall& c)
{
    const Call call(c);
    std::optional<SoundLevels> levels = call.levels();
    if (!levels)
        return Value();
    const double pan = c.machine.toInt32(c.arg(0));
    levels->ll = pan > 0 ? 100 - pan : 100;
    levels->rr = pan < 0 ? 100 + pan : 100;
    call.host->setLevels(*call.owner, *levels);
    return Value();
}

// In the order the reference player reads them.
constexpr std::pair<const char*, double SoundLevels::*> kTerms[] {
    {"ll", &SoundLevels::ll},
    {"lr", &SoundLevels::lr},
    {"rr", &SoundLevels::rr},
    {"rl", &SoundLevels::rl},
};

Value getTransform(NativeCall& c)
{
    const Call call(c);
    const std::optional<SoundLevels> levels = call.levels();
    if (!levels)
        return Value();
    Object* result = c.machine.newObject();
    for (const auto& [name, term] : kTerms)
        c.machine.set(result, name, Value::number((*levels).*term));
    return Value::object(result);
}

// Only the object's own terms count; one behind a getter reads as 0, as
// the reference player takes its value without running it.
Value setTransform(NativeCall& c)
{
    const Call call(c);
    std::optional<SoundLevels> levels = call.levels();
    Object* from = c.arg(0).objectOrNull();
    if (!levels || !from)
        return Value();
    Machine& m = c.machine;
    for (const auto& [name, term] : kTerms) {
        const Property* own = m.findOwn(from, m.intern(name));
        if (!own)
            continue;
        (*levels).*term = own->isAccessor() ? 0 : m.toInt32(own->value);
    }
    call.host->setLevels(*call.owner, *levels);
    return Value();
}

Value attachSound(NativeCall& c)
{
    const Call call(c);
    if (!call.store || !call.host)
        return Value();
    const std::optional<MediaHost::Exported> exported = call.host->exportedSound(c.machine.toStdString(c.arg(0)));
    if (!exported)
        return Value();
    setSlot(c.machine, call.store, Exported, Value::number(exported->id));
    setSlot(c.machine, call.store, Duration, Value::number(exported->duration));
    setSlot(c.machine, call.store, Position, Value::number(0));
    return Value();
}

// Starts this object's sound, keeping the object alive (a host root) until
// the sound ends so that its onSoundComplete can run.
void startSound(Machine& m, const Value& self, ArrayObject* store, MediaHost& host, const SoundOwner& owner, double offset, int loops)
{
    const Value exported = slot(store, Exported);
    const Value loaded = slot(store, Loaded);
    if (!exported.isNumber() && !loaded.isNumber())
        return;
    const std::size_t tag = m.addHostRoot(self);
    const std::uint64_t handle = loaded.isNumber() ? host.start(owner, 0, std::uint64_t(loaded.asNumber()), offset, loops, tag)
                                                   : host.start(owner, std::uint16_t(exported.asNumber()), 0, offset, loops, tag);
    if (!handle) {
        m.removeHostRoot(tag);
        return;
    }
    setSlot(m, store, Handle, Value::number(double(handle)));
    setSlot(m, store, Position, Value::number(0));
}

Value startMethod(NativeCall& c)
{
    const Call call(c);
    if (!call.owner)
        return Value();
    double offset = c.machine.toNumber(c.arg(0));
    if (!std::isfinite(offset) || offset < 0)
        offset = 0;
    const int loops = c.count() > 1 ? c.machine.toInt32(c.arg(1)) : 1;
    startSound(c.machine, c.thisValue, call.store, *call.host, *call.owner, offset, loops);
    return Value();
}

Value stopMethod(NativeCall& c)
{
    const Call call(c);
    if (!call.owner)
        return Value();
    std::optional<std::uint16_t> only;
    if (c.count() > 0) {
        const std::optional<MediaHost::Exported> exported = call.host->exportedSound(c.machine.toStdString(c.arg(0)));
        if (!exported)
            return Value();
        only = exported->id;
    }
    call.host->stop(*call.owner, only);
    return Value();
}

// A streaming sound's length grows as it arrives: movies divide it by the
// share of bytes loaded to tell how long the whole will be.
Value durationGetter(NativeCall& c)
{
    ArrayObject* store = storeOf(c.machine, c.thisValue);
    if (!store)
        return Value();
    if (const Value loaded = slot(store, Loaded); loaded.isNumber())
        if (MediaHost* host = mediaHost(c.machine))
            if (const std::optional<double> arrived = host->arrivedDuration(std::uint64_t(loaded.asNumber())))
                return Value::number(*arrived);
    return slot(store, Duration);
}

Value positionGetter(NativeCall& c)
{
    const Call call(c);
    if (!call.store)
        return Value();
    if (const Value handle = slot(call.store, Handle); handle.isNumber() && call.host)
        if (const std::optional<double> at = call.host->position(std::uint64_t(handle.asNumber())))
            setSlot(c.machine, call.store, Position, Value::number(*at));
    return slot(call.store, Position);
}

Value loadSound(NativeCall& c)
{
    const Call call(c);
    // A Sound whose clip is gone loads nothing.
    if (!call.owner)
        return Value();
    Machine& m = c.machine;
    // The sound loaded before goes quiet; the new one has levels afresh.
    if (call.owner->loaded)
        call.host->stop(*call.owner, std::nullopt);
    const std::size_t id = m.addHostRoot(c.thisValue);
    setSlot(m, call.store, Loaded, Value::number(double(id)));
    setSlot(m, call.store, Handle, Value());
    setSlot(m, call.store, Duration, Value::number(0));
    setSlot(m, call.store, Position, Value::number(0));
    setSlot(m, call.store, BytesLoaded, Value::number(0));
    setSlot(m, call.store, BytesTotal, Value());
    call.host->load(id, m.toStdString(c.arg(0)), m.toBoolean(c.arg(1)));
    return Value();
}

Value bytesGetter(NativeCall& c)
{
    ArrayObject* store = storeOf(c.machine, c.thisValue);
    if (!store)
        return Value();
    const bool total = c.callee->tag();
    // While the file is on its way, what has come of it and its size once
    // the server has said.
    if (const Value loaded = slot(store, Loaded); loaded.isNumber())
        if (MediaHost* host = mediaHost(c.machine))
            if (const auto progress = host->loadProgress(std::uint64_t(loaded.asNumber())); progress && progress->loaded > 0) {
                if (!total)
                    return Value::number(progress->loaded);
                if (progress->total > 0)
                    return Value::number(progress->total);
            }
    return slot(store, total ? BytesTotal : BytesLoaded);
}

Value ignoreEvent(NativeCall&)
{
    return Value();
}

// Runs as an entry of its own, so that whatever the movie's handlers do
// wrong is stopped the way any script's fault is. Arguments: the load's
// id, whether it arrived, its bytes, its length, its tags as an object or
// undefined, whether it is to start now it has arrived, whether enough of
// a streaming load is in to start it before the rest, whether it started
// so.
Value deliverLoad(NativeCall& c)
{
    Machine& m = c.machine;
    ArrayObject* store = storeOf(m, c.thisValue);
    // A later loadSound on the same object supersedes this one.
    if (!store || !slot(store, Loaded).isNumber() || slot(store, Loaded).asNumber() != m.toNumber(c.arg(0)))
        return Value();
    if (m.toBoolean(c.arg(6))) {
        setSlot(m, store, Duration, c.arg(3));
        if (MediaHost* host = mediaHost(m)) {
            const std::size_t tag = m.addHostRoot(c.thisValue);
            if (const std::uint64_t handle = host->startArriving(std::uint64_t(m.toNumber(c.arg(0))), tag)) {
                setSlot(m, store, Handle, Value::number(double(handle)));
                setSlot(m, store, Position, Value::number(0));
            } else {
                m.removeHostRoot(tag);
            }
        }
        return Value();
    }
    const bool arrived = m.toBoolean(c.arg(1));
    if (arrived || m.toNumber(c.arg(2)) > 0) {
        setSlot(m, store, BytesLoaded, c.arg(2));
        setSlot(m, store, BytesTotal, c.arg(2));
    }
    if (arrived)
        setSlot(m, store, Duration, c.arg(3));
    if (c.arg(4).isObject()) {
        m.set(c.thisValue, m.intern("id3"), c.arg(4));
        m.callMethod(c.thisValue, m.intern("onID3"), {});
    }
    if (arrived && m.toBoolean(c.arg(5)) && !m.toBoolean(c.arg(7)))
        if (MediaHost* host = mediaHost(m))
            if (const std::optional<SoundOwner> owner = ownerOf(m, store))
                startSound(m, c.thisValue, store, *host, *owner, 0, 1);
    const Value args[] {Value::boolean(arrived)};
    m.callMethod(c.thisValue, m.intern("onLoad"), args);
    return Value();
}

Value deliverComplete(NativeCall& c)
{
    Machine& m = c.machine;
    if (ArrayObject* store = storeOf(m, c.thisValue))
        setSlot(m, store, Position, slot(store, Duration));
    m.callMethod(c.thisValue, m.intern("onSoundComplete"), {});
    return Value();
}

} // namespace

void deliverSounds(Machine& machine)
{
    MediaHost* host = mediaHost(machine);
    if (!host)
        return;
    for (MediaHost::Loaded& loaded : host->takeLoads()) {
        const Value target = machine.hostRoot(loaded.id);
        // A streaming load that is ready has yet to end.
        if (!loaded.ready)
            machine.removeHostRoot(loaded.id);
        if (!target.isObject())
            continue;
        Value tags;
        if (!loaded.tags.empty()) {
            Object* id3 = machine.newObject();
            for (auto& [name, value] : loaded.tags)
                machine.set(id3, machine.intern(name), machine.stringValue(std::move(value)));
            tags = Value::object(id3);
        }
        const Value args[] {Value::number(double(loaded.id)), Value::boolean(loaded.ok),        Value::number(loaded.bytes),
                            Value::number(loaded.duration), tags,                             Value::boolean(loaded.streaming),
                            Value::boolean(loaded.ready), Value::boolean(loaded.playing)};
        machine.callFromHost(Value::object(machine.newNative(deliverLoad)), target, args);
    }
    for (const MediaHost::Ended& ended : host->takeEnded()) {
        const Value target = machine.hostRoot(ended.tag);
        machine.removeHostRoot(ended.tag);
        if (ended.completed && target.isObject())
            machine.callFromHost(Value::object(machine.newNative(deliverComplete)), target, {});
    }
}

void installSoundClass(Machine& machine)
{
    Object* p = machine.newObject();
    defineClass(machine, "Sound", soundConstructor, p);
    constexpr std::pair<const char*, NativeFunction> kMethods[] {
        {"getPan", getPan},       {"getTransform", getTransform}, {"getVolume", getVolume}, {"setPan", setPan},
        {"setTransform", setTransform}, {"setVolume", setVolume}, {"stop", stopMethod},     {"attachSound", attachSound},
        {"start", startMethod},
    };
    for (const auto& [name, native] : kMethods)
        defineMethod(machine, p, name, native);
    defineAccessor(machine, p, "duration", durationGetter, nullptr, HP | Swf6);
    defineAccessor(machine, p, "position", positionGetter, nullptr, HP | Swf6);
    defineMethod(machine, p, "loadSound", loadSound, HP | Swf6);
    defineMethod(machine, p, "getBytesLoaded", bytesGetter, HP | Swf6, 0);
    defineMethod(machine, p, "getBytesTotal", bytesGetter, HP | Swf6, 1);
    defineMethod(machine, p, "onLoad", ignoreEvent, HP | Swf6);
}

} // namespace swf::script
