#pragma once

// flash.geom's classes make each other's objects (a rectangle's topLeft is
// a Point, a matrix transforms points); they find the class by its name
// under _global each time, as the reference player's script does, so a
// movie that replaces one sees its own.

#include <span>

#include "swf/script/Value.h"

namespace swf::script {

class Machine;

// new flash.geom.<name>(args...); undefined when the class is gone.
Value constructGeometry(Machine& machine, const char* name, std::span<const Value> args);
// The package every geometry class lives in, made on first use.
class Object;
Object* geometryPackage(Machine& machine);

} // namespace swf::script
