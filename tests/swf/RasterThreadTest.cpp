#include <gtest/gtest.h>

#include <stdexcept>

#include <QThread>
#include <QThreadPool>

#include "swf/render/RasterThread.h"

using namespace swf;

TEST(RasterThread, WorkRunsOnAPoolThreadAndIsDoneOnReturn)
{
    bool onPoolThread = false;
    bool ran = false;
    runOnRasterThread([&] {
        onPoolThread = QThreadPool::globalInstance()->contains(QThread::currentThread());
        ran = true;
    });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(onPoolThread);
}

TEST(RasterThread, WorkAlreadyOnAPoolThreadRunsInPlace)
{
    QThread* outer = nullptr;
    QThread* inner = nullptr;
    runOnRasterThread([&] {
        outer = QThread::currentThread();
        runOnRasterThread([&] { inner = QThread::currentThread(); });
    });
    EXPECT_EQ(outer, inner);
}

TEST(RasterThread, AFullPoolStillTakesTheWork)
{
    QThreadPool* pool = QThreadPool::globalInstance();
    const int reserved = pool->maxThreadCount();
    for (int i = 0; i < reserved; ++i)
        pool->reserveThread();
    bool ran = false;
    runOnRasterThread([&] { ran = true; });
    for (int i = 0; i < reserved; ++i)
        pool->releaseThread();
    EXPECT_TRUE(ran);
}

TEST(RasterThread, AFailureInTheWorkReachesTheCaller)
{
    EXPECT_THROW(runOnRasterThread([] { throw std::runtime_error("out of memory"); }), std::runtime_error);
}
