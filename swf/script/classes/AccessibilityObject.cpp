// Accessibility: this player offers movies to no screen reader, so it is
// never active and what movies tell it goes nowhere.

#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"

namespace swf::script {

using namespace BuiltinFlags;

void installAccessibilityObject(Machine& machine)
{
    constexpr std::uint32_t PC = PropertyFlag::DontDelete | PropertyFlag::ReadOnly;
    Object* accessibility = machine.newObject();
    accessibility->setPrototypeFlags(HPC);
    machine.define(accessibility, machine.names().constructor, Value::object(machine.builtins().objectConstructor), HPC);
    machine.define(machine.global(), "Accessibility", Value::object(accessibility), H);
    defineMethod(machine, accessibility, "isActive", answerFalse, PC);
    defineMethod(machine, accessibility, "sendEvent", answerUndefined, PC);
    defineMethod(machine, accessibility, "updateProperties", answerUndefined, PC);
}

} // namespace swf::script
