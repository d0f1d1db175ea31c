// PrintJob: a movie asks for the printer, then adds pages of its clips.
// The page and paper sizes are accessors the constructor puts on the
// class's prototype (whatever object that is by then), as the reference
// player does; they read undefined until a job has started. Printing
// from script is not offered here yet: start() answers as a cancelled
// dialog does, and so nothing is added or sent.

#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

constexpr const char* kPageFields[] = {"orientation", "pageHeight", "pageWidth", "paperHeight", "paperWidth"};

Value printJobConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    Object* prototype = m.get(Value::object(c.callee), m.names().prototype).objectOrNull();
    if (!prototype)
        return Value();
    for (const char* field : kPageFields)
        if (!m.findOwn(prototype, m.intern(field)))
            defineAccessor(m, prototype, field, answerUndefined, nullptr);
    return Value();
}

} // namespace

void installPrintJobClass(Machine& machine)
{
    Object* p = machine.newObject();
    defineClass(machine, "PrintJob", printJobConstructor, p);
    // The class came with version 7; older movies find it made as a plain
    // object is, its link up hidden from them.
    if (machine.vmVersion() < 7) {
        p->setPrototypeFlags(HP | Swf7);
        machine.define(p, machine.names().constructor, Value::object(machine.builtins().objectConstructor), HP);
    }
    defineMethod(machine, p, "addPage", answerFalse);
    defineMethod(machine, p, "send", answerUndefined);
    defineMethod(machine, p, "start", answerFalse);
}

} // namespace swf::script
