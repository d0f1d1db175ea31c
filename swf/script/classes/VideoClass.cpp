// Video: what shows a NetStream's pictures on stage. Its methods act on a
// video placed on the stage; a Video made with `new` is an object like
// any other, with nothing to show.

#include "swf/runtime/VideoInstance.h"
#include "swf/script/ClipObject.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/NetStreamClass.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

Value videoConstructor(NativeCall&)
{
    return Value();
}

VideoInstance* videoOf(NativeCall& c)
{
    Object* self = c.thisObject();
    if (!self || self->kind() != ObjectKind::Clip || !static_cast<ClipObject*>(self)->isVideo())
        return nullptr;
    return c.machine.host().video(static_cast<ClipObject*>(self)->handle());
}

Value attachVideo(NativeCall& c)
{
    if (VideoInstance* video = videoOf(c))
        attachVideoTo(c.machine, c.arg(0), c.thisValue, *video);
    return Value();
}

Value clearVideo(NativeCall& c)
{
    if (VideoInstance* video = videoOf(c))
        video->clear();
    return Value();
}

} // namespace

void installVideoClass(Machine& machine)
{
    Object* p = machine.newObject();
    machine.builtins().videoPrototype = p;
    defineClass(machine, "Video", videoConstructor, p, H | Swf6);
    defineMethod(machine, p, "attachVideo", attachVideo);
    defineMethod(machine, p, "clear", clearVideo);
}

} // namespace swf::script
