// MovieClip: the timeline and placement methods, each a call to the host
// on the clip the method runs on.

#include <algorithm>
#include <cmath>

#include "swf/script/ClipObject.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/NetStreamClass.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

ClipHandle thisClip(NativeCall& c)
{
    return c.machine.handleOf(c.thisObject());
}

Value clipResult(Machine& m, ClipHandle handle)
{
    return handle ? m.clipValue(handle) : Value();
}

int depthArgument(Machine& m, const Value& v)
{
    const double d = m.toInteger(v);
    return int(std::clamp(d, -2147483648.0, 2147483647.0));
}

void gotoFrame(NativeCall& c, bool play)
{
    Machine& m = c.machine;
    const ClipHandle clip = thisClip(c);
    if (!clip || c.count() == 0)
        return;
    const Value frame = c.arg(0);
    if (frame.isString()) {
        const double n = m.toNumber(frame);
        if (std::isfinite(n)) {
            if (n >= 1)
                m.host().gotoFrame(clip, int(std::min(n, 1e7)) - 1, play);
            return;
        }
        m.host().gotoLabel(clip, frame.asString()->view(), play);
        return;
    }
    const double n = m.toInteger(frame);
    if (n >= 1)
        m.host().gotoFrame(clip, int(std::min(n, 1e7)) - 1, play);
}

Value play(NativeCall& c)
{
    if (const ClipHandle clip = thisClip(c))
        c.machine.host().play(clip);
    return Value();
}

Value stop(NativeCall& c)
{
    if (const ClipHandle clip = thisClip(c))
        c.machine.host().stop(clip);
    return Value();
}

Value gotoAndPlay(NativeCall& c)
{
    gotoFrame(c, true);
    return Value();
}

Value gotoAndStop(NativeCall& c)
{
    gotoFrame(c, false);
    return Value();
}

Value nextFrame(NativeCall& c)
{
    if (const ClipHandle clip = thisClip(c))
        c.machine.host().nextFrame(clip);
    return Value();
}

Value prevFrame(NativeCall& c)
{
    if (const ClipHandle clip = thisClip(c))
        c.machine.host().previousFrame(clip);
    return Value();
}

// Copies an init object's properties onto a new clip.
void initialize(Machine& m, ClipHandle clip, const Value& init)
{
    Object* from = init.objectOrNull();
    Object* to = m.clipObject(clip);
    if (!from || !to)
        return;
    std::vector<Value> keys;
    m.enumerate(from, keys);
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
        String* key = m.toKey(*it);
        // What the version hides from reading is copied all the same.
        const Property* own = from->properties().find(key, m.caseSensitive());
        m.set(to, key, own && !own->isAccessor() ? own->value : m.get(from, key));
    }
}

Value attachMovie(NativeCall& c)
{
    Machine& m = c.machine;
    const ClipHandle parent = thisClip(c);
    if (!parent || c.count() < 3)
        return Value();
    const std::string exportName = m.toStdString(c.arg(0));
    const std::string name = m.toStdString(c.arg(1));
    // Before version 7 the init object reaches the clip before what its
    // first frame holds: a size it sets scales an empty clip.
    const bool initFirst = m.version() < 7;
    const ClipHandle clip = m.host().attachMovie(parent, exportName, name, depthArgument(m, c.arg(2)), initFirst);
    if (!clip)
        return Value();
    initialize(m, clip, c.arg(3));
    if (initFirst)
        m.host().fillFirstFrame(clip);
    m.initializeClip(clip, exportName);
    return clipResult(m, clip);
}

Value createEmptyMovieClip(NativeCall& c)
{
    Machine& m = c.machine;
    const ClipHandle parent = thisClip(c);
    if (!parent || c.count() < 2)
        return Value();
    const ClipHandle clip = m.host().createEmptyMovieClip(parent, m.toStdString(c.arg(0)), depthArgument(m, c.arg(1)));
    const Value made = clipResult(m, clip);
    // The new clip hears onConstruct at once, when it has one (the
    // reference player's hook, reached through MovieClip.prototype).
    if (Object* object = made.objectOrNull()) {
        const Value hook = m.get(object, m.intern("onConstruct"));
        if (Object* fn = hook.objectOrNull(); fn && fn->isFunction())
            m.call(hook, made, {});
    }
    return made;
}

Value duplicateMovieClip(NativeCall& c)
{
    Machine& m = c.machine;
    const ClipHandle source = thisClip(c);
    if (!source || c.count() < 2)
        return Value();
    const ClipHandle clip = m.host().duplicateMovieClip(source, m.toStdString(c.arg(0)), depthArgument(m, c.arg(1)));
    if (!clip)
        return Value();
    initialize(m, clip, c.arg(2));
    return clipResult(m, clip);
}

Value removeMovieClip(NativeCall& c)
{
    if (const ClipHandle clip = thisClip(c))
        c.machine.host().removeMovieClip(clip);
    return Value();
}

