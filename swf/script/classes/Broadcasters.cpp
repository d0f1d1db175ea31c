#include "swf/script/classes/Broadcasters.h"

#include "swf/script/ArrayObject.h"
#include "swf/script/Machine.h"
#include "swf/script/PropertyMap.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

using namespace BuiltinFlags;

void makeBroadcaster(Machine& machine, Object* target)
{
    makeBroadcaster(machine, target, HPC);
}

void makeBroadcaster(Machine& machine, Object* target, std::uint32_t ownFlags)
{
    // Version 5 movies have these without AsBroadcaster's methods to
    // reach them; they are there, hidden from it.
    const std::uint32_t flags = ownFlags | (machine.version() < 6 ? Swf6 : 0);
    Object* broadcaster = machine.builtins().asBroadcaster;
    Function* broadcast = lookupNative(machine, 101, 12);
    machine.define(target, "broadcastMessage", broadcast ? Value::object(broadcast) : Value(), flags);
    // AsBroadcaster's own, read as stored: version 5 code cannot see them.
    const auto shared = [&](const char* name) {
        const Property* method = broadcaster ? broadcaster->properties().find(machine.intern(name), true) : nullptr;
        return method ? method->value : Value();
    };
    machine.define(target, "addListener", shared("addListener"), flags);
    machine.define(target, "removeListener", shared("removeListener"), flags);
    machine.define(target, machine.names().listeners, Value::object(machine.newArray()), flags);
}

} // namespace swf::script
