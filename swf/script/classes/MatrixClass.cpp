// flash.geom.Matrix: the six terms as plain properties. A point maps to
// (a*x + c*y + tx, b*x + d*y + ty); every operation applies after what
// the matrix already does.

#include <array>
#include <cmath>

#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"
#include "swf/script/classes/Geometry.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

constexpr const char* kTerms[] {"a", "b", "c", "d", "tx", "ty"};

struct Terms {
    double a, b, c, d, tx, ty;
};

Terms read(Machine& m, const Value& of)
{
    std::array<double, 6> t {};
    for (std::size_t i = 0; i < t.size(); ++i)
        t[i] = m.toNumber(m.get(of, m.intern(kTerms[i])));
    return {t[0], t[1], t[2], t[3], t[4], t[5]};
}

void write(Machine& m, const Value& of, const Terms& t)
{
    Object* o = of.objectOrNull();
    if (!o)
        return;
    const double values[] {t.a, t.b, t.c, t.d, t.tx, t.ty};
    for (std::size_t i = 0; i < 6; ++i)
        m.set(o, kTerms[i], Value::number(values[i]));
}

// `second` applied after `first`.
Terms then(const Terms& first, const Terms& second)
{
    return {first.a * second.a + first.b * second.c,
            first.a * second.b + first.b * second.d,
            first.c * second.a + first.d * second.c,
            first.c * second.b + first.d * second.d,
            first.tx * second.a + first.ty * second.c + second.tx,
            first.tx * second.b + first.ty * second.d + second.ty};
}

Value point(Machine& m, double x, double y)
{
    const Value args[] {Value::number(x), Value::number(y)};
    return constructGeometry(m, "Point", args);
}

Value matrixConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self)
        return Value();
    if (c.count() == 0) {
        m.callMethod(c.thisValue, m.intern("identity"), {});
        return Value();
    }
    for (std::size_t i = 0; i < 6; ++i)
        m.set(self, kTerms[i], c.arg(i));
    return Value();
}

Value toStringMethod(NativeCall& c)
{
    Machine& m = c.machine;
    std::string text = "(";
    for (std::size_t i = 0; i < 6; ++i) {
        text += i ? ", " : "";
        text += kTerms[i];
        text += '=';
        text += scriptText(m, m.get(c.thisValue, m.intern(kTerms[i])));
    }
    return m.stringValue(text + ")");
}

Value cloneMethod(NativeCall& c)
{
    Machine& m = c.machine;
    std::array<Value, 6> args;
    for (std::size_t i = 0; i < 6; ++i)
        args[i] = m.get(c.thisValue, m.intern(kTerms[i]));
    return constructGeometry(m, "Matrix", args);
}

Value identityMethod(NativeCall& c)
{
    write(c.machine, c.thisValue, {1, 0, 0, 1, 0, 0});
    return Value();
}

Value concatMethod(NativeCall& c)
{
    Machine& m = c.machine;
    write(m, c.thisValue, then(read(m, c.thisValue), read(m, c.arg(0))));
    return Value();
}

Value invertMethod(NativeCall& c)
{
    Machine& m = c.machine;
    const Terms t = read(m, c.thisValue);
    const double det = t.a * t.d - t.b * t.c;
    const double a = t.d / det;
    const double b = -t.b / det;
    const double cc = -t.c / det;
    const double d = t.a / det;
    write(m, c.thisValue, {a, b, cc, d, -(a * t.tx + cc * t.ty), -(b * t.tx + d * t.ty)});
    return Value();
}

Value rotateMethod(NativeCall& c)
{
    Machine& m = c.machine;
    const double angle = m.toNumber(c.arg(0));
    const double cs = std::cos(angle);
    const double sn = std::sin(angle);
    write(m, c.thisValue, then(read(m, c.thisValue), {cs, sn, -sn, cs, 0, 0}));
    return Value();
}

Value scaleMethod(NativeCall& c)
{
    Machine& m = c.machine;
    write(m, c.thisValue, then(read(m, c.thisValue), {m.toNumber(c.arg(0)), 0, 0, m.toNumber(c.arg(1)), 0, 0}));
    return Value();
}

Value translateMethod(NativeCall& c)
{
    Machine& m = c.machine;
    Terms t = read(m, c.thisValue);
    t.tx += m.toNumber(c.arg(0));
    t.ty += m.toNumber(c.arg(1));
    write(m, c.thisValue, t);
    return Value();
}

// createBox(scaleX, scaleY, rotation, tx, ty) and createGradientBox
// (width, height, rotation, tx, ty), where a gradient's square of 1638.4
// twips is scaled to the box and its centre moved to the box's.
Value createBoxMethod(NativeCall& c)
{
    Machine& m = c.machine;
    const bool gradient = c.callee && c.callee->tag() == 1;
    const double w = m.toNumber(c.arg(0));
    const double h = m.toNumber(c.arg(1));
    const double angle = c.count() > 2 ? m.toNumber(c.arg(2)) : 0;
    const double tx = c.count() > 3 ? m.toNumber(c.arg(3)) : 0;
    const double ty = c.count() > 4 ? m.toNumber(c.arg(4)) : 0;
    const double sx = gradient ? w / 1638.4 : w;
    const double sy = gradient ? h / 1638.4 : h;
    const double cs = std::cos(angle);
    const double sn = std::sin(angle);
    write(m, c.thisValue, {cs * sx, sn * sy, -sn * sx, cs * sy, gradient ? tx + w / 2 : tx, gradient ? ty + h / 2 : ty});
    return Value();
}

Value transformPointMethod(NativeCall& c)
{
    Machine& m = c.machine;
    const Terms t = read(m, c.thisValue);
    const double x = m.toNumber(m.get(c.arg(0), m.intern("x")));
    const double y = m.toNumber(m.get(c.arg(0), m.intern("y")));
    const bool delta = c.callee && c.callee->tag() == 1;
    return point(m, t.a * x + t.c * y + (delta ? 0 : t.tx), t.b * x + t.d * y + (delta ? 0 : t.ty));
}

} // namespace

void installMatrixClass(Machine& machine)
{
    Object* p = machine.newObject();
    Function* matrix = defineClass(machine, "", matrixConstructor, p);
    machine.define(geometryPackage(machine), "Matrix", Value::object(matrix));
    defineScriptMethod(machine, p, "clone", cloneMethod);
    defineScriptMethod(machine, p, "concat", concatMethod);
    defineScriptMethod(machine, p, "createBox", createBoxMethod);
    defineScriptMethod(machine, p, "createGradientBox", createBoxMethod, 0, 1);
    defineScriptMethod(machine, p, "deltaTransformPoint", transformPointMethod, 0, 1);
    defineScriptMethod(machine, p, "identity", identityMethod);
    defineScriptMethod(machine, p, "invert", invertMethod);
    defineScriptMethod(machine, p, "rotate", rotateMethod);
    defineScriptMethod(machine, p, "scale", scaleMethod);
    defineScriptMethod(machine, p, "toString", toStringMethod);
    defineScriptMethod(machine, p, "transformPoint", transformPointMethod);
    defineScriptMethod(machine, p, "translate", translateMethod);
}

} // namespace swf::script
