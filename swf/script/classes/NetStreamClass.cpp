// NetStream: an FLV file played by its address over a NetConnection. It
// starts once its buffer time's worth has arrived, or all of it; from then
// on the stream's time runs on the engine's clock until the last tag's
// time, held while it waits for more of the file. Script hears of it
// through onStatus (Play.Start; Buffer.Full once enough is in to play,
// Buffer.Empty when playing catches up with the file; Buffer.Flush once
// all of it is in; Play.Stop at its end; Play.StreamNotFound for a file
// that does not come) and onMetaData with the file's own description.
// The file's sound goes to the mixer a little ahead of the stream's time,
// and starts again from there whenever what has been heard strays from it.

#include "swf/script/classes/NetStreamClass.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "swf/media/Amf0.h"
#include "swf/media/FlvFile.h"
#include "swf/runtime/SoundMixer.h"
#include "swf/runtime/VideoInstance.h"
#include "swf/script/ArrayObject.h"
#include "swf/script/ClipObject.h"
#include "swf/script/MediaHost.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

// A stream that fails to load is tried again by many movies from its
// onStatus; the reference player answers such a loop about every 100 ms.
constexpr double kStatusInterval = 100;

enum Slot : std::uint32_t {
    Marker,    // the interned "NetStream"
    Load,      // the id of the load play() started, while it waits or plays
    StartedAt, // the engine clock when it started playing, ms
    Duration,  // ms
    Time,      // seconds, once stopped
    Bytes,     // the file's length
    BufferTime,
    Paused,    // the clock at the pause, ms
    Videos,    // an array of the videos attached to it
    Arrived,   // while the file is still coming, how far into it has come, ms
    Stalled,   // the clock when it stopped to wait for more, ms
    MetaSent,  // onMetaData has been called
    Audio,     // the clip its sound plays at the levels of, or false: not heard
    SlotCount,
};

ArrayObject* storeOf(Machine& m, const Value& of)
{
    return nativeStore(m, of, "NetStream", SlotCount);
}

double number(ArrayObject* store, Slot which, double fallback = 0)
{
    const Value v = store->dense(which);
    return v.isNumber() ? v.asNumber() : fallback;
}

void setSlot(Machine& m, ArrayObject* store, Slot which, const Value& value)
{
    store->setIndex(m, which, value);
}

Value netStreamConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self)
        return Value();
    makeNativeStore(m, self, "NetStream", SlotCount)->setIndex(m, BufferTime, Value::number(0.1));
    return Value();
}

// The clock as the stream sees it: held since it was paused or stopped to
// wait, whichever came first.
double streamClock(Machine& m, ArrayObject* store)
{
    double now = m.host().timer();
    for (const Slot held : {Paused, Stalled})
        if (store->dense(held).isNumber())
            now = std::min(now, number(store, held));
    return now;
}

// Where the stream has got to, in seconds.
double timeOf(Machine& m, ArrayObject* store)
{
    const Value started = store->dense(StartedAt);
    if (!started.isNumber())
        return number(store, Time);
    return std::clamp(streamClock(m, store) - started.asNumber(), 0.0, number(store, Duration)) / 1000;
}

bool arriving(ArrayObject* store)
{
    return store->dense(Arrived).isNumber();
}

// The stream's sound stops at once; it starts again from where the
// stream's time is when it next plays.
void stopSound(Machine& m, ArrayObject* store)
{
    MediaHost* host = m.host().media();
    if (!host || !store->dense(Load).isNumber())
        return;
    const auto id = std::uint64_t(number(store, Load));
    host->endStreamSound(id, true);
    if (const auto found = host->streamFiles().find(id); found != host->streamFiles().end())
        found->second->soundFeed().started = false;
}

// How far ahead of the stream's time its sound is decoded for the mixer,
// and how far what has been heard may stray from that time before the
// sound starts again from it (the audio device holds a tenth of a second).
constexpr double kSoundLead = 300;
constexpr double kSoundStray = 300;
// Silence put before a stream's first sound tag, at most.
constexpr double kMaxLeadIn = 1000;

