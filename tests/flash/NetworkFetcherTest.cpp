// Script's loads over http from a server on 127.0.0.1: what a movie from
// the web hears of each kind of load, each way a server fails it, and each
// load the sandbox refuses before anything goes out.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "flash/NetworkFetcher.h"
#include "flash/ShockwaveFlash.h"
#include "support/ActionWriter.h"
#include "support/SwfWriter.h"
#include "swf/Player.h"
#include "swf/read/TagCode.h"

namespace {

using swftest::ActionCode;
using swftest::ActionWriter;

QByteArray bytesOf(const std::vector<std::uint8_t>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

QByteArray fileBytes(const char* path)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A web site on 127.0.0.1 with a fixed table of pages. "/echo" answers
// with how it was asked: method|target|content type|body; "/head" with
// the request's head as it came.
class Site : public QObject {
public:
    struct Page {
        int status = 200;
        QByteArray body;
        QByteArray head; // further header lines
        bool stall = false; // never answers
        bool unsized = false; // no length: the body runs until the connection closes
        // Sends this much of the body, then the rest a while later.
        qsizetype pauseAfter = -1;
    };

    Site()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
            }
        });
    }

    void add(const QByteArray& path, Page page) { m_pages[path] = std::move(page); }
    QString url(const char* path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(QLatin1String(path)); }
    quint16 port() const { return m_server.serverPort(); }
    int requests() const { return m_requests; }

private:
    void read(QTcpSocket* socket)
    {
        const QByteArray request = socket->peek(1 << 20);
        const qsizetype headEnd = request.indexOf("\r\n\r\n");
        if (socket->property("answered").toBool() || headEnd < 0)
            return;
        QByteArray contentType;
        qsizetype length = 0;
        for (const QByteArray& line : request.left(headEnd).split('\n')) {
            const QByteArray lower = line.trimmed().toLower();
            if (lower.startsWith("content-length:"))
                length = lower.mid(15).trimmed().toLongLong();
            if (lower.startsWith("content-type:"))
                contentType = line.trimmed().mid(13).trimmed();
        }
        if (request.size() < headEnd + 4 + length)
            return;
        socket->setProperty("answered", true);
        ++m_requests;
        const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
        const QByteArray target = words.value(1);
        const QByteArray path = target.left(target.indexOf('?') < 0 ? target.size() : target.indexOf('?'));
        Page page = m_pages.count(path) ? m_pages[path] : Page {404, "no such page"};
        if (path == "/echo")
            page = {200, words.value(0) + "|" + target + "|" + contentType + "|" + request.mid(headEnd + 4, length)};
        if (path == "/head")
            page = {200, request.left(headEnd) + "|end"};
        if (page.stall)
            return;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(page.status) + " Status\r\nConnection: close\r\n" + page.head;
        if (!page.unsized)
            head += "Content-Length: " + QByteArray::number(page.body.size()) + "\r\n";
        const qsizetype first = page.pauseAfter >= 0 ? page.pauseAfter : page.body.size();
        socket->write(head + "\r\n" + page.body.left(first));
        QPointer<QTcpSocket> open(socket);
        QTimer::singleShot(first < page.body.size() ? 300 : 0, this, [open, rest = page.body.mid(first)] {
            if (!open)
                return;
            open->write(rest);
            open->disconnectFromHost();
        });
    }

    QTcpServer m_server;
    std::map<QByteArray, Page> m_pages;
    int m_requests = 0;
};

// -- Script vocabulary -------------------------------------------------------

// trace(prefix + the named variable)
ActionWriter traceWith(const char* prefix, const char* variable)
{
    ActionWriter w;
    w.push(prefix, variable).op(ActionCode::GetVariable).op(ActionCode::Add2).op(ActionCode::Trace);
    return w;
}

void handler(ActionWriter& w, const char* object, const char* event, const char* parameter, const ActionWriter& body)
{
    w.push(object).op(ActionCode::GetVariable).push(event);
    w.defineFunction("", {parameter}, body).op(ActionCode::SetMember);
}

// v = new `type`(), its status and data traced as they come
ActionWriter listener(const char* type)
{
    ActionWriter w;
    w.push("v", 0, type).op(ActionCode::NewObject).op(ActionCode::SetVariable);
    handler(w, "v", "onHTTPStatus", "s", traceWith("status ", "s"));
    handler(w, "v", "onData", "d", traceWith("data ", "d"));
    return w;
}

