// NetConnection: what NetStream plays through. This player plays files
// by their addresses only (connect(null)); a connection to a media server
// is refused.

#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

Value netConnectionConstructor(NativeCall&)
{
    return Value();
}

Value connect(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self)
        return Value();
    const bool byAddress = c.arg(0).isNull();
    m.set(self, "isConnected", Value::boolean(byAddress));
    m.set(self, "uri", byAddress ? Value::null() : c.arg(0));
    return Value::boolean(byAddress);
}

} // namespace

void installNetConnectionClass(Machine& machine)
{
    Object* p = machine.newObject();
    defineClass(machine, "NetConnection", netConnectionConstructor, p, H | Swf6);
    defineMethod(machine, p, "connect", connect);
}

} // namespace swf::script
