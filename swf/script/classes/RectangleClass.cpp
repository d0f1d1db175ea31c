// flash.geom.Rectangle: x, y, width and height as plain properties; the
// edges and corners are read and written through them.

#include <algorithm>

#include "swf/script/Equality.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"
#include "swf/script/classes/Geometry.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

Value field(Machine& m, const Value& of, const char* name)
{
    return m.get(of, m.intern(name));
}

double number(Machine& m, const Value& of, const char* name)
{
    return m.toNumber(field(m, of, name));
}

void put(Machine& m, const Value& of, const char* name, const Value& value)
{
    if (Object* o = of.objectOrNull())
        m.set(o, name, value);
}

void putNumber(Machine& m, const Value& of, const char* name, double value)
{
    put(m, of, name, Value::number(value));
}

Value rectangle(Machine& m, const Value& x, const Value& y, const Value& width, const Value& height)
{
    const Value args[] {x, y, width, height};
    return constructGeometry(m, "Rectangle", args);
}

Value point(Machine& m, double x, double y)
{
    const Value args[] {Value::number(x), Value::number(y)};
    return constructGeometry(m, "Point", args);
}

Value rightOf(Machine& m, const Value& r)
{
    return scriptAdd(m, field(m, r, "x"), field(m, r, "width"));
}

Value bottomOf(Machine& m, const Value& r)
{
    return scriptAdd(m, field(m, r, "y"), field(m, r, "height"));
}

void setEmpty(Machine& m, const Value& self)
{
    for (const char* name : {"x", "y", "width", "height"})
        putNumber(m, self, name, 0);
}

Value rectangleConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    if (!c.thisObject())
        return Value();
    if (c.count() == 0) {
        m.callMethod(c.thisValue, m.intern("setEmpty"), {});
        return Value();
    }
    put(m, c.thisValue, "x", c.arg(0));
    put(m, c.thisValue, "y", c.arg(1));
    put(m, c.thisValue, "width", c.arg(2));
    put(m, c.thisValue, "height", c.arg(3));
    return Value();
}

Value toStringMethod(NativeCall& c)
{
    Machine& m = c.machine;
    const Value& s = c.thisValue;
    // One part after the other: converting may run script that traces.
    std::string text = "(x=" + scriptText(m, field(m, s, "x"));
    text += ", y=" + scriptText(m, field(m, s, "y"));
    text += ", w=" + scriptText(m, field(m, s, "width"));
    text += ", h=" + scriptText(m, field(m, s, "height"));
    return m.stringValue(text + ")");
}

Value cloneOf(Machine& m, const Value& s)
{
    return rectangle(m, field(m, s, "x"), field(m, s, "y"), field(m, s, "width"), field(m, s, "height"));
}

Value cloneMethod(NativeCall& c)
{
    return cloneOf(c.machine, c.thisValue);
}

// The corners and edges: tag 0 left, 1 top, 2 right, 3 bottom, 4 size,
// 5 topLeft, 6 bottomRight.
Value edgeGetter(NativeCall& c)
{
    Machine& m = c.machine;
    const Value& s = c.thisValue;
    switch (c.callee ? c.callee->tag() : 0) {
    case 0: return field(m, s, "x");
    case 1: return field(m, s, "y");
    case 2: return rightOf(m, s);
    case 3: return bottomOf(m, s);
    case 4: return point(m, number(m, s, "width"), number(m, s, "height"));
    case 5: return point(m, number(m, s, "x"), number(m, s, "y"));
    default: return point(m, m.toNumber(rightOf(m, s)), m.toNumber(bottomOf(m, s)));
    }
}

Value edgeSetter(NativeCall& c)
{
    Machine& m = c.machine;
    const Value& s = c.thisValue;
    const Value v = c.arg(0);
    switch (c.callee ? c.callee->tag() : 0) {
    case 0:
        putNumber(m, s, "width", number(m, s, "width") + number(m, s, "x") - m.toNumber(v));
        put(m, s, "x", v);
        break;
    case 1:
        putNumber(m, s, "height", number(m, s, "height") + number(m, s, "y") - m.toNumber(v));
        put(m, s, "y", v);
        break;
    case 2: putNumber(m, s, "width", m.toNumber(v) - number(m, s, "x")); break;
    case 3: putNumber(m, s, "height", m.toNumber(v) - number(m, s, "y")); break;
    case 4:
        put(m, s, "width", field(m, v, "x"));
        put(m, s, "height", field(m, v, "y"));
        break;
    case 5:
        putNumber(m, s, "width", number(m, s, "width") + number(m, s, "x") - number(m, v, "x"));
        putNumber(m, s, "height", number(m, s, "height") + number(m, s, "y") - number(m, v, "y"));
        put(m, s, "x", field(m, v, "x"));
        put(m, s, "y", field(m, v, "y"));
        break;
    default:
        putNumber(m, s, "width", number(m, v, "x") - number(m, s, "x"));
        putNumber(m, s, "height", number(m, v, "y") - number(m, s, "y"));
        break;
    }
    return Value();
}

