// Selection: which field, button or clip has keyboard focus, and the
// selected characters of a focused field. Script moves focus here, the
// keyboard through KeyboardFocus; both tell the same listeners.

#include <algorithm>
#include <cmath>

#include "swf/runtime/EditTextInstance.h"
#include "swf/script/ClipObject.h"
#include "swf/script/KeyboardFocus.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Broadcasters.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

EditTextInstance* focusedField(Machine& m)
{
    const ClipHandle focus = m.host().focus();
    return focus ? m.host().textField(focus) : nullptr;
}

Value getFocus(NativeCall& c)
{
    Machine& m = c.machine;
    const ClipHandle focus = m.host().focus();
    return focus ? m.stringValue(m.host().targetPath(focus)) : Value::null();
}

Value setFocus(NativeCall& c)
{
    Machine& m = c.machine;
    Host& host = m.host();
    const Value target = c.arg(0);
    // As the reference player answers: false for an object, even one that
    // takes the focus; for nothing, true once any call has come before.
    // The mark of that call lives where script cannot see it.
    Object* selection = m.global() ? m.get(m.global(), "Selection").objectOrNull() : nullptr;
    const bool askedBefore = selection && selection->primitive().isBoolean();
    if (selection)
        selection->setPrimitive(Value::boolean(true));
    ClipHandle wanted;
    if (!target.isNullish()) {
        Object* base = m.clipObject(m.targetHandle());
        Object* found = base ? m.resolveTarget(base, target) : target.objectOrNull();
        wanted = found ? m.handleOf(found) : ClipHandle();
        // Text fields and buttons take focus; clips other than a level's
        // root only when they say they may.
        if (!wanted || (!host.textField(wanted) && !host.isButton(wanted) &&
                        (!host.parent(wanted) || !m.toBoolean(m.get(found, m.intern("focusEnabled"))))))
            return Value::boolean(false);
    }
    moveFocus(m, wanted);
    return Value::boolean(!wanted && askedBefore);
}

Value index(NativeCall& c)
{
    const EditTextInstance* field = focusedField(c.machine);
    if (!field)
        return Value::number(-1);
    switch (c.callee ? c.callee->tag() : 0) {
    case 0: return Value::number(double(field->selectionBegin()));
    case 1: return Value::number(double(field->selectionEnd()));
    default: return Value::number(double(field->caretIndex()));
    }
}

Value setSelection(NativeCall& c)
{
    Machine& m = c.machine;
    EditTextInstance* field = focusedField(m);
    if (!field)
        return Value();
    const auto at = [&](std::size_t i) {
        const double n = m.toInteger(c.arg(i));
        return std::isfinite(n) ? qsizetype(std::clamp(n, 0.0, 1e9)) : qsizetype(0);
    };
    field->setSelection(at(0), at(1));
    return Value();
}

} // namespace

void installSelectionObject(Machine& machine)
{
    Object* selection = machine.newObject();
    selection->setPrototypeFlags(HPC);
    machine.define(machine.global(), "Selection", Value::object(selection), H);
    if (Function* object = machine.builtins().objectConstructor)
        machine.define(selection, machine.names().constructor, Value::object(object), HPC);
    defineMethod(machine, selection, "getFocus", getFocus, HPC);
    defineMethod(machine, selection, "setFocus", setFocus, HPC);
    defineMethod(machine, selection, "getBeginIndex", index, HPC, 0);
    defineMethod(machine, selection, "getEndIndex", index, HPC, 1);
    defineMethod(machine, selection, "getCaretIndex", index, HPC, 2);
    defineMethod(machine, selection, "setSelection", setSelection, HPC);
    makeBroadcaster(machine, selection);
}

} // namespace swf::script
