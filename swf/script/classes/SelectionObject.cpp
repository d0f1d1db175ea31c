// Selection: which field or clip has keyboard focus, and the selected
// characters of a focused field. Focus moves only by script until the
// player takes keys; each move tells the object losing focus
// (onKillFocus), the one gaining it (onSetFocus) and the listeners.

#include <algorithm>
#include <cmath>

#include "swf/runtime/EditTextInstance.h"
#include "swf/script/ClipObject.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Broadcasters.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

Value valueOfFocus(Machine& m, ClipHandle focus)
{
    return focus ? m.clipValue(focus) : Value::null();
}

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
    ClipHandle wanted;
    if (!target.isNullish()) {
        Object* base = m.clipObject(m.targetHandle());
        Object* found = base ? m.resolveTarget(base, target) : target.objectOrNull();
        wanted = found ? m.handleOf(found) : ClipHandle();
        // Text fields take focus; clips other than a level's root only
        // when they say they may.
        if (!wanted || (!host.textField(wanted) && (!host.parent(wanted) || !m.toBoolean(m.get(found, m.intern("focusEnabled"))))))
            return Value::boolean(false);
    }
    const ClipHandle old = host.focus();
    // As the reference player answers: true only when a focus was let go.
    const Value answer = Value::boolean(!wanted && old);
    if (old == wanted)
        return answer;
    const Value oldValue = valueOfFocus(m, old);
    const Value newValue = valueOfFocus(m, wanted);
    // The object losing focus still has it while it hears so.
    if (old) {
        const Value args[] {newValue};
        m.callMethod(oldValue, m.intern("onKillFocus"), args);
    }
    host.setFocus(wanted);
    if (wanted) {
        const Value args[] {oldValue};
        m.callMethod(newValue, m.intern("onSetFocus"), args);
    }
    if (Object* self = c.thisObject()) {
        const Value args[] {m.stringValue("onSetFocus"), oldValue, newValue};
        m.callMethod(Value::object(self), m.intern("broadcastMessage"), args);
    }
    return answer;
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