// The stream's sound, at `at` ms into it, to the mixer.
void feedSound(Machine& m, MediaHost& host, ArrayObject* store, double at)
{
    const auto id = std::uint64_t(number(store, Load));
    const Value audio = store->dense(Audio);
    if (audio.isBoolean())
        return;
    const auto found = host.streamFiles().find(id);
    if (found == host.streamFiles().end() || !found->second->hasSound())
        return;
    StreamFile& file = *found->second;
    StreamFile::SoundFeed& feed = file.soundFeed();
    if (feed.started) {
        const std::optional<std::uint64_t> played = host.streamSoundPlayed(id);
        const double heard = feed.origin + double(played.value_or(0)) * 1000 / SoundMixer::kOutputRate;
        if (!played || heard < at - kSoundStray || heard > at + kSoundLead + kSoundStray) {
            host.endStreamSound(id, true);
            feed.started = false;
        }
    }
    if (!feed.started && !file.seekSound(at))
        return;
    std::string error;
    while (std::optional<StreamFile::SoundPart> part = file.soundUntil(at + kSoundLead, error)) {
        if (!error.empty())
            m.host().diagnostic("playing a stream's sound: " + error);
        error.clear();
        if (part->samples.empty())
            continue;
        if (!feed.started || part->doubledRate != feed.doubledRate || part->channels != feed.channels) {
            // The first sound since it started, or sound in another format:
            // the new sound starts now, at its own time.
            std::vector<std::int16_t> leadIn;
            if (!feed.started)
                leadIn.resize(std::size_t(std::clamp(part->startsAt - at, 0.0, kMaxLeadIn) * part->doubledRate / 2000) * std::size_t(part->channels));
            feed = {true, feed.started ? part->startsAt : at, part->doubledRate, part->channels};
            SoundOwner owner;
            if (audio.isObject() && audio.asObject()->kind() == ObjectKind::Clip)
                owner.clip = static_cast<ClipObject*>(audio.asObject())->handle();
            host.startStreamSound(id, part->doubledRate, part->channels, owner);
            host.appendStreamSound(id, leadIn);
        }
        host.appendStreamSound(id, part->samples);
    }
}

// The stream's time has moved (a seek) or goes on again (the end of a
// pause): its sound starts from there, now, unless it waits for the file.
void restartSound(Machine& m, ArrayObject* store)
{
    stopSound(m, store);
    MediaHost* host = m.host().media();
    if (host && !store->dense(Paused).isNumber() && !store->dense(Stalled).isNumber())
        feedSound(m, *host, store, timeOf(m, store) * 1000);
}

// At its end the stream's sound plays out what it holds.
void forgetPlaying(Machine& m, ArrayObject* store, bool dropSound = true)
{
    const Value load = store->dense(Load);
    if (!load.isNumber())
        return;
    const auto id = std::uint64_t(load.asNumber());
    if (MediaHost* host = m.host().media()) {
        host->endStreamSound(id, dropSound);
        std::erase(host->playingStreams(), id);
        host->streamFiles().erase(id);
        host->cancelFile(id);
    }
    m.removeHostRoot(id);
    for (const Slot slot : {Load, Arrived, Stalled, MetaSent})
        setSlot(m, store, slot, Value());
}

Value play(NativeCall& c)
{
    Machine& m = c.machine;
    ArrayObject* store = storeOf(m, c.thisValue);
    MediaHost* host = m.host().media();
    if (!store || !host || c.count() == 0)
        return Value();
    forgetPlaying(m, store);
    setSlot(m, store, StartedAt, Value());
    setSlot(m, store, Paused, Value());
    setSlot(m, store, Time, Value::number(0));
    setSlot(m, store, Duration, Value::number(0));
    const std::size_t id = m.addHostRoot(c.thisValue);
    setSlot(m, store, Load, Value::number(double(id)));
    host->loadFile(id, m.toStdString(c.arg(0)));
    return Value();
}

Value closeMethod(NativeCall& c)
{
    Machine& m = c.machine;
    if (ArrayObject* store = storeOf(m, c.thisValue)) {
        setSlot(m, store, Time, Value::number(timeOf(m, store)));
        forgetPlaying(m, store);
        setSlot(m, store, StartedAt, Value());
    }
    return Value();
}

