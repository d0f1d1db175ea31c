#pragma once

// setInterval, setTimeout and their clearing, on the clock the host gives.
// Each timer fires at most once each time the host runs them (once a
// frame), so a tiny interval cannot starve the frame loop.

#include <cstdint>
#include <vector>

#include "swf/script/Value.h"

namespace swf::script {

class Machine;
class String;
class Tracer;

class Timers {
public:
    explicit Timers(Machine& machine)
        : m_machine(machine)
    {
    }

    // A function, or a method named on an object (then `function` is
    // undefined and `object` and `method` say which).
    int add(const Value& function, const Value& object, String* method, double interval, std::vector<Value> args, bool repeat);
    bool clear(int id);
    void run();
    std::size_t count() const { return m_timers.size(); }
    void trace(Tracer& tracer) const;

    // Timers one movie may have at once.
    static constexpr std::size_t kMaxTimers = 10000;

private:
    struct Timer {
        int id = 0;
        Value function;
        Value object;
        String* method = nullptr;
        std::vector<Value> args;
        double interval = 0;
        double due = 0;
        bool repeat = false;
    };

    Machine& m_machine;
    std::vector<Timer> m_timers;
    int m_nextId = 1;
};

} // namespace swf::script
