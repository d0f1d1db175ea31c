#pragma once

// Runs drawing work where Qt's raster engine fills spans itself instead of
// farming them out.

#include <functional>

namespace swf {

// Calls `work` on a thread of Qt's global thread pool (or right here when
// already on one) and returns once it is done.
void runOnRasterThread(const std::function<void()>& work);

// Calls `work(thread, job)` for every job from 0 to `jobs`, spread over
// `threads` threads of Qt's global pool, each taking the jobs `thread`,
// `thread + threads` and so on in order; returns once all are done. A
// failure in any job is rethrown here once every thread has stopped.
void runOnRasterThreads(int threads, int jobs, const std::function<void(int thread, int job)>& work);

} // namespace swf
