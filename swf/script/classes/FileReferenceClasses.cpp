// flash.net.FileReference and FileReferenceList: choosing files to upload
// or download. Movies never reach the disk this way here: browse() opens
// no dialog and answers false, so their onCancel-free paths see nothing
// chosen.

#include "swf/script/ArrayObject.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Broadcasters.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

Value fileReferenceConstructor(NativeCall& c)
{
    if (Object* self = c.thisObject())
        makeBroadcaster(c.machine, self, 0);
    return Value();
}

Value fileListConstructor(NativeCall& c)
{
    if (Object* self = c.thisObject()) {
        makeBroadcaster(c.machine, self, 0);
        // Only the listener list shows: the methods stay the prototype's.
        for (const char* name : {"addListener", "removeListener", "broadcastMessage"})
            c.machine.remove(self, c.machine.intern(name));
        const Value list = c.machine.construct(Value::object(c.machine.builtins().arrayConstructor), {});
        c.machine.define(self, "fileList", list);
    }
    return Value();
}

} // namespace

void installFileReferenceClasses(Machine& machine)
{
    Object* net = packageObject(machine, "flash.net", H | Swf6);
    Object* p = machine.newObject();
    Function* reference = defineClass(machine, {}, fileReferenceConstructor, p);
    machine.define(net, "FileReference", Value::object(reference), H);
    makeBroadcaster(machine, p, HP);
    for (const char* name : {"browse", "download", "upload"})
        defineMethod(machine, p, name, answerFalse);
    defineMethod(machine, p, "cancel", answerUndefined);

    Object* listPrototype = machine.newObject();
    Function* list = defineClass(machine, {}, fileListConstructor, listPrototype);
    machine.define(net, "FileReferenceList", Value::object(list), H);
    makeBroadcaster(machine, listPrototype, HP);
    defineMethod(machine, listPrototype, "browse", answerFalse, HP | Swf8);
}

} // namespace swf::script