// pause() toggles, pause(flag) sets.
Value pauseMethod(NativeCall& c)
{
    Machine& m = c.machine;
    ArrayObject* store = storeOf(m, c.thisValue);
    if (!store || !store->dense(StartedAt).isNumber())
        return Value();
    const bool paused = store->dense(Paused).isNumber();
    const bool pause = c.count() == 0 ? !paused : m.toBoolean(c.arg(0));
    if (pause && !paused) {
        setSlot(m, store, Paused, Value::number(m.host().timer()));
        stopSound(m, store);
    } else if (!pause && paused) {
        // The clock went on while paused; the start moves with it.
        const double held = m.host().timer() - number(store, Paused);
        for (const Slot moved : {StartedAt, Stalled})
            if (store->dense(moved).isNumber())
                setSlot(m, store, moved, Value::number(number(store, moved) + held));
        setSlot(m, store, Paused, Value());
        restartSound(m, store);
    }
    return Value();
}

Value seekMethod(NativeCall& c)
{
    Machine& m = c.machine;
    ArrayObject* store = storeOf(m, c.thisValue);
    if (!store || !store->dense(StartedAt).isNumber())
        return Value();
    double to = m.toNumber(c.arg(0)) * 1000;
    if (!std::isfinite(to))
        to = 0;
    // Beyond what has arrived, it waits there for the file to catch up.
    to = std::clamp(to, 0.0, number(store, Duration));
    setSlot(m, store, StartedAt, Value::number(streamClock(m, store) - to));
    restartSound(m, store);
    return Value();
}

Value setBufferTime(NativeCall& c)
{
    Machine& m = c.machine;
    if (ArrayObject* store = storeOf(m, c.thisValue)) {
        const double seconds = m.toNumber(c.arg(0));
        setSlot(m, store, BufferTime, Value::number(std::isfinite(seconds) && seconds > 0 ? seconds : 0));
    }
    return Value();
}

enum StreamProperty { TimeProperty, BufferLength, BufferTimeProperty, BytesLoaded, BytesTotal };

Value propertyGetter(NativeCall& c)
{
    Machine& m = c.machine;
    ArrayObject* store = storeOf(m, c.thisValue);
    if (!store)
        return Value();
    switch (StreamProperty(c.callee->tag())) {
    case TimeProperty:
        return Value::number(timeOf(m, store));
    case BufferLength:
        // What has arrived beyond where it has got to; once all of the
        // file is in, the rest of it.
        if (!store->dense(StartedAt).isNumber())
            return Value::number(0);
        return Value::number(std::max(0.0, number(store, arriving(store) ? Arrived : Duration) / 1000 - timeOf(m, store)));
    case BufferTimeProperty:
        return store->dense(BufferTime);
    case BytesLoaded:
    case BytesTotal:
        // While the file is still on its way, what has come of it.
        if (MediaHost* host = m.host().media(); host && store->dense(Load).isNumber())
            if (const auto progress = host->loadProgress(std::uint64_t(number(store, Load))); progress && progress->loaded > 0)
                return Value::number(c.callee->tag() == BytesLoaded ? progress->loaded : progress->total);
        return Value::number(number(store, Bytes));
    }
    return Value();
}

void status(Machine& m, const Value& stream, const char* code, const char* level)
{
    Object* info = m.newObject();
    m.set(info, "code", m.stringValue(code));
    m.set(info, "level", m.stringValue(level));
    const Value args[] {Value::object(info)};
    const Value handler = m.get(stream, m.intern("onStatus"));
    if (handler.isObject() && handler.asObject()->isFunction()) {
        m.call(handler, stream, args);
        return;
    }
    // An error the stream has no handler for goes to System.onStatus.
    if (std::string_view(level) == "error") {
        const Value system = m.get(Value::object(m.global()), m.intern("System"));
        if (system.isObject())
            m.callMethod(system, m.intern("onStatus"), args);
    }
}

