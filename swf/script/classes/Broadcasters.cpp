#include "swf/script/classes/Broadcasters.h"

#include "swf/script/ArrayObject.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

using namespace BuiltinFlags;

void makeBroadcaster(Machine& machine, Object* target)
{
    // Version 5 movies have these without AsBroadcaster's methods to
    // reach them; they are there, hidden from it.
    const std::uint32_t flags = HPC | (machine.version() < 6 ? Swf6 : 0);
    Object* broadcaster = machine.builtins().asBroadcaster;
    Function* broadcast = lookupNative(machine, 101, 12);
    machine.define(target, "broadcastMessage", broadcast ? Value::object(broadcast) : Value(), flags);
    machine.define(target, "addListener", machine.get(broadcaster, "addListener"), flags);
    machine.define(target, "removeListener", machine.get(broadcaster, "removeListener"), flags);
    machine.define(target, machine.names().listeners, Value::object(machine.newArray()), flags);
}

} // namespace swf::script