// The listener, then v.load(url)
ActionWriter textLoad(const char* type, const std::string& url)
{
    ActionWriter w = listener(type);
    w.push(url.c_str(), 1, "v").op(ActionCode::GetVariable).push("load").op(ActionCode::CallMethod).op(ActionCode::Pop);
    return w;
}

// The listener, then s = new LoadVars(); s.a = "1 2"; s.sendAndLoad(url, v, method)
ActionWriter sendAndLoad(const std::string& url, const char* method)
{
    ActionWriter w = listener("LoadVars");
    w.push("s", 0, "LoadVars").op(ActionCode::NewObject).op(ActionCode::SetVariable);
    w.push("s").op(ActionCode::GetVariable).push("a", "1 2").op(ActionCode::SetMember);
    w.push(method, "v").op(ActionCode::GetVariable).push(url.c_str(), 3, "s").op(ActionCode::GetVariable);
    w.push("sendAndLoad").op(ActionCode::CallMethod).op(ActionCode::Pop);
    return w;
}

// The listener, then s = new `type`(); s.contentType = "text/xml"; the
// headers added in both ways, the last pair wrongly; s.sendAndLoad(url, v,
// method).
ActionWriter headersSent(const char* type, const std::string& url, const char* method)
{
    ActionWriter w = listener(type);
    w.push("s", 0, type).op(ActionCode::NewObject).op(ActionCode::SetVariable);
    w.push("s").op(ActionCode::GetVariable).push("contentType", "text/xml").op(ActionCode::SetMember);
    const auto add = [&](std::initializer_list<swftest::PushValue> arguments, int count) {
        w.pushValues(arguments).push(count, "s").op(ActionCode::GetVariable).push("addRequestHeader").op(ActionCode::CallMethod);
        w.op(ActionCode::Pop);
    };
    add({"1", "X-One"}, 2);
    add({"elsewhere.example", "hOST"}, 2);
    add({"yes", "X-Lines\r\nX-Injected"}, 2);
    w.push("a\r\nX-Injected: 1", "X-Split", "5", "Content-Length", "2", "X-Two", 6).op(ActionCode::InitArray);
    add({}, 1);
    w.push(method, "v").op(ActionCode::GetVariable).push(url.c_str(), 3, "s").op(ActionCode::GetVariable);
    w.push("sendAndLoad").op(ActionCode::CallMethod).op(ActionCode::Pop);
    return w;
}

// l = new MovieClipLoader(), its outcome traced; l.loadClip(url, createEmptyMovieClip("a", 1))
ActionWriter clipLoad(const std::string& url)
{
    ActionWriter w;
    w.push("l", 0, "MovieClipLoader").op(ActionCode::NewObject).op(ActionCode::SetVariable);
    ActionWriter init;
    init.push("init").op(ActionCode::Trace);
    handler(w, "l", "onLoadInit", "t", init);
    ActionWriter error;
    error.push("error ", "e").op(ActionCode::GetVariable).op(ActionCode::Add2).op(ActionCode::Trace);
    w.push("l").op(ActionCode::GetVariable).push("onLoadError");
    w.defineFunction("", {"t", "e"}, error).op(ActionCode::SetMember);
    w.push(1, "a", 2, "_root").op(ActionCode::GetVariable).push("createEmptyMovieClip").op(ActionCode::CallMethod);
    w.push(url.c_str(), 2, "l").op(ActionCode::GetVariable).push("loadClip").op(ActionCode::CallMethod).op(ActionCode::Pop);
    return w;
}

// s = new Sound(); s.onLoad traced; s.loadSound(url, false)
ActionWriter soundLoad(const std::string& url)
{
    ActionWriter w;
    w.push("s", 0, "Sound").op(ActionCode::NewObject).op(ActionCode::SetVariable);
    handler(w, "s", "onLoad", "ok", traceWith("sound ", "ok"));
    w.push(false, url.c_str(), 2, "s").op(ActionCode::GetVariable).push("loadSound").op(ActionCode::CallMethod).op(ActionCode::Pop);
    return w;
}

