// Accessibility: this player offers movies to no screen reader, so it is
// never active and what movies tell it goes nowhere.

#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

Value inactive(NativeCall&)
{
    return Value::boolean(false);
}

Value doNothing(NativeCall&)
{
    return Value();
}

} // namespace

void installAccessibilityObject(Machine& machine)
{
    constexpr std::uint32_t PC = PropertyFlag::DontDelete | PropertyFlag::ReadOnly;
    Object* accessibility = machine.newObject();
    accessibility->setPrototypeFlags(HPC);
    machine.define(accessibility, machine.names().constructor, Value::object(machine.builtins().objectConstructor), HPC);
    machine.define(machine.global(), "Accessibility", Value::object(accessibility), H);
    defineMethod(machine, accessibility, "isActive", inactive, PC);
    defineMethod(machine, accessibility, "sendEvent", doNothing, PC);
    defineMethod(machine, accessibility, "updateProperties", doNothing, PC);
}

} // namespace swf::script
