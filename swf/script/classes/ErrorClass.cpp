// Error: what scripts throw; `message` and `name` live on the prototype
// until an error sets its own.

#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

Value errorConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    Object* o = c.constructing ? c.thisObject() : nullptr;
    if (!o) {
        o = m.newObject(m.builtins().errorPrototype);
        if (!c.arg(0).isUndefined())
            m.set(o, m.names().message, c.arg(0));
        return Value::object(o);
    }
    if (!c.arg(0).isUndefined())
        m.set(o, m.names().message, c.arg(0));
    return Value();
}

Value toStringMethod(NativeCall& c)
{
    Machine& m = c.machine;
    if (Object* o = c.thisObject())
        return Value::string(m.toString(m.get(o, m.names().message)));
    return Value::string(m.names().objectText);
}

} // namespace

void installErrorClass(Machine& machine)
{
    Builtins& b = machine.builtins();
    b.errorPrototype = machine.newObject();
    Object* p = b.errorPrototype;
    defineClass(machine, "Error", errorConstructor, p, H, HP);
    defineMethod(machine, p, "toString", toStringMethod);
    machine.define(p, "message", machine.stringValue("Error"), H);
    machine.define(p, "name", machine.stringValue("Error"), H);
}

} // namespace swf::script
