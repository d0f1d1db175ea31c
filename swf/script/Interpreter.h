#pragma once

// The loop that runs a frame's instructions. Kept apart from the machine
// so that the machine reads as the movie's view of script and this file
// as the language's.

#include "swf/script/Value.h"

namespace swf::script {

class Machine;
struct Frame;

class Interpreter {
public:
    // Runs until the program ends or returns; throws ScriptThrow when a
    // throw is not caught inside the frame and ScriptAbort on a limit.
    static Value run(Machine& machine, Frame& frame);

private:
    class Runner;
};

} // namespace swf::script