Value toScript(Machine& m, const AmfValue& value)
{
    switch (value.type) {
    case AmfValue::Type::Undefined:
        return Value();
    case AmfValue::Type::Null:
        return Value::null();
    case AmfValue::Type::Number:
        return Value::number(value.number);
    case AmfValue::Type::Boolean:
        return Value::boolean(value.boolean);
    case AmfValue::Type::String:
        return m.stringValue(value.text);
    case AmfValue::Type::Date: {
        const Value time[] {Value::number(value.number)};
        return m.construct(m.get(Value::object(m.global()), m.intern("Date")), time);
    }
    case AmfValue::Type::Object: {
        Object* object = m.newObject();
        for (const auto& [name, member] : value.members)
            m.set(object, m.intern(name), toScript(m, member));
        return Value::object(object);
    }
    case AmfValue::Type::Array: {
        std::vector<Value> elements;
        for (const AmfValue& element : value.elements)
            elements.push_back(toScript(m, element));
        return Value::object(m.newArray(std::move(elements)));
    }
    }
    return Value();
}

// The stream stops waiting for the file: its time goes on from where it
// waited (or stays there, if it is paused as well).
void stopWaiting(Machine& m, ArrayObject* store)
{
    const double until = store->dense(Paused).isNumber() ? number(store, Paused) : m.host().timer();
    setSlot(m, store, StartedAt, Value::number(number(store, StartedAt) + until - number(store, Stalled)));
    setSlot(m, store, Stalled, Value());
}

void startPlaying(Machine& m, ArrayObject* store, std::uint64_t id)
{
    setSlot(m, store, StartedAt, Value::number(m.host().timer()));
    if (MediaHost* host = m.host().media())
        host->playingStreams().push_back(id);
}

// Arguments: the load's id, and for a file that has arrived, all of it or
// more of it: whether it is all in, its length so far, how far into the
// stream that reaches in ms (negative before the first tag), how long the
// file says it is in ms, and its description (an object, or undefined).
Value deliverFile(NativeCall& c)
{
    Machine& m = c.machine;
    ArrayObject* store = storeOf(m, c.thisValue);
    if (!store || !store->dense(Load).isNumber() || store->dense(Load).asNumber() != m.toNumber(c.arg(0)))
        return Value();
    if (c.count() < 2) {
        forgetPlaying(m, store);
        status(m, c.thisValue, "NetStream.Play.StreamNotFound", "error");
        return Value();
    }
    const auto id = std::uint64_t(m.toNumber(c.arg(0)));
    const bool done = m.toBoolean(c.arg(1));
    const double reach = m.toNumber(c.arg(3));
    const double told = m.toNumber(c.arg(4));
    const bool started = store->dense(StartedAt).isNumber();
    // A file that is all in plays to its last tag; one still coming to as
    // far as it says it goes, at least.
    const double duration = std::max(0.0, reach);
    setSlot(m, store, Bytes, c.arg(2));
    setSlot(m, store, Duration, Value::number(done ? duration : std::max({duration, told, number(store, Duration)})));
    setSlot(m, store, Arrived, done ? Value() : Value::number(duration));
    if (!started) {
        if (!done && (reach < 0 || reach < number(store, BufferTime) * 1000))
            return Value();
        startPlaying(m, store, id);
        status(m, c.thisValue, "NetStream.Play.Start", "status");
    } else if (done && store->dense(Stalled).isNumber()) {
        stopWaiting(m, store);
    }
    if (c.arg(5).isObject() && !store->dense(MetaSent).isBoolean()) {
        setSlot(m, store, MetaSent, Value::boolean(true));
        const Value args[] {c.arg(5)};
        m.callMethod(c.thisValue, m.intern("onMetaData"), args);
    }
    if (done)
        status(m, c.thisValue, "NetStream.Buffer.Flush", "status");
    else if (!started)
        status(m, c.thisValue, "NetStream.Buffer.Full", "status");
    return Value();
}

// Playing has caught up with the file (no arguments), or enough more of it
// has come to go on (any argument).
Value deliverBuffer(NativeCall& c)
{
    Machine& m = c.machine;
    ArrayObject* store = storeOf(m, c.thisValue);
    if (!store || !arriving(store))
        return Value();
    if (c.count() == 0) {
        setSlot(m, store, Stalled, Value::number(m.host().timer()));
        status(m, c.thisValue, "NetStream.Buffer.Empty", "status");
        return Value();
    }
    stopWaiting(m, store);
    status(m, c.thisValue, "NetStream.Buffer.Full", "status");
    return Value();
}

