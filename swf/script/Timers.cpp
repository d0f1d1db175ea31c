#include "swf/script/Timers.h"

#include <algorithm>
#include <cmath>

#include "swf/script/Machine.h"

namespace swf::script {

int Timers::add(const Value& function, const Value& object, String* method, double interval, std::vector<Value> args, bool repeat)
{
    if (m_timers.size() >= kMaxTimers)
        return 0;
    Timer timer;
    timer.id = m_nextId++;
    timer.function = function;
    timer.object = object;
    timer.method = method;
    timer.args = std::move(args);
    timer.interval = std::isfinite(interval) && interval > 0 ? interval : 0;
    timer.due = m_machine.host().timer() + timer.interval;
    timer.repeat = repeat;
    m_timers.push_back(std::move(timer));
    return m_timers.back().id;
}

bool Timers::clear(int id)
{
    const auto it = std::find_if(m_timers.begin(), m_timers.end(), [id](const Timer& t) { return t.id == id; });
    if (it == m_timers.end())
        return false;
    m_timers.erase(it);
    return true;
}

void Timers::run()
{
    const double now = m_machine.host().timer();
    std::vector<std::pair<double, int>> due;
    for (const Timer& t : m_timers)
        if (t.due <= now)
            due.emplace_back(t.due, t.id);
    std::sort(due.begin(), due.end());
    for (const auto& [when, id] : due) {
        const auto it = std::find_if(m_timers.begin(), m_timers.end(), [id = id](const Timer& t) { return t.id == id; });
        if (it == m_timers.end())
            continue;
        // The callback may clear or add timers: work on a copy.
        const Timer timer = *it;
        if (timer.repeat)
            it->due = now + std::max(timer.interval, 1.0);
        else
            m_timers.erase(it);
        Value function = timer.function;
        Value thisValue;
        if (timer.method) {
            thisValue = timer.object;
            function = m_machine.get(timer.object, timer.method);
        }
        const std::size_t root = m_machine.addHostRoot(function);
        const std::size_t rootThis = m_machine.addHostRoot(thisValue);
        std::vector<Value> args = timer.args;
        std::vector<std::size_t> argRoots;
        for (const Value& v : args)
            argRoots.push_back(m_machine.addHostRoot(v));
        m_machine.callFromHost(function, thisValue, args);
        for (std::size_t r : argRoots)
            m_machine.removeHostRoot(r);
        m_machine.removeHostRoot(rootThis);
        m_machine.removeHostRoot(root);
    }
}

void Timers::trace(Tracer& tracer) const
{
    for (const Timer& t : m_timers) {
        tracer.mark(t.function);
        tracer.mark(t.object);
        tracer.mark(t.method);
        for (const Value& v : t.args)
            tracer.mark(v);
    }
}

} // namespace swf::script
