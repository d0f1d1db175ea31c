#include "swf/render/RasterThread.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>

#include <QSemaphore>
#include <QThread>
#include <QThreadPool>

namespace swf {

// Qt's raster engine cuts every fill of more than a few dozen spans into
// pieces, hands them to the global thread pool and sleeps until all are
// back, unless it is itself running on one of that pool's threads. A frame
// of a movie is hundreds of small shapes, each one such fill, so the
// hand-offs and wake-ups cost more than the pixels. Drawing the whole frame
// on a pool thread pays for one hand-off per frame instead. A reserved
// thread starts at once even when the pool is busy with other work.
void runOnRasterThread(const std::function<void()>& work)
{
    QThreadPool* pool = QThreadPool::globalInstance();
    if (!pool || pool->contains(QThread::currentThread())) {
        work();
        return;
    }
    QSemaphore done;
    // A failure belongs to the caller, as it would had the work run here;
    // escaping on the pool thread it would end the program.
    std::exception_ptr failure;
    pool->reserveThread();
    pool->startOnReservedThread([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        done.release();
    });
    done.acquire();
    if (failure)
        std::rethrow_exception(failure);
}

void runOnRasterThreads(int threads, int jobs, const std::function<void(int thread, int job)>& work)
{
    threads = std::max(1, std::min(threads, jobs));
    // Jobs go to whichever thread is free first, so that a thread the
    // machine's other work holds up leaves its jobs to the others.
    std::atomic<int> next = 0;
    const auto runShare = [&](int thread) {
        for (int job = next++; job < jobs; job = next++)
            work(thread, job);
    };
    QThreadPool* pool = QThreadPool::globalInstance();
    if (threads == 1 || !pool) {
        runOnRasterThread([&] { runShare(0); });
        return;
    }
    // Every share on a reserved pool thread of its own, the caller waiting:
    // a share run here would have Qt farm out its fills again.
    QSemaphore done;
    std::mutex failureLock;
    std::exception_ptr failure;
    for (int thread = 0; thread < threads; ++thread) {
        pool->reserveThread();
        pool->startOnReservedThread([&, thread] {
            try {
                runShare(thread);
            } catch (...) {
                const std::lock_guard lock(failureLock);
                if (!failure)
                    failure = std::current_exception();
            }
            done.release();
        });
    }
    done.acquire(threads);
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace swf