Value isEmptyOf(Machine& m, const Value& r)
{
    // width <= 0 || height <= 0, as script's comparisons give it.
    const Value wide = m.lessThan(Value::number(0), field(m, r, "width"));
    if (!m.toBoolean(wide))
        return Value::boolean(true);
    const Value high = m.lessThan(Value::number(0), field(m, r, "height"));
    return Value::boolean(!m.toBoolean(high));
}

Value isEmptyMethod(NativeCall& c)
{
    return isEmptyOf(c.machine, c.thisValue);
}

Value setEmptyMethod(NativeCall& c)
{
    setEmpty(c.machine, c.thisValue);
    return Value();
}

// a >= b as compiled script has it: not (a < b), so true where the two
// do not compare.
Value atLeast(Machine& m, const Value& a, const Value& b)
{
    return Value::boolean(!m.toBoolean(m.lessThan(a, b)));
}

// p >= low && p < high(), the far edge asked for only once p >= low held.
template <typename High>
Value within(Machine& m, const Value& p, const Value& low, High high)
{
    const Value atOrAbove = atLeast(m, p, low);
    if (!m.toBoolean(atOrAbove))
        return atOrAbove;
    return m.lessThan(p, high());
}

// x >= this.x && x < this.x + this.width && y >= this.y && ...
Value containsAt(Machine& m, const Value& self, const Value& x, const Value& y)
{
    const Value across = within(m, x, field(m, self, "x"), [&] { return rightOf(m, self); });
    if (!m.toBoolean(across))
        return across;
    return within(m, y, field(m, self, "y"), [&] { return bottomOf(m, self); });
}

Value containsMethod(NativeCall& c)
{
    return containsAt(c.machine, c.thisValue, c.arg(0), c.arg(1));
}

Value containsPointMethod(NativeCall& c)
{
    Machine& m = c.machine;
    return containsAt(m, c.thisValue, field(m, c.arg(0), "x"), field(m, c.arg(0), "y"));
}

// As the reference player has it: r's corner lies in this rectangle and
// r.right <= right && r.bottom <= bottom, each part only once the one
// before it held, so that a rectangle with an endless edge does not
// contain itself and one whose edges do not compare answers undefined.
Value containsRectangleMethod(NativeCall& c)
{
    Machine& m = c.machine;
    const Value& s = c.thisValue;
    const Value r = c.arg(0);
    Value result = containsAt(m, s, field(m, r, "x"), field(m, r, "y"));
    if (m.toBoolean(result)) {
        const Value right = rightOf(m, r);
        result = atLeast(m, rightOf(m, s), right);
    }
    if (m.toBoolean(result)) {
        const Value bottom = bottomOf(m, r);
        result = atLeast(m, bottomOf(m, s), bottom);
    }
    return result;
}

Value equalsMethod(NativeCall& c)
{
    Machine& m = c.machine;
    const Value& s = c.thisValue;
    const Value r = c.arg(0);
    const Value rectangleClass = m.get(Value::object(geometryPackage(m)), m.intern("Rectangle"));
    if (!r.isObject() || !m.instanceOf(r, rectangleClass))
        return Value::boolean(false);
    for (const char* name : {"x", "y", "width", "height"})
        if (!looseEquals(m, field(m, s, name), field(m, r, name)))
            return Value::boolean(false);
    return Value::boolean(true);
}

void inflateBy(Machine& m, const Value& s, double dx, double dy)
{
    putNumber(m, s, "x", number(m, s, "x") - dx);
    putNumber(m, s, "width", number(m, s, "width") + 2 * dx);
    putNumber(m, s, "y", number(m, s, "y") - dy);
    putNumber(m, s, "height", number(m, s, "height") + 2 * dy);
}

