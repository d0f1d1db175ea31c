// flash.geom.Point: a pair of coordinates kept as plain properties, so
// that whatever a movie stores in them (text, objects) travels through
// the methods the way script arithmetic carries it.

#include <cmath>

#include "swf/script/Equality.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"
#include "swf/script/classes/Geometry.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

Value field(NativeCall& c, const Value& of, const char* name)
{
    return c.machine.get(of, c.machine.intern(name));
}

Value point(Machine& m, const Value& x, const Value& y)
{
    const Value args[] {x, y};
    return constructGeometry(m, "Point", args);
}

double number(NativeCall& c, const Value& of, const char* name)
{
    return c.machine.toNumber(field(c, of, name));
}

Value pointConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self)
        return Value();
    const bool empty = c.count() == 0;
    m.set(self, "x", empty ? Value::number(0) : c.arg(0));
    m.set(self, "y", empty ? Value::number(0) : c.arg(1));
    return Value();
}

Value lengthGetter(NativeCall& c)
{
    const double x = number(c, c.thisValue, "x");
    const double y = number(c, c.thisValue, "y");
    return Value::number(std::sqrt(x * x + y * y));
}

Value toStringMethod(NativeCall& c)
{
    Machine& m = c.machine;
    // One part after the other: converting may run script that traces.
    std::string text = "(x=" + scriptText(m, field(c, c.thisValue, "x"));
    text += ", y=" + scriptText(m, field(c, c.thisValue, "y"));
    return m.stringValue(text + ")");
}

Value cloneMethod(NativeCall& c)
{
    return point(c.machine, field(c, c.thisValue, "x"), field(c, c.thisValue, "y"));
}

Value addMethod(NativeCall& c)
{
    Machine& m = c.machine;
    const Value other = c.arg(0);
    const Value x = scriptAdd(m, field(c, c.thisValue, "x"), field(c, other, "x"));
    const Value y = scriptAdd(m, field(c, c.thisValue, "y"), field(c, other, "y"));
    return point(m, x, y);
}

Value subtractMethod(NativeCall& c)
{
    const Value other = c.arg(0);
    const double x = number(c, c.thisValue, "x");
    const double dx = x - number(c, other, "x");
    const double y = number(c, c.thisValue, "y");
    const double dy = y - number(c, other, "y");
    return point(c.machine, Value::number(dx), Value::number(dy));
}

Value equalsMethod(NativeCall& c)
{
    Machine& m = c.machine;
    const Value other = c.arg(0);
    Object* o = other.objectOrNull();
    const Value pointClass = m.get(Value::object(geometryPackage(m)), m.intern("Point"));
    if (!o || !m.instanceOf(other, pointClass))
        return Value::boolean(false);
    return Value::boolean(looseEquals(m, field(c, c.thisValue, "x"), field(c, other, "x"))
                          && looseEquals(m, field(c, c.thisValue, "y"), field(c, other, "y")));
}

Value normalizeMethod(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self)
        return Value();
    const double x = number(c, c.thisValue, "x");
    const double y = number(c, c.thisValue, "y");
    const double length = std::sqrt(x * x + y * y);
    if (length > 0) {
        const double scale = m.toNumber(c.arg(0)) / length;
        m.set(self, "x", Value::number(x * scale));
        m.set(self, "y", Value::number(y * scale));
    }
    return Value();
}

Value offsetMethod(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self)
        return Value();
    m.set(self, "x", scriptAdd(m, field(c, c.thisValue, "x"), c.arg(0)));
    m.set(self, "y", scriptAdd(m, field(c, c.thisValue, "y"), c.arg(1)));
    return Value();
}

Value distanceMethod(NativeCall& c)
{
    const double dx = number(c, c.arg(0), "x") - number(c, c.arg(1), "x");
    const double dy = number(c, c.arg(0), "y") - number(c, c.arg(1), "y");
    return Value::number(std::sqrt(dx * dx + dy * dy));
}

Value interpolateMethod(NativeCall& c)
{
    Machine& m = c.machine;
    const double f = m.toNumber(c.arg(2));
    const double x1 = number(c, c.arg(0), "x");
    const double y1 = number(c, c.arg(0), "y");
    const double x2 = number(c, c.arg(1), "x");
    const double y2 = number(c, c.arg(1), "y");
    return point(m, Value::number(x2 + f * (x1 - x2)), Value::number(y2 + f * (y1 - y2)));
}

Value polarMethod(NativeCall& c)
{
    Machine& m = c.machine;
    const double length = m.toNumber(c.arg(0));
    const double angle = m.toNumber(c.arg(1));
    return point(m, Value::number(length * std::cos(angle)), Value::number(length * std::sin(angle)));
}

} // namespace

void installPointClass(Machine& machine)
{
    Object* p = machine.newObject();
    Function* point = defineClass(machine, "", pointConstructor, p);
    machine.define(geometryPackage(machine), "Point", Value::object(point));
    defineScriptMethod(machine, point, "distance", distanceMethod);
    defineScriptMethod(machine, point, "interpolate", interpolateMethod);
    defineScriptMethod(machine, point, "polar", polarMethod);
    defineScriptMethod(machine, p, "add", addMethod);
    defineScriptMethod(machine, p, "clone", cloneMethod);
    defineScriptMethod(machine, p, "equals", equalsMethod);
    defineAccessor(machine, p, "length", lengthGetter, nullptr);
    defineScriptMethod(machine, p, "normalize", normalizeMethod);
    defineScriptMethod(machine, p, "offset", offsetMethod);
    defineScriptMethod(machine, p, "subtract", subtractMethod);
    defineScriptMethod(machine, p, "toString", toStringMethod);
}

} // namespace swf::script
