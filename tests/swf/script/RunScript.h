#pragma once

// Runs action bytes on a fresh machine with a fake host, for tests that
// check what a script traces.

#include <memory>
#include <string>

#include "FakeHost.h"
#include "support/ActionWriter.h"
#include "swf/script/Machine.h"

namespace swftest {

struct ScriptRun {
    FakeHost host;
    std::unique_ptr<swf::script::Machine> machine;

    explicit ScriptRun(int version = 8)
        : machine(std::make_unique<swf::script::Machine>(host, version))
    {
        host.setMachine(machine.get());
    }

    // Runs the block on the root clip and returns what it traced.
    std::string run(const ActionWriter& code, int version = 8)
    {
        host.clearOutput();
        const std::vector<std::uint8_t> bytes = code.build();
        m_blocks.push_back(bytes);
        machine->runActions(m_blocks.back(), host.rootHandle(), version);
        return host.output();
    }

private:
    std::vector<std::vector<std::uint8_t>> m_blocks;
};

// Shorthand: trace(value) of what `code` left on the stack.
inline ActionWriter& traceTop(ActionWriter& w)
{
    return w.op(ActionCode::Trace);
}

} // namespace swftest
