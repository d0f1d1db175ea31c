#pragma once

// Ends the process when work overruns its time. The engine has no way to
// be told to stop, so a movie that keeps it busy is cut off from outside:
// past the cap this thread prints the reason and exits with a failure.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace cli {

class Watchdog {
public:
    Watchdog(std::chrono::milliseconds cap, std::string reason, int status);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // The work is done: the process may finish at its own pace.
    void disarm();

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_disarmed = false;
    std::thread m_thread;
};

} // namespace cli