Value deliverEnd(NativeCall& c)
{
    Machine& m = c.machine;
    ArrayObject* store = storeOf(m, c.thisValue);
    if (!store)
        return Value();
    setSlot(m, store, Time, Value::number(number(store, Duration) / 1000));
    forgetPlaying(m, store, false);
    setSlot(m, store, StartedAt, Value());
    status(m, c.thisValue, "NetStream.Play.Stop", "status");
    return Value();
}

// The length the file's description gives, in ms; 0 when it gives none.
double toldDuration(const AmfValue& metadata)
{
    for (const auto& [name, member] : metadata.members)
        if (name == "duration" && member.type == AmfValue::Type::Number && std::isfinite(member.number))
            return std::clamp(member.number * 1000, 0.0, 1e12);
    return 0;
}

void deliverFiles(Machine& m, MediaHost& host)
{
    for (MediaHost::LoadedFile& part : host.takeFiles()) {
        const Value target = m.hostRoot(part.id);
        ArrayObject* store = storeOf(m, target);
        if (!store) {
            m.removeHostRoot(part.id);
            continue;
        }
        if (!store->dense(Load).isNumber() || std::uint64_t(number(store, Load)) != part.id)
            continue;
        std::unique_ptr<StreamFile>& file = host.streamFiles()[part.id];
        if (!file)
            file = std::make_unique<StreamFile>();
        const bool readable = file->append(part.bytes);
        const bool started = store->dense(StartedAt).isNumber();
        std::vector<Value> args {Value::number(double(part.id))};
        if (!readable || (part.done && (!part.ok || !file->headerRead()) && !started)) {
            // What never was a stream, or ended before it could play.
            if (!readable || part.ok)
                m.host().diagnostic("playing a stream failed: " + (readable ? std::string("it ends within its header") : file->error()));
            host.streamFiles().erase(part.id);
            host.cancelFile(part.id);
        } else {
            Value metadata;
            double told = 0;
            if (const auto body = file->metadata(); body && !store->dense(MetaSent).isBoolean()) {
                const std::vector<AmfValue> values = readAmf0Values(*body);
                metadata = toScript(m, values[1]);
                told = toldDuration(values[1]);
            }
            args.insert(args.end(), {Value::boolean(part.done), Value::number(double(file->size())), Value::number(file->reach().value_or(-1)),
                                     Value::number(told), metadata});
        }
        m.callFromHost(Value::object(m.newNative(deliverFile)), target, args);
    }
}

// The key a video knows its stream by: the stream's store, which lives
// as long as the stream object does.
std::uint64_t streamKey(ArrayObject* store)
{
    return std::uint64_t(reinterpret_cast<std::uintptr_t>(store));
}

// The stream's picture at its time, to each video still attached to it.
void showPictures(Machine& m, MediaHost& host, std::uint64_t id, ArrayObject* store)
{
    const auto found = host.streamFiles().find(id);
    const Value videos = store->dense(Videos);
    if (found == host.streamFiles().end() || !videos.isObject() || videos.asObject()->kind() != ObjectKind::Array)
        return;
    std::string error;
    const std::shared_ptr<const QImage> picture = found->second->pictureAt(timeOf(m, store) * 1000, error);
    if (!error.empty())
        m.host().diagnostic("playing a stream's video: " + error);
    auto* list = static_cast<ArrayObject*>(videos.asObject());
    for (std::size_t i = 0; i < list->denseSize(); ++i) {
        const Value clip = list->dense(i);
        if (!clip.isObject() || clip.asObject()->kind() != ObjectKind::Clip)
            continue;
        VideoInstance* video = m.host().video(static_cast<ClipObject*>(clip.asObject())->handle());
        if (video && video->streamKey() == streamKey(store) && picture)
            video->showStreamPicture(picture);
    }
}

} // namespace

