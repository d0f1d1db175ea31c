#include "swf/render/RasterThread.h"

#include <exception>

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

} // namespace swf
