#include "swf/render/RasterThread.h"

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
    pool->reserveThread();
    pool->startOnReservedThread([&] {
        work();
        done.release();
    });
    done.acquire();
}

} // namespace swf