Value swapDepths(NativeCall& c)
{
    Machine& m = c.machine;
    const ClipHandle clip = thisClip(c);
    if (!clip || c.count() == 0)
        return Value();
    if (Object* other = c.arg(0).objectOrNull()) {
        if (const ClipHandle h = m.handleOf(other))
            m.host().swapDepthsWith(clip, h);
        return Value();
    }
    if (c.arg(0).isString()) {
        if (const ClipHandle h = m.handleOf(m.resolvePath(c.thisObject(), c.arg(0).asString()->view())))
            m.host().swapDepthsWith(clip, h);
        return Value();
    }
    const double depth = m.toNumber(c.arg(0));
    if (std::isfinite(depth))
        m.host().swapDepths(clip, depthArgument(m, c.arg(0)));
    return Value();
}

// An object or a target path; anything else (null, undefined) ends the
// mask.
Value setMask(NativeCall& c)
{
    Machine& m = c.machine;
    const ClipHandle clip = thisClip(c);
    if (!clip)
        return Value();
    ClipHandle mask;
    if (Object* other = c.arg(0).objectOrNull())
        mask = m.handleOf(other);
    else if (c.arg(0).isString())
        mask = m.handleOf(m.resolvePath(c.thisObject(), c.arg(0).asString()->view()));
    m.host().setMask(clip, mask);
    return Value();
}

// A number the host keeps for the clip, undefined when `this` is none.
template <auto Read>
Value clipNumber(NativeCall& c)
{
    const ClipHandle clip = thisClip(c);
    return clip ? Value::number(double((c.machine.host().*Read)(clip))) : Value();
}

// The version of the movie the clip came from; -1 for what is no clip.
Value getSwfVersion(NativeCall& c)
{
    const ClipHandle clip = thisClip(c);
    return Value::number(clip ? double(c.machine.host().swfVersion(clip)) : -1.0);
}

Value getInstanceAtDepth(NativeCall& c)
{
    Machine& m = c.machine;
    const ClipHandle clip = thisClip(c);
    // Endless depths wrap as integers do, to 0; undefined names none.
    if (!clip || c.count() == 0 || c.arg(0).isUndefined())
        return Value();
    return clipResult(m, m.host().instanceAtDepth(clip, m.toInt32(c.arg(0))));
}

Value getBounds(NativeCall& c)
{
    Machine& m = c.machine;
    const ClipHandle clip = thisClip(c);
    if (!clip)
        return Value();
    ClipHandle space = clip;
    if (c.count() > 0) {
        space = m.handleOf(m.resolveTarget(c.thisObject(), c.arg(0)));
        if (!space)
            return Value();
    }
    const HostRect r = m.host().bounds(clip, space);
    // A bare object, as the reference player's: it has no toString.
    Object* o = m.newObject(nullptr);
    m.set(o, "xMin", Value::number(r.xMin));
    m.set(o, "xMax", Value::number(r.xMax));
    m.set(o, "yMin", Value::number(r.yMin));
    m.set(o, "yMax", Value::number(r.yMax));
    return Value::object(o);
}

Value hitTest(NativeCall& c)
{
    Machine& m = c.machine;
    const ClipHandle clip = thisClip(c);
    if (!clip || c.count() == 0)
        return Value::boolean(false);
    if (c.count() >= 2) {
        const double x = m.toNumber(c.arg(0));
        const double y = m.toNumber(c.arg(1));
        return Value::boolean(m.host().hitTestPoint(clip, x, y, m.toBoolean(c.arg(2))));
    }
    const ClipHandle other = m.handleOf(m.resolveTarget(c.thisObject(), c.arg(0)));
    return Value::boolean(other && m.host().hitTestClip(clip, other));
}

Value convertPoint(NativeCall& c, bool toGlobal)
{
    Machine& m = c.machine;
    const ClipHandle clip = thisClip(c);
    Object* point = c.arg(0).objectOrNull();
    if (!clip || !point)
        return Value();
    // Only a point that holds two numbers of its own is converted, read
    // and written in place whatever their flags say; values on its
    // prototype and accessors leave it as it was.
    Property* px = point->properties().find(m.intern("x"), m.caseSensitive());
    Property* py = point->properties().find(m.intern("y"), m.caseSensitive());
    if (!px || !py || px->isAccessor() || py->isAccessor() || !px->value.isNumber() || !py->value.isNumber())
        return Value();
    // The reference player holds the point in 32-bit twips, which wrap.
    const auto twips = [](double v) {
        if (!std::isfinite(v))
            return 0.0;
        double t = std::fmod(std::trunc(v * 20), 4294967296.0);
        if (t >= 2147483648.0)
            t -= 4294967296.0;
        else if (t < -2147483648.0)
            t += 4294967296.0;
        return t / 20;
    };
    const HostPoint in {twips(px->value.asNumber()), twips(py->value.asNumber())};
    const HostPoint out = toGlobal ? m.host().localToGlobal(clip, in) : m.host().globalToLocal(clip, in);
    px->value = Value::number(out.x);
    py->value = Value::number(out.y);
    return Value();
}

Value localToGlobal(NativeCall& c)
{
    return convertPoint(c, true);
}

