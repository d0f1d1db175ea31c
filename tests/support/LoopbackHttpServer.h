#pragma once

// A web server on 127.0.0.1 for tests, serving one body per request, with
// knobs for the ways real servers misbehave: slow, cut off, erroring.

#include <atomic>

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

class LoopbackHttpServer : public QObject {
    Q_OBJECT
public:
    struct Reply {
        int status = 200;
        QByteArray body;
        int chunkSize = 0;        // 0: the whole body at once
        int chunkDelayMs = 0;     // pause between chunks
        qsizetype dropAfter = -1; // close the connection after this many body bytes
        qint64 contentLength = -1; // what the head declares; -1: the body's size
    };

    explicit LoopbackHttpServer(Reply reply, QObject* parent = nullptr);

    QUrl url(const QString& path = QStringLiteral("/movie.swf")) const;
    int requests() const { return m_requests; }
    // Bytes the connection has taken so far, head included; may be read
    // from any thread.
    qint64 bytesSent() const { return m_sent; }

private:
    void onConnection();
    void respond(QTcpSocket* socket);
    void sendMore(QPointer<QTcpSocket> socket, qsizetype offset);

    Reply m_reply;
    QTcpServer m_server;
    int m_requests = 0;
    std::atomic<qint64> m_sent = 0;
};
