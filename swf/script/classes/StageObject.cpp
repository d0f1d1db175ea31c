// Stage: the movie's stage as script sees it. align and scaleMode keep
// what the movie set, in the reference player's spelling; width and height
// are the stage's own size in pixels, or under "noScale" the size of the
// area the movie is shown in. displayState takes the movie full screen and
// back where the player lets it. It broadcasts to listeners as an
// AsBroadcaster does: onResize when the shown area changes under
// "noScale", onFullScreen(state) after going full screen or back.

#include <algorithm>
#include <cctype>
#include <span>
#include <vector>

#include "swf/script/ArrayObject.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

// Hidden properties of _global hold the stage's state: it is the
// player's, whatever object a native is called on.
constexpr const char* kAlignKey = "\x01" "align";
constexpr const char* kScaleModeKey = "\x01" "scaleMode";

// "TRLB" and any other mix of letters: the edges named, in the order L T R B.
std::string normalizeAlign(std::string_view text)
{
    std::string out;
    for (const char edge : {'L', 'T', 'R', 'B'})
        for (char c : text)
            if (c == edge || c == edge + ('a' - 'A')) {
                out += edge;
                break;
            }
    return out;
}

Value stored(NativeCall& c, const char* key, const char* fallback)
{
    Machine& m = c.machine;
    Value v;
    if (m.getIfPresent(m.global(), m.intern(key), v))
        return v;
    return m.stringValue(fallback);
}

void store(NativeCall& c, const char* key, const Value& value)
{
    c.machine.define(c.machine.global(), key, value, HP);
}

Value alignGetter(NativeCall& c)
{
    return stored(c, kAlignKey, "");
}

Value alignSetter(NativeCall& c)
{
    store(c, kAlignKey, c.machine.stringValue(normalizeAlign(c.machine.toString(c.arg(0))->view())));
    return Value();
}

Value scaleModeGetter(NativeCall& c)
{
    return stored(c, kScaleModeKey, "showAll");
}

Value scaleModeSetter(NativeCall& c)
{
    // Only the four modes the player knows are taken, however spelled.
    constexpr const char* kModes[] {"exactFit", "noBorder", "noScale", "showAll"};
    const std::string asked = c.machine.toStdString(c.arg(0));
    for (const char* mode : kModes)
        if (asked.size() == std::string_view(mode).size()
            && std::equal(asked.begin(), asked.end(), mode, [](char a, char b) { return std::tolower(a) == std::tolower(b); }))
            store(c, kScaleModeKey, c.machine.stringValue(mode));
    return Value();
}

bool showsUnscaled(Machine& m)
{
    Value mode;
    return m.getIfPresent(m.global(), m.intern(kScaleModeKey), mode) && m.toStdString(mode) == "noScale";
}

Value sizeGetter(NativeCall& c)
{
    Host& host = c.machine.host();
    const HostRect area = showsUnscaled(c.machine) ? host.viewArea() : host.stageArea();
    return Value::number(c.callee->tag() ? area.yMax - area.yMin : area.xMax - area.xMin);
}

void broadcast(Machine& m, const char* message, std::span<const Value> args = {})
{
    const Value stage = m.get(m.global(), "Stage");
    if (!stage.isObject())
        return;
    std::vector<Value> all {m.stringValue(message)};
    all.insert(all.end(), args.begin(), args.end());
    m.callMethod(stage, m.intern("broadcastMessage"), all);
}

Value displayStateGetter(NativeCall& c)
{
    return c.machine.stringValue(c.machine.host().fullScreen() ? "fullScreen" : "normal");
}

Value displayStateSetter(NativeCall& c)
{
    Machine& m = c.machine;
    std::string asked = m.toStdString(c.arg(0));
    std::transform(asked.begin(), asked.end(), asked.begin(), [](unsigned char ch) { return char(std::tolower(ch)); });
    if (asked != "fullscreen" && asked != "normal")
        return Value();
    setStageFullScreen(m, asked == "fullscreen");
    return Value();
}

} // namespace

void stageViewChanged(Machine& machine)
{
    if (showsUnscaled(machine))
        broadcast(machine, "onResize");
}

void setStageFullScreen(Machine& machine, bool on)
{
    if (on == machine.host().fullScreen() || !machine.host().setFullScreen(on))
        return;
    stageViewChanged(machine);
    const Value state = Value::boolean(on);
    broadcast(machine, "onFullScreen", std::span(&state, 1));
}

void installStageObject(Machine& machine)
{
    Object* stage = machine.newObject();
    machine.define(machine.global(), "Stage", Value::object(stage), H);
    defineAccessor(machine, stage, "align", alignGetter, alignSetter);
    defineAccessor(machine, stage, "scaleMode", scaleModeGetter, scaleModeSetter);
    registerNative(machine, 666, 1, scaleModeGetter);
    registerNative(machine, 666, 2, scaleModeSetter);
    defineAccessor(machine, stage, "width", sizeGetter, nullptr, 0, 0);
    defineAccessor(machine, stage, "height", sizeGetter, nullptr, 0, 1);
    defineAccessor(machine, stage, "displayState", displayStateGetter, displayStateSetter, Swf7);
    machine.define(stage, "showMenu", Value::boolean(true));
    // Listeners, as initialize() gives them: the broadcaster's own add and
    // remove, and a broadcastMessage of its own.
    if (Object* broadcaster = machine.builtins().asBroadcaster) {
        for (const char* name : {"addListener", "removeListener"})
            if (const Property* p = broadcaster->properties().find(machine.intern(name), true))
                machine.define(stage, name, p->value, HP);
        if (Function* broadcast = lookupNative(machine, 101, 12))
            machine.define(stage, "broadcastMessage", Value::object(broadcast), HP);
        machine.define(stage, machine.names().listeners, Value::object(machine.newArray()), HP);
    }
}

} // namespace swf::script