// A stream on a local connection playing url, its first status traced.
ActionWriter streamPlay(const std::string& url)
{
    ActionWriter w;
    w.push("c", 0, "NetConnection").op(ActionCode::NewObject).op(ActionCode::SetVariable);
    w.pushValues({swftest::PushValue::null()}).push(1, "c").op(ActionCode::GetVariable).push("connect").op(ActionCode::CallMethod);
    w.op(ActionCode::Pop);
    w.push("n", "c").op(ActionCode::GetVariable).push(1, "NetStream").op(ActionCode::NewObject).op(ActionCode::SetVariable);
    ActionWriter status;
    status.push("i").op(ActionCode::GetVariable).push("code").op(ActionCode::GetMember).op(ActionCode::Trace);
    handler(w, "n", "onStatus", "i", status);
    w.push(url.c_str(), 1, "n").op(ActionCode::GetVariable).push("play").op(ActionCode::CallMethod).op(ActionCode::Pop);
    return w;
}

std::vector<std::uint8_t> movieOf(const ActionWriter& script)
{
    swftest::SwfWriter writer;
    writer.setVersion(8).setFrameSize(100, 100).setFrameRate(30).setFrameCount(1);
    writer.tag(std::uint16_t(swf::TagCode::DoAction), script.build()).showFrame();
    return writer.end().build();
}

struct Outcome {
    std::string trace;
    std::vector<swf::Diagnostic> diagnostics;
};

// Plays `script` in a movie at `movieUrl` until it has traced `length`
// characters (or ends with `last`) or a few seconds have passed, with the
// network's answers arriving between frames.
Outcome play(const ActionWriter& script, const QString& movieUrl, std::shared_ptr<flash::NetworkFetcher> fetcher, std::size_t length,
         const char* last = nullptr)
{
    Outcome run;
    swf::Player player;
    player.setTraceOutput([&](std::string_view line) { run.trace.append(line).append("\n"); });
    player.setMovieUrl(movieUrl.toStdString());
    player.setWebFetcher(std::move(fetcher));
    player.open();
    player.feed(movieOf(script));
    player.finish();
    QElapsedTimer clock;
    clock.start();
    while ((last ? !run.trace.ends_with(last) : run.trace.size() < length) && clock.elapsed() < 5000) {
        QTest::qWait(5);
        player.advance();
    }
    run.diagnostics = player.diagnostics();
    return run;
}

bool mentions(const std::vector<swf::Diagnostic>& diagnostics, const std::string& part)
{
    for (const swf::Diagnostic& d : diagnostics)
        if (d.message.find(part) != std::string::npos)
            return true;
    return false;
}

