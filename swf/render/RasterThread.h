#pragma once

// Runs drawing work where Qt's raster engine fills spans itself instead of
// farming them out.

#include <functional>

namespace swf {

// Calls `work` on a thread of Qt's global thread pool (or right here when
// already on one) and returns once it is done.
void runOnRasterThread(const std::function<void()>& work);

// Calls `work(thread, job)` once for every job from 0 to `jobs`, spread
// over `threads` threads of Qt's global pool, each taking the next job not
// yet taken; `thread` (0 to threads - 1) names the one running it, for
// memory of its own. Returns once all are done. A failure in any job is
// rethrown here once every thread has stopped.
void runOnRasterThreads(int threads, int jobs, const std::function<void(int thread, int job)>& work);

} // namespace swf
