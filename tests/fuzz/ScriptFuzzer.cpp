// Arbitrary action bytes through the script machine, as a movie's DoAction
// would hand them over: decoded, run on a clip of a fake stage, then run
// again from the clip's onEnterFrame and the timers, and collected. The
// first byte picks the SWF version. Anything that crashes, hangs or grows
// without bound here would do the same to a person opening a hostile movie.

#include <cstddef>
#include <cstdint>
#include <span>

#include "swf/script/FakeHost.h"
#include "swf/script/Heap.h"
#include "swf/script/Machine.h"

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const int version = 4 + data[0] % 7;
    const std::span<const std::uint8_t> actions(data + 1, size - 1);

    swftest::FakeHost host;
    swf::script::Machine machine(host, version);
    host.setMachine(&machine);
    swf::script::ScriptLimits limits;
    limits.instructionBudget = 100'000;
    limits.maxCallDepth = 64;
    machine.setLimits(limits);
    machine.heap().setLiveLimit(64 * 1024 * 1024);

    machine.runActions(actions, host.rootHandle(), version);
    // A second run of the same block meets what the first left behind.
    machine.runActions(actions, host.rootHandle(), version);
    host.advanceTimer(1000);
    machine.callClipMethod(host.rootHandle(), "onEnterFrame");
    machine.runTimers();
    machine.collectGarbage();
    check(machine.heap().liveBytes() <= machine.heap().liveLimit());
    return 0;
}
