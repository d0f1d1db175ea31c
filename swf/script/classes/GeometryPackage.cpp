#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"
#include "swf/script/classes/Geometry.h"

namespace swf::script {

using namespace BuiltinFlags;

Object* geometryPackage(Machine& machine)
{
    // Movies before version 6 see no `flash` at all.
    return packageObject(machine, "flash.geom", H | Swf6);
}

Value constructGeometry(Machine& machine, const char* name, std::span<const Value> args)
{
    const Value geom = machine.get(machine.get(Value::object(machine.global()), machine.intern("flash")), machine.intern("geom"));
    const Value constructor = machine.get(geom, machine.intern(name));
    if (!constructor.isObject() || !constructor.asObject()->isFunction())
        return Value();
    return machine.construct(constructor, args);
}

} // namespace swf::script