Value inflateMethod(NativeCall& c)
{
    inflateBy(c.machine, c.thisValue, c.machine.toNumber(c.arg(0)), c.machine.toNumber(c.arg(1)));
    return Value();
}

Value inflatePointMethod(NativeCall& c)
{
    Machine& m = c.machine;
    inflateBy(m, c.thisValue, number(m, c.arg(0), "x"), number(m, c.arg(0), "y"));
    return Value();
}

void offsetBy(Machine& m, const Value& s, const Value& dx, const Value& dy)
{
    put(m, s, "x", scriptAdd(m, field(m, s, "x"), dx));
    put(m, s, "y", scriptAdd(m, field(m, s, "y"), dy));
}

Value offsetMethod(NativeCall& c)
{
    offsetBy(c.machine, c.thisValue, c.arg(0), c.arg(1));
    return Value();
}

Value offsetPointMethod(NativeCall& c)
{
    Machine& m = c.machine;
    offsetBy(m, c.thisValue, field(m, c.arg(0), "x"), field(m, c.arg(0), "y"));
    return Value();
}

struct Box {
    double left, top, right, bottom;
};

Box boxOf(Machine& m, const Value& r)
{
    const double x = number(m, r, "x");
    const double y = number(m, r, "y");
    return {x, y, x + number(m, r, "width"), y + number(m, r, "height")};
}

Value fromBox(Machine& m, const Box& b)
{
    return rectangle(m, Value::number(b.left), Value::number(b.top), Value::number(b.right - b.left), Value::number(b.bottom - b.top));
}

Value intersectionOf(Machine& m, const Value& s, const Value& r)
{
    const Box a = boxOf(m, s);
    const Box b = boxOf(m, r);
    const Box cut {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (!(cut.right > cut.left) || !(cut.bottom > cut.top))
        return rectangle(m, Value::number(0), Value::number(0), Value::number(0), Value::number(0));
    return fromBox(m, cut);
}

Value intersectionMethod(NativeCall& c)
{
    return intersectionOf(c.machine, c.thisValue, c.arg(0));
}

Value intersectsMethod(NativeCall& c)
{
    Machine& m = c.machine;
    return Value::boolean(!m.toBoolean(isEmptyOf(m, intersectionOf(m, c.thisValue, c.arg(0)))));
}

Value unionMethod(NativeCall& c)
{
    Machine& m = c.machine;
    if (m.toBoolean(isEmptyOf(m, c.thisValue)))
        return cloneOf(m, c.arg(0));
    if (m.toBoolean(isEmptyOf(m, c.arg(0))))
        return cloneOf(m, c.thisValue);
    const Box a = boxOf(m, c.thisValue);
    const Box b = boxOf(m, c.arg(0));
    return fromBox(m, {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)});
}

} // namespace

void installRectangleClass(Machine& machine)
{
    Object* p = machine.newObject();
    Function* rectangle = defineClass(machine, "", rectangleConstructor, p);
    machine.define(geometryPackage(machine), "Rectangle", Value::object(rectangle));
    constexpr const char* kEdges[] {"left", "top", "right", "bottom", "size", "topLeft", "bottomRight"};
    for (int i = 0; i < 7; ++i)
        defineAccessor(machine, p, kEdges[i], edgeGetter, edgeSetter, 0, i);
    defineScriptMethod(machine, p, "clone", cloneMethod);
    defineScriptMethod(machine, p, "contains", containsMethod);
    defineScriptMethod(machine, p, "containsPoint", containsPointMethod);
    defineScriptMethod(machine, p, "containsRectangle", containsRectangleMethod);
    defineScriptMethod(machine, p, "equals", equalsMethod);
    defineScriptMethod(machine, p, "inflate", inflateMethod);
    defineScriptMethod(machine, p, "inflatePoint", inflatePointMethod);
    defineScriptMethod(machine, p, "intersection", intersectionMethod);
    defineScriptMethod(machine, p, "intersects", intersectsMethod);
    defineScriptMethod(machine, p, "isEmpty", isEmptyMethod);
    defineScriptMethod(machine, p, "offset", offsetMethod);
    defineScriptMethod(machine, p, "offsetPoint", offsetPointMethod);
    defineScriptMethod(machine, p, "setEmpty", setEmptyMethod);
    defineScriptMethod(machine, p, "toString", toStringMethod);
    defineScriptMethod(machine, p, "union", unionMethod);
}

} // namespace swf::script
