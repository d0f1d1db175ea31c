// Color: the older way to a clip's colour transform, in percentages and
// offsets. The clip is found again from `target` on every call, so a
// Color made for a path follows whatever clip is there now.

#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

constexpr std::uint32_t kLocked = PropertyFlag::DontEnum | PropertyFlag::DontDelete | PropertyFlag::ReadOnly;

// The reference player locks everything its Color script makes.
void lockAll(Object* object)
{
    for (Property& p : object->properties())
        p.flags |= kLocked;
    object->setPrototypeFlags(object->prototypeFlags() | kLocked);
}

ClipHandle targetClip(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self)
        return {};
    const Value target = m.get(self, "target");
    if (target.isNullish())
        return {};
    Object* base = m.currentFrame() ? m.currentFrame()->target : nullptr;
    return m.handleOf(m.resolveTarget(base, target));
}

Value colorConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self)
        return Value();
    m.set(self, "target", c.arg(0));
    lockAll(self);
    return Value();
}

Value setRGB(NativeCall& c)
{
    Host& host = c.machine.host();
    const ClipHandle clip = targetClip(c);
    std::optional<HostColorTransform> t = clip ? host.colorTransform(clip, false) : std::nullopt;
    if (!t)
        return Value();
    const std::uint32_t rgb = c.machine.toUInt32(c.arg(0));
    t->redMultiplier = t->greenMultiplier = t->blueMultiplier = 0;
    t->redOffset = (rgb >> 16) & 0xFF;
    t->greenOffset = (rgb >> 8) & 0xFF;
    t->blueOffset = rgb & 0xFF;
    host.setColorTransform(clip, *t);
    return Value();
}

Value getRGB(NativeCall& c)
{
    const ClipHandle clip = targetClip(c);
    const std::optional<HostColorTransform> t = clip ? c.machine.host().colorTransform(clip, false) : std::nullopt;
    if (!t)
        return Value();
    const auto channel = [](double offset) { return std::uint32_t(std::int64_t(offset) & 0xFF); };
    return Value::number(double(channel(t->redOffset) << 16 | channel(t->greenOffset) << 8 | channel(t->blueOffset)));
}

// The keys of setTransform and getTransform: multipliers in percent,
// offsets as they are.
struct Key {
    const char* name;
    double HostColorTransform::*term;
    double scale;
};
constexpr Key kKeys[] {
    {"ra", &HostColorTransform::redMultiplier, 100},  {"rb", &HostColorTransform::redOffset, 1},
    {"ga", &HostColorTransform::greenMultiplier, 100}, {"gb", &HostColorTransform::greenOffset, 1},
    {"ba", &HostColorTransform::blueMultiplier, 100}, {"bb", &HostColorTransform::blueOffset, 1},
    {"aa", &HostColorTransform::alphaMultiplier, 100}, {"ab", &HostColorTransform::alphaOffset, 1},
};

Value setTransform(NativeCall& c)
{
    Machine& m = c.machine;
    const ClipHandle clip = targetClip(c);
    std::optional<HostColorTransform> t = clip ? m.host().colorTransform(clip, false) : std::nullopt;
    Object* from = c.arg(0).objectOrNull();
    if (!t || !from)
        return Value();
    for (const Key& key : kKeys) {
        Value v;
        if (m.getIfPresent(from, m.intern(key.name), v))
            (*t).*key.term = m.toNumber(v) / key.scale;
    }
    m.host().setColorTransform(clip, *t);
    return Value();
}

Value getTransform(NativeCall& c)
{
    Machine& m = c.machine;
    const ClipHandle clip = targetClip(c);
    const std::optional<HostColorTransform> t = clip ? m.host().colorTransform(clip, false) : std::nullopt;
    if (!t)
        return Value();
    Object* result = m.newObject();
    for (const Key& key : kKeys)
        m.set(result, key.name, Value::number((*t).*key.term * key.scale));
    return Value::object(result);
}

} // namespace

void installColorClass(Machine& machine)
{
    Object* p = machine.newObject();
    defineClass(machine, "Color", colorConstructor, p);
    constexpr std::pair<const char*, NativeFunction> kMethods[] {
        {"setRGB", setRGB}, {"setTransform", setTransform}, {"getRGB", getRGB}, {"getTransform", getTransform}};
    int index = 0;
    for (const auto& [name, native] : kMethods) {
        defineMethod(machine, p, name, native);
        registerNative(machine, 700, index++, native);
    }
    lockAll(p);
}

} // namespace swf::script