void attachVideoTo(Machine& machine, const Value& stream, const Value& videoClip, VideoInstance& video)
{
    ArrayObject* store = storeOf(machine, stream);
    video.attachStream(store ? streamKey(store) : 0);
    if (!store)
        return;
    if (!store->dense(Videos).isObject())
        setSlot(machine, store, Videos, Value::object(machine.newArray({})));
    auto* list = static_cast<ArrayObject*>(store->dense(Videos).asObject());
    for (std::size_t i = 0; i < list->denseSize(); ++i)
        if (list->dense(i).isObject() && list->dense(i).asObject() == videoClip.asObject())
            return;
    list->push(machine, videoClip);
}

void attachAudioTo(Machine& machine, const Value& source, const Value& clip)
{
    MediaHost* host = machine.host().media();
    if (!host)
        return;
    ArrayObject* attached = storeOf(machine, source);
    // What the clip played before goes quiet, unless it is the stream
    // attached again.
    for (const std::uint64_t id : host->playingStreams())
        if (ArrayObject* store = storeOf(machine, machine.hostRoot(id)); store && store != attached) {
            const Value audio = store->dense(Audio);
            if (audio.isObject() && audio.asObject() == clip.asObject()) {
                setSlot(machine, store, Audio, Value::boolean(false));
                stopSound(machine, store);
            }
        }
    if (attached) {
        setSlot(machine, attached, Audio, clip);
        if (attached->dense(StartedAt).isNumber())
            restartSound(machine, attached);
    }
}

void deliverStreams(Machine& machine)
{
    MediaHost* host = machine.host().media();
    if (!host)
        return;
    // Loads a status handler starts again are answered in steps of the
    // reference player's interval, as many as the frame's time holds.
    static constexpr int kMaxRounds = 50;
    const double now = machine.host().timer();
    int rounds = 1;
    if (host->lastStreamRound() >= 0)
        rounds = std::clamp(int((now - host->lastStreamRound()) / kStatusInterval), 1, kMaxRounds);
    host->setLastStreamRound(now);
    for (int i = 0; i < rounds; ++i)
        deliverFiles(machine, *host);
    for (const std::uint64_t id : std::vector<std::uint64_t>(host->playingStreams())) {
        const Value target = machine.hostRoot(id);
        ArrayObject* store = storeOf(machine, target);
        if (!store) {
            std::erase(host->playingStreams(), id);
            host->endStreamSound(id, true);
            machine.removeHostRoot(id);
            continue;
        }
        showPictures(machine, *host, id, store);
        if (store->dense(Paused).isNumber()) {
            stopSound(machine, store);
            continue;
        }
        const double at = timeOf(machine, store) * 1000;
        if (!store->dense(Stalled).isNumber())
            feedSound(machine, *host, store, at);
        if (!arriving(store)) {
            if (at >= number(store, Duration))
                machine.callFromHost(Value::object(machine.newNative(deliverEnd)), target, {});
            continue;
        }
        // Playing waits for the file at what has arrived, and goes on once
        // its buffer time's worth more has come.
        const double ahead = number(store, Arrived) - at;
        if (!store->dense(Stalled).isNumber() && ahead <= 0)
            machine.callFromHost(Value::object(machine.newNative(deliverBuffer)), target, {});
        else if (store->dense(Stalled).isNumber() && ahead > 0 && ahead >= number(store, BufferTime) * 1000) {
            const Value resume[] {Value::boolean(true)};
            machine.callFromHost(Value::object(machine.newNative(deliverBuffer)), target, resume);
        }
    }
}

void installNetStreamClass(Machine& machine)
{
    Object* p = machine.newObject();
    defineClass(machine, "NetStream", netStreamConstructor, p, H | Swf6);
    constexpr std::pair<const char*, NativeFunction> kMethods[] {
        {"play", play}, {"pause", pauseMethod}, {"seek", seekMethod}, {"close", closeMethod}, {"setBufferTime", setBufferTime},
    };
    for (const auto& [name, native] : kMethods)
        defineMethod(machine, p, name, native);
    constexpr std::pair<const char*, StreamProperty> kProperties[] {
        {"time", TimeProperty}, {"bufferLength", BufferLength}, {"bufferTime", BufferTimeProperty},
        {"bytesLoaded", BytesLoaded}, {"bytesTotal", BytesTotal},
    };
    for (const auto& [name, property] : kProperties)
        defineAccessor(machine, p, name, propertyGetter, nullptr, HP, property);
}

} // namespace swf::script
