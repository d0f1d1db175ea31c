// Camera and Microphone as on a machine that has neither: the classes are
// there for movies to test, and get() finds no device.

#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

void defineDeviceClass(Machine& machine, std::string_view name, std::initializer_list<std::string_view> setters)
{
    Object* p = machine.newObject();
    Function* device = defineClass(machine, name, answerUndefined, p);
    defineScriptMethod(machine, device, "get", answerNull);
    for (std::string_view setter : setters)
        defineMethod(machine, p, setter, answerUndefined);
}

} // namespace

void installDeviceClasses(Machine& machine)
{
    defineDeviceClass(machine, "Camera", {"setCursor", "setKeyFrameInterval", "setLoopback", "setMode", "setMotionLevel", "setQuality"});
    defineDeviceClass(machine, "Microphone", {"setGain", "setRate", "setSilenceLevel", "setUseEchoSuppression"});
}

} // namespace swf::script
