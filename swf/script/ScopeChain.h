#pragma once

// Names as code sees them: the with blocks, the function's own variables
// and the chain it was defined in, the target clip, then _global; and the
// target paths of the older movies ("/a/b:x", "../x", "_root.a.b").

#include "swf/script/Value.h"

namespace swf::script {

class Machine;
class Object;
class Scope;
class String;
struct Frame;

class ScopeChain {
public:
    // The value of a variable, and the object it was found on (for the
    // `this` of a plain function call).
    static Value get(Machine& machine, Frame& frame, String* name, Object** holder = nullptr);
    // The same for a name taken as it is, never as a path.
    static Value getPlain(Machine& machine, Frame& frame, String* name, Object** holder = nullptr);
    static void set(Machine& machine, Frame& frame, String* name, const Value& value);
    // `var`: a local of the running function, or a variable of the target.
    static void defineLocal(Machine& machine, Frame& frame, String* name, const Value& value, bool onlyIfMissing);
    static bool remove(Machine& machine, Frame& frame, String* name);
    // The chain a function defined here captures.
    static Scope* capture(Machine& machine, Frame& frame);
    // The function's own variables object, made on first need.
    static Object* activation(Machine& machine, Frame& frame);
    // The object unqualified assignments land on.
    static Object* variableTarget(Frame& frame);
};

} // namespace swf::script