Value globalToLocal(NativeCall& c)
{
    return convertPoint(c, false);
}

Value startDrag(NativeCall& c)
{
    Machine& m = c.machine;
    const ClipHandle clip = thisClip(c);
    if (!clip)
        return Value();
    std::optional<HostRect> constraint;
    if (c.count() >= 5) {
        constraint = HostRect {m.toNumber(c.arg(1)), m.toNumber(c.arg(2)), m.toNumber(c.arg(3)), m.toNumber(c.arg(4))};
    }
    m.host().startDrag(clip, m.toBoolean(c.arg(0)), constraint);
    return Value();
}

Value stopDrag(NativeCall& c)
{
    c.machine.host().stopDrag();
    return Value();
}

UrlMethod methodArgument(Machine& m, const Value& v)
{
    if (v.isUndefined())
        return UrlMethod::None;
    const std::string text = m.toStdString(v);
    if (text.size() == 3 && (text[0] == 'G' || text[0] == 'g'))
        return UrlMethod::Get;
    if (text.size() == 4 && (text[0] == 'P' || text[0] == 'p'))
        return UrlMethod::Post;
    return UrlMethod::None;
}

Value loadMovie(NativeCall& c)
{
    Machine& m = c.machine;
    if (const ClipHandle clip = thisClip(c))
        m.host().loadMovie(clip, -1, m.toStdString(c.arg(0)), methodArgument(m, c.arg(1)));
    return Value();
}

Value unloadMovie(NativeCall& c)
{
    if (const ClipHandle clip = thisClip(c))
        c.machine.host().loadMovie(clip, -1, "", UrlMethod::None);
    return Value();
}

Value loadVariables(NativeCall& c)
{
    Machine& m = c.machine;
    if (const ClipHandle clip = thisClip(c))
        m.host().loadVariables(clip, -1, m.toStdString(c.arg(0)), methodArgument(m, c.arg(1)));
    return Value();
}

Value getUrl(NativeCall& c)
{
    Machine& m = c.machine;
    const std::string url = m.toStdString(c.arg(0));
    const std::string window = c.arg(1).isUndefined() ? std::string() : m.toStdString(c.arg(1));
    if (url.size() >= 10 && (url.compare(0, 10, "FSCommand:") == 0 || url.compare(0, 10, "fscommand:") == 0)) {
        m.host().fsCommand(std::string_view(url).substr(10), window);
        return Value();
    }
    m.host().getUrl(url, window, methodArgument(m, c.arg(2)));
    return Value();
}

Value movieClipConstructor(NativeCall&)
{
    return Value();
}

Value attachAudio(NativeCall& c)
{
    if (Object* self = c.thisObject(); self && self->kind() == ObjectKind::Clip)
        attachAudioTo(c.machine, c.arg(0), c.thisValue);
    return Value();
}

} // namespace

void installMovieClipClass(Machine& machine)
{
    Builtins& b = machine.builtins();
    b.movieClipPrototype = machine.newObject();
    Object* p = b.movieClipPrototype;
    b.movieClipConstructor = defineClass(machine, "MovieClip", movieClipConstructor, p, H, HP);
    struct Entry {
        const char* name;
        NativeFunction native;
        std::uint32_t flags = HP;
    };
    // Methods added after version 5 are hidden from the movies before.
    static const Entry kMethods[] {
        {"play", play}, {"stop", stop}, {"gotoAndPlay", gotoAndPlay}, {"gotoAndStop", gotoAndStop}, {"nextFrame", nextFrame},
        {"prevFrame", prevFrame}, {"attachMovie", attachMovie}, {"createEmptyMovieClip", createEmptyMovieClip, HP | Swf6},
        {"duplicateMovieClip", duplicateMovieClip}, {"removeMovieClip", removeMovieClip}, {"swapDepths", swapDepths},
        {"getDepth", clipNumber<&Host::depth>, HP | Swf6}, {"getNextHighestDepth", clipNumber<&Host::nextHighestDepth>, HP | Swf7},
        {"getInstanceAtDepth", getInstanceAtDepth, HP | Swf7}, {"getBounds", getBounds}, {"getBytesLoaded", clipNumber<&Host::bytesLoaded>},
        {"getBytesTotal", clipNumber<&Host::bytesTotal>}, {"hitTest", hitTest}, {"localToGlobal", localToGlobal}, {"globalToLocal", globalToLocal},
        {"startDrag", startDrag}, {"stopDrag", stopDrag}, {"loadMovie", loadMovie}, {"unloadMovie", unloadMovie},
        {"loadVariables", loadVariables}, {"getURL", getUrl}, {"setMask", setMask, HP | Swf6},
        {"getSWFVersion", getSwfVersion},
    };
    int index = 0;
    for (const Entry& e : kMethods) {
        defineMethod(machine, p, e.name, e.native, e.flags);
        registerNative(machine, 900, index++, e.native);
    }
    defineMethod(machine, p, "attachAudio", attachAudio, HP | Swf6);
}

} // namespace swf::script
