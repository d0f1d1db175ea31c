// Mouse: showing and hiding the pointer over the stage, and the listeners
// the input scripts tell of presses, moves and the wheel.

#include "swf/script/Machine.h"
#include "swf/script/classes/Broadcasters.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

// Both answer whether the pointer showed before the call, as 1 or 0.
Value mouseShow(NativeCall& c)
{
    return Value::number(c.machine.host().setPointerShown(true) ? 1 : 0);
}

Value mouseHide(NativeCall& c)
{
    return Value::number(c.machine.host().setPointerShown(false) ? 1 : 0);
}

} // namespace

void installMouseClass(Machine& machine)
{
    Object* mouse = machine.newObject();
    mouse->setPrototypeFlags(HPC);
    machine.define(mouse, machine.names().constructor, Value::object(machine.builtins().objectConstructor), HPC);
    machine.define(machine.global(), "Mouse", Value::object(mouse), H);
    defineMethod(machine, mouse, "show", mouseShow, HPC);
    defineMethod(machine, mouse, "hide", mouseHide, HPC);
    registerNative(machine, 5, 0, mouseShow);
    registerNative(machine, 5, 1, mouseHide);
    makeBroadcaster(machine, mouse);
}

} // namespace swf::script