class WebLoads : public testing::Test {
protected:
    WebLoads()
    {
        swftest::SwfWriter clip;
        clip.setVersion(8).setFrameSize(10, 10).showFrame();
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QBuffer jpeg;
        jpeg.open(QIODevice::WriteOnly);
        picture.save(&jpeg, "JPG");
        site.add("/text.txt", {200, "a=1&b=two"});
        site.add("/data.xml", {200, "<r><i>x</i></r>"});
        site.add("/clip.swf", {200, bytesOf(clip.build())});
        site.add("/picture.jpg", {200, jpeg.data()});
        site.add("/tune.mp3", {200, fileBytes(TVK_CORPUS_DIR "/trace/test.mp3")});
        site.add("/video.flv", {200, fileBytes(TVK_CORPUS_DIR "/trace/video.flv")});
        site.add("/slow.flv", {200, fileBytes(TVK_CORPUS_DIR "/trace/video.flv"), {}, false, false, 250'000});
        site.add("/elsewhere", {302, {}, "Location: http://localhost:" + QByteArray::number(site.port()) + "/text.txt\r\n"});
        site.add("/nearby", {302, {}, "Location: /text.txt\r\n"});
        site.add("/stall", {200, {}, {}, true});
        site.add("/huge", {200, QByteArray(kCap + 1000, 'x'), {}, false, true});
        std::vector<std::uint8_t> padding(30'000, 0x11);
        clip.tag(250, padding);
        site.add("/slow.swf", {200, bytesOf(clip.build()), {}, false, false, 10'000});
        fetcher->setByteCap(kCap);
        fetcher->setTransferTimeout(300);
    }

    std::string url(const char* path) const { return site.url(path).toStdString(); }

    // Above the video's size, far below what a load may bring in the player.
    static constexpr qsizetype kCap = 400 * 1024;

    Site site;
    QNetworkAccessManager network;
    std::shared_ptr<flash::NetworkFetcher> fetcher = std::make_shared<flash::NetworkFetcher>(network);
};

TEST_F(WebLoads, ScriptHearsEachLoadAsTheReferencePlayerTellsIt)
{
    const struct Case {
        const char* what;
        ActionWriter script;
        std::string heard;
        int requests;
        const char* diagnostic; // empty when none is due
    } cases[] {
        {"text", textLoad("LoadVars", url("/text.txt")), "status 200\ndata a=1&b=two\n", 1, ""},
        {"XML", textLoad("XML", url("/data.xml")), "status 200\ndata <r><i>x</i></r>\n", 1, ""},
        {"a relative address", textLoad("LoadVars", "text.txt"), "status 200\ndata a=1&b=two\n", 1, ""},
        {"a redirect on the same host", textLoad("LoadVars", "nearby"), "status 200\ndata a=1&b=two\n", 2, ""},
        {"POST", sendAndLoad(url("/echo"), "POST"), "status 200\ndata POST|/echo|application/x-www-form-urlencoded|a=1%202\n", 1, ""},
        {"GET with variables", sendAndLoad(url("/echo"), "GET"), "status 200\ndata GET|/echo?a=1%202||\n", 1, ""},
        {"not found", textLoad("LoadVars", url("/missing")), "status 404\ndata undefined\n", 1, "answered 404"},
        {"a redirect to another host", textLoad("LoadVars", url("/elsewhere")), "data undefined\n", 1, "where the movie may not load from"},
        {"a server that never answers", textLoad("LoadVars", url("/stall")), "status 0\ndata undefined\n", 1, "/stall\" failed"},
        {"more than a load may bring", textLoad("LoadVars", url("/huge")), "status 200\ndata undefined\n", 1, "larger than a load may be"},
        {"a movie into a clip", clipLoad(url("/clip.swf")), "init\n", 1, ""},
        {"an image into a clip", clipLoad(url("/picture.jpg")), "init\n", 1, ""},
        {"a clip not found", clipLoad(url("/missing")), "error URLNotFound\n", 1, "answered 404"},
        {"a clip that never completes", clipLoad(url("/huge")), "error LoadNeverCompleted\n", 1, "larger than a load may be"},
        {"an MP3", soundLoad(url("/tune.mp3")), "sound true\n", 1, ""},
        {"an MP3 not found", soundLoad(url("/missing")), "sound false\n", 1, "answered 404"},
        {"a video stream", streamPlay(url("/video.flv")), "NetStream.Play.Start\n", 1, ""},
        {"a video stream not found", streamPlay(url("/missing")), "NetStream.Play.StreamNotFound\n", 1, "answered 404"},
        // Refused before anything goes out.
        {"another host", textLoad("LoadVars", "http://localhost:" + std::to_string(site.port()) + "/text.txt"), "data undefined\n", 0,
         "only from its own host"},
        {"a file", textLoad("LoadVars", "file:///etc/hostname"), "data undefined\n", 0, "loads only from the web"},
        {"a clip from a file", clipLoad("file:///etc/hostname"), "error URLNotFound\n", 0, "loads only from the web"},
    };
    for (const Case& c : cases) {
        const int before = site.requests();
        const Outcome run = play(c.script, site.url("/movie.swf"), fetcher, c.heard.size());
        EXPECT_EQ(run.trace.substr(0, c.heard.size()), c.heard) << c.what;
        EXPECT_EQ(site.requests() - before, c.requests) << c.what;
        EXPECT_TRUE(!*c.diagnostic || mentions(run.diagnostics, c.diagnostic)) << c.what;
    }
}

TEST_F(WebLoads, TheMoviesOwnHeadersGoOutAndNoOthers)
{
    for (const char* type : {"LoadVars", "XML"}) {
        for (const char* method : {"POST", "GET"}) {
            const Outcome run = play(headersSent(type, url("/head"), method), site.url("/movie.swf"), fetcher, 0, "|end\n");
            const std::string what = std::string(type) + " " + method;
            const std::string& head = run.trace;
            EXPECT_NE(head.find(std::string("data ") + method + " /head"), std::string::npos) << what << head;
            EXPECT_NE(head.find("X-One: 1\r\n"), std::string::npos) << what << head;
            EXPECT_NE(head.find("X-Two: 2\r\n"), std::string::npos) << what << head;
            EXPECT_EQ(head.find("Content-Type: text/xml\r\n") != std::string::npos, method == std::string("POST")) << what << head;
            for (const char* refused : {"X-Injected", "X-Split", "X-Lines", "elsewhere.example", "Content-Length: 5"})
                EXPECT_EQ(head.find(refused), std::string::npos) << what << " sent " << refused;
        }
    }
}

TEST_F(WebLoads, ALoadOnItsWayIsHeardAsItGrows)
{
    // l.onLoadProgress = function (t, loaded, total) { trace(loaded < total) }
    ActionWriter w = clipLoad(url("/slow.swf"));
    ActionWriter progress;
    progress.push("loaded").op(ActionCode::GetVariable).push("total").op(ActionCode::GetVariable).op(ActionCode::Less2).op(ActionCode::Trace);
    w.push("l").op(ActionCode::GetVariable).push("onLoadProgress");
    w.defineFunction("", {"t", "loaded", "total"}, progress).op(ActionCode::SetMember);
    // The listener is set after loadClip returned, before anything is heard.
    fetcher->setTransferTimeout(5000);
    const Outcome run = play(w, site.url("/movie.swf"), fetcher, 0, "init\n");
    EXPECT_TRUE(run.trace.starts_with("true\n")) << run.trace;
    EXPECT_TRUE(run.trace.ends_with("false\ninit\n")) << run.trace;
}

// The video's first 250 KB hold seconds of it: it plays before the rest.
TEST_F(WebLoads, AStreamPlaysBeforeItsFileHasAllCome)
{
    fetcher->setTransferTimeout(5000);
    const Outcome run = play(streamPlay(url("/slow.flv")), site.url("/movie.swf"), fetcher, 0, "NetStream.Buffer.Flush\n");
    EXPECT_EQ(run.trace, "NetStream.Play.Start\nNetStream.Buffer.Full\nNetStream.Buffer.Flush\n");
}

TEST_F(WebLoads, AMovieFromDiskNeverReachesTheNetwork)
{
    for (const QString& movie : {QStringLiteral("file:///tmp/movie.swf"), QString()}) {
        const Outcome run = play(textLoad("LoadVars", url("/text.txt")), movie, fetcher, 15);
        EXPECT_EQ(run.trace, "data undefined\n");
        EXPECT_TRUE(mentions(run.diagnostics, "refused"));
    }
    EXPECT_EQ(site.requests(), 0);
}

TEST_F(WebLoads, TheControlLetsOnlyAWebMovieReachTheWeb)
{
    QTemporaryDir folder;
    const QString onDisk = folder.filePath(QStringLiteral("movie.swf"));
    const QByteArray movie = bytesOf(movieOf(textLoad("LoadVars", url("/text.txt"))));
    QFile file(onDisk);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(movie) == movie.size());
    file.close();
    site.add("/movie.swf", {200, movie});
    for (const QString& address : {onDisk, site.url("/movie.swf")}) {
        flash::ShockwaveFlash control;
        const int before = site.requests();
        control.setMovie(address);
        for (int i = 0; i < 100 && site.requests() - before < (address == onDisk ? 1 : 2); ++i) {
            QTest::qWait(10);
            control.advanceFrame();
        }
        // The movie itself, then its text; from disk, nothing at all.
        EXPECT_EQ(site.requests() - before, address == onDisk ? 0 : 2) << address.toStdString();
    }
}

TEST_F(WebLoads, WithoutAFetcherTheWebIsNotFetchedAndTheMovieIsToldSo)
{
    const Outcome run = play(textLoad("LoadVars", url("/text.txt")), site.url("/movie.swf"), nullptr, 15);
    EXPECT_EQ(run.trace, "data undefined\n");
    EXPECT_TRUE(mentions(run.diagnostics, "reads local files only"));
    EXPECT_EQ(site.requests(), 0);
}

TEST_F(WebLoads, LoadsInFlightOutliveThePlayerAndTheFetcherHarmlessly)
{
    {
        swf::Player player;
        player.setMovieUrl(site.url("/movie.swf").toStdString());
        player.setWebFetcher(fetcher);
        player.open();
        player.feed(movieOf(textLoad("LoadVars", url("/stall"))));
        player.finish();
        player.advance();
        QTest::qWait(20);
    }
    QTest::qWait(50);
    // A fetcher going with a request still out.
    const std::uint64_t id = fetcher->start({url("/stall"), swf::script::UrlMethod::Get, {}, 1000, {}, {}, {}});
    QTest::qWait(20);
    EXPECT_FALSE(fetcher->take(id).has_value());
    fetcher.reset();
    QTest::qWait(50);
}

} // namespace
