#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QTcpServer>

#include "flash/ShockwaveFlash.h"
#include "support/LoopbackHttpServer.h"
#include "support/SwfWriter.h"

namespace {

QByteArray movie(int frames, int paddingBytes = 0)
{
    swftest::SwfWriter writer;
    writer.setFrameSize(100, 100).setBackground({0x40, 0x80, 0xC0});
    const std::vector<std::uint8_t> padding(std::size_t(paddingBytes), 0x11);
    writer.showFrame();
    if (paddingBytes > 0)
        writer.tag(250, padding);
    for (int i = 1; i < frames; ++i)
        writer.showFrame();
    const std::vector<std::uint8_t> bytes = writer.build(swf::Compression::None);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

class NetworkMovieTest : public testing::Test {
protected:
    bool waitForLoad(int ms = 10000)
    {
        return !done.isEmpty() || done.wait(ms);
    }

    flash::ShockwaveFlash control;
    QSignalSpy done{&control, &flash::ShockwaveFlash::loadFinished};
};

} // namespace

TEST_F(NetworkMovieTest, AMovieFromTheWebPlaysAsSoonAsItsFirstFrameArrives)
{
    LoopbackHttpServer server({200, movie(3, 60000), 20000, 150, -1});
    control.setMovie(server.url().toString());

    // The first chunk holds the header and the first frame; the rest is on its way.
    for (int i = 0; i < 100 && !control.player().hasMovie(); ++i)
        QTest::qWait(10);
    ASSERT_TRUE(control.player().hasMovie());
    EXPECT_TRUE(control.isLoading());
    EXPECT_LT(control.PercentLoaded(), 100);

    ASSERT_TRUE(waitForLoad());
    EXPECT_TRUE(done.first().at(0).toBool());
    EXPECT_EQ(control.PercentLoaded(), 100);
    EXPECT_EQ(control.player().framesLoaded(), 3);
}

TEST_F(NetworkMovieTest, ABrokenTransferKeepsWhatArrived)
{
    const QByteArray body = movie(2, 50000);
    LoopbackHttpServer server({200, body, 10000, 20, body.size() / 2});
    control.setMovie(server.url().toString());
    ASSERT_TRUE(waitForLoad());
    EXPECT_FALSE(done.first().at(0).toBool());
    EXPECT_TRUE(control.player().hasMovie());
    EXPECT_GT(control.PercentLoaded(), 0);
    EXPECT_LT(control.PercentLoaded(), 100);
    control.advanceFrame();
}

TEST_F(NetworkMovieTest, AnErrorStatusLeavesTheControlEmpty)
{
    LoopbackHttpServer server({404, movie(2), 0, 0, -1});
    control.setMovie(server.url().toString());
    ASSERT_TRUE(waitForLoad());
    EXPECT_FALSE(done.first().at(0).toBool());
    EXPECT_FALSE(control.player().hasMovie());
}

TEST_F(NetworkMovieTest, AnUnreachableHostLeavesTheControlEmpty)
{
    // A port nobody listens on: bind one, note it, close it.
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    control.setMovie(QStringLiteral("http://127.0.0.1:%1/movie.swf").arg(port));
    ASSERT_TRUE(waitForLoad());
    EXPECT_FALSE(done.first().at(0).toBool());
    EXPECT_FALSE(control.player().hasMovie());
    EXPECT_EQ(control.PercentLoaded(), 0);
}

TEST_F(NetworkMovieTest, ANewMovieCancelsAPendingDownload)
{
    LoopbackHttpServer slow({200, movie(5, 200000), 1000, 100, -1});
    control.setMovie(slow.url().toString());
    QTest::qWait(50);
    LoopbackHttpServer quick({200, movie(2), 0, 0, -1});
    control.setMovie(quick.url().toString());
    ASSERT_TRUE(waitForLoad());
    QTest::qWait(300);
    EXPECT_EQ(done.count(), 1);
    EXPECT_EQ(control.player().frameCount(), 2);
    EXPECT_FALSE(control.isLoading());
}
