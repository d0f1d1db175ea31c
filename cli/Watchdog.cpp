#include "cli/Watchdog.h"

#include <cstdio>
#include <cstdlib>

namespace cli {

Watchdog::Watchdog(std::chrono::milliseconds cap, std::string reason, int status)
{
    m_thread = std::thread([this, cap, reason = std::move(reason), status] {
        std::unique_lock lock(m_mutex);
        if (m_done.wait_for(lock, cap, [this] { return m_disarmed; }))
            return;
        std::fprintf(stderr, "tvk: %s\n", reason.c_str());
        std::fflush(stderr);
        // No destructors, no atexit handlers: the main thread is still
        // inside the engine and nothing it holds can be trusted to unwind.
        std::_Exit(status);
    });
}

Watchdog::~Watchdog()
{
    disarm();
    m_thread.join();
}

void Watchdog::disarm()
{
    {
        const std::lock_guard lock(m_mutex);
        m_disarmed = true;
    }
    m_done.notify_all();
}

} // namespace cli
