// flash.geom.Transform: a clip's placement and colour as geometry objects.
// It keeps the clip inside, out of script's reach; every read asks the
// host afresh, and every write goes straight to the clip. It keeps the clip
// itself, not its path: once that clip is gone, a new one at the same path
// is not it.

#include "swf/script/ClipObject.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"
#include "swf/script/classes/ColorTransformValues.h"
#include "swf/script/classes/Geometry.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

constexpr const char* kTerms[] {"a", "b", "c", "d", "tx", "ty"};

// Its natives answer code of version 8 and later only; before, a
// Transform reads as undefined throughout.
ClipHandle clipOf(Machine& m, const Value& transform)
{
    Object* o = transform.objectOrNull();
    if (!o || o->kind() != ObjectKind::Plain)
        return {};
    Object* clip = o->primitive().objectOrNull();
    return clip && clip->kind() == ObjectKind::Clip && m.host().alive(static_cast<ClipObject*>(clip)->handle())
        ? static_cast<ClipObject*>(clip)->handle()
        : ClipHandle();
}

Value matrixValue(Machine& m, const HostMatrix& t)
{
    const Value args[] {Value::number(t.a), Value::number(t.b), Value::number(t.c), Value::number(t.d), Value::number(t.tx),
                        Value::number(t.ty)};
    return constructGeometry(m, "Matrix", args);
}

Value transformConstructor(NativeCall& c)
{
    if (c.machine.version() < 8)
        return Value();
    Object* self = c.thisObject();
    // A reference to a clip since removed finds the clip now at its path.
    ClipObject* clip = c.machine.resolveClip(c.arg(0).objectOrNull());
    if (self && clip)
        self->setPrimitive(Value::object(clip));
    return Value();
}

// Tags: 0 matrix, 1 concatenatedMatrix.
Value matrixGetter(NativeCall& c)
{
    if (c.machine.version() < 8)
        return Value();
    Machine& m = c.machine;
    const ClipHandle clip = clipOf(m, c.thisValue);
    const std::optional<HostMatrix> t = clip ? m.host().matrix(clip, c.callee->tag() == 1) : std::nullopt;
    return t ? matrixValue(m, *t) : Value();
}

Value matrixSetter(NativeCall& c)
{
    if (c.machine.version() < 8)
        return Value();
    Machine& m = c.machine;
    const ClipHandle clip = clipOf(m, c.thisValue);
    if (!clip || !c.arg(0).isObject())
        return Value();
    double terms[6];
    for (std::size_t i = 0; i < 6; ++i)
        terms[i] = m.toNumber(m.get(c.arg(0), m.intern(kTerms[i])));
    m.host().setMatrix(clip, {terms[0], terms[1], terms[2], terms[3], terms[4], terms[5]});
    return Value();
}

// Tags: 0 colorTransform, 1 concatenatedColorTransform.
Value colorGetter(NativeCall& c)
{
    if (c.machine.version() < 8)
        return Value();
    Machine& m = c.machine;
    const ClipHandle clip = clipOf(m, c.thisValue);
    const std::optional<HostColorTransform> t = clip ? m.host().colorTransform(clip, c.callee->tag() == 1) : std::nullopt;
    return t ? makeColorTransform(m, *t) : Value();
}

Value colorSetter(NativeCall& c)
{
    if (c.machine.version() < 8)
        return Value();
    Machine& m = c.machine;
    const ClipHandle clip = clipOf(m, c.thisValue);
    const std::optional<HostColorTransform> t = colorTransformOf(c.arg(0));
    if (clip && t)
        m.host().setColorTransform(clip, *t);
    return Value();
}

Value pixelBoundsGetter(NativeCall& c)
{
    if (c.machine.version() < 8)
        return Value();
    Machine& m = c.machine;
    const ClipHandle clip = clipOf(m, c.thisValue);
    if (!clip)
        return Value();
    const HostRect r = m.host().bounds(clip, m.host().root(0));
    const Value args[] {Value::number(r.xMin), Value::number(r.yMin), Value::number(r.xMax - r.xMin), Value::number(r.yMax - r.yMin)};
    return constructGeometry(m, "Rectangle", args);
}

// MovieClip.transform: a new Transform each read; a write takes the
// given one's placement and colour.
Value clipTransformGetter(NativeCall& c)
{
    if (c.machine.version() < 8)
        return Value();
    if (!c.thisObject() || c.thisObject()->kind() != ObjectKind::Clip)
        return Value();
    const Value args[] {c.thisValue};
    return constructGeometry(c.machine, "Transform", args);
}

Value clipTransformSetter(NativeCall& c)
{
    if (c.machine.version() < 8)
        return Value();
    Machine& m = c.machine;
    const ClipHandle clip = m.handleOf(c.thisObject());
    const ClipHandle from = clipOf(m, c.arg(0));
    if (!clip || !from)
        return Value();
    if (const std::optional<HostMatrix> t = m.host().matrix(from, false))
        m.host().setMatrix(clip, *t);
    if (const std::optional<HostColorTransform> t = m.host().colorTransform(from, false))
        m.host().setColorTransform(clip, *t);
    return Value();
}

} // namespace

void installTransformClass(Machine& machine)
{
    Object* p = machine.newObject();
    Function* transform = defineClass(machine, "", transformConstructor, p);
    machine.define(geometryPackage(machine), "Transform", Value::object(transform));
    defineAccessor(machine, p, "matrix", matrixGetter, matrixSetter, 0, 0);
    defineAccessor(machine, p, "concatenatedMatrix", matrixGetter, nullptr, 0, 1);
    defineAccessor(machine, p, "colorTransform", colorGetter, colorSetter, 0, 0);
    defineAccessor(machine, p, "concatenatedColorTransform", colorGetter, nullptr, 0, 1);
    defineAccessor(machine, p, "pixelBounds", pixelBoundsGetter, nullptr);
    if (Object* clips = machine.builtins().movieClipPrototype)
        defineAccessor(machine, clips, "transform", clipTransformGetter, clipTransformSetter, HP | Swf8);
}

} // namespace swf::script
