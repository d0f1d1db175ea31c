#include <gtest/gtest.h>

#include <optional>

#include <QElapsedTimer>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QTcpServer>
#include <QThread>

#include "flash/NetworkSource.h"
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

namespace {

QByteArray bytesOf(const std::vector<std::uint8_t>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

// The eight bytes that start an uncompressed movie declaring `length`.
QByteArray moviePrefix(std::uint32_t length)
{
    QByteArray prefix("FWS\x0A", 4);
    for (int i = 0; i < 4; ++i)
        prefix += char(length >> (8 * i));
    return prefix;
}

// A server on a thread of its own, so that it goes on sending while the
// test's thread is busy, as a real one would.
class ServerThread : public QThread {
public:
    explicit ServerThread(LoopbackHttpServer::Reply reply)
        : m_reply(std::move(reply))
    {
        start();
        m_ready.acquire();
    }
    ~ServerThread() override
    {
        quit();
        wait();
    }
    QUrl url() const { return m_url; }
    qint64 bytesSent() const
    {
        const LoopbackHttpServer* server = m_server;
        return server ? server->bytesSent() : 0;
    }

private:
    void run() override
    {
        LoopbackHttpServer server(m_reply);
        m_url = server.url();
        m_server = &server;
        m_ready.release();
        exec();
        m_server = nullptr;
    }

    LoopbackHttpServer::Reply m_reply;
    QUrl m_url;
    std::atomic<LoopbackHttpServer*> m_server = nullptr;
    QSemaphore m_ready;
};

struct Download {
    QByteArray bytes;
    std::optional<bool> complete;
    QString reason;
};

// Runs `source` until it finishes, `onPiece` called with each piece.
Download fetch(flash::NetworkSource& source, const std::function<void()>& onPiece = {})
{
    Download download;
    QObject::connect(&source, &flash::MovieSource::arrived, [&](const QByteArray& bytes) {
        download.bytes += bytes;
        if (onPiece)
            onPiece();
    });
    QObject::connect(&source, &flash::MovieSource::finished, [&](bool complete, const QString& reason) {
        download.complete = complete;
        download.reason = reason;
    });
    source.start();
    QElapsedTimer clock;
    clock.start();
    while (!download.complete && clock.elapsed() < 20'000)
        QTest::qWait(5);
    return download;
}

} // namespace

// A fast server and a busy player: the cap still ends the download when
// it is reached, and the network layer has not taken the whole answer off
// the connection behind the player's back.
TEST(NetworkSource, TheCapIsEnforcedAsBytesArriveEvenWhileThePlayerIsBusy)
{
    constexpr qint64 kCap = 1 << 20;
    const QByteArray body = moviePrefix(200u << 20) + QByteArray(64 << 20, '\0');
    ServerThread server({200, body, 0, 0, -1});
    QNetworkAccessManager network;
    flash::NetworkSource source(network, server.url());
    source.setByteCap(kCap);
    const Download download = fetch(source, [] { QThread::msleep(20); });
    ASSERT_TRUE(download.complete.has_value());
    EXPECT_FALSE(*download.complete);
    EXPECT_EQ(download.reason, QStringLiteral("movie too large"));
    EXPECT_EQ(download.bytes.size(), kCap);
    EXPECT_LT(server.bytesSent(), 24 << 20);
}

// Whatever the server goes on sending, reading stops at the length its
// own head declares or, once the movie's header has said how long it can
// be, at that; and the whole movie is there.
TEST(NetworkSource, AMovieIsReadNoFurtherThanItsHeadersAllow)
{
    swftest::SwfWriter writer;
    writer.setFrameSize(100, 100).showFrame().showFrame();
    const QByteArray junk(4 << 20, '\x5A');
    const struct {
        const char* name;
        QByteArray movie;
        bool complete;
        qint64 contentLength = -1;
    } cases[] {
        {"uncompressed", bytesOf(writer.build(swf::Compression::None)), true},
        {"zlib", bytesOf(writer.build(swf::Compression::Zlib)), true},
        {"lzma", bytesOf(writer.build(swf::Compression::Lzma)), true},
        {"no movie at all", QByteArrayLiteral("<html><body>moved</body></html>"), false},
        {"Content-Length shorter than the answer", bytesOf(writer.build(swf::Compression::Zlib)), true, 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray body = c.movie + junk;
        LoopbackHttpServer server({200, body, 64 * 1024, 10, -1, c.contentLength});
        QNetworkAccessManager network;
        flash::NetworkSource source(network, server.url());
        const Download download = fetch(source);
        ASSERT_TRUE(download.complete.has_value());
        EXPECT_EQ(*download.complete, c.complete) << download.reason.toStdString();
        EXPECT_TRUE(body.startsWith(download.bytes));
        if (c.complete) {
            EXPECT_GE(download.bytes.size(), c.movie.size());
        }
        if (c.contentLength >= 0) {
            EXPECT_EQ(download.bytes.size(), c.contentLength);
        }
        EXPECT_LT(download.bytes.size(), body.size());
        EXPECT_LT(server.bytesSent(), body.size());
    }
}

// A server that promises ten gigabytes and sends a byte at a time is given
// up once a window passes below the floor; one above it is left alone.
TEST(NetworkSource, ADownloadBelowTheFloorRateIsEnded)
{
    const QByteArray body = moviePrefix(20'000) + QByteArray(19'992, '\0');
    const struct {
        const char* name;
        int chunk;
        bool complete;
    } cases[] {
        {"a byte every 50 ms", 1, false},
        {"500 bytes every 50 ms, for two seconds", 500, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackHttpServer server({200, body, c.chunk, 50, -1, c.complete ? -1 : qint64(10) << 30});
        QNetworkAccessManager network;
        flash::NetworkSource source(network, server.url());
        source.setMinimumRate(400, 500);
        const Download download = fetch(source);
        ASSERT_TRUE(download.complete.has_value());
        EXPECT_EQ(*download.complete, c.complete) << download.reason.toStdString();
        EXPECT_EQ(download.reason.contains(QStringLiteral("too slow")), !c.complete) << download.reason.toStdString();
    }
}
