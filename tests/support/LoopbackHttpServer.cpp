#include "support/LoopbackHttpServer.h"

#include <QTimer>

LoopbackHttpServer::LoopbackHttpServer(Reply reply, QObject* parent)
    : QObject(parent)
    , m_reply(std::move(reply))
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, &LoopbackHttpServer::onConnection);
}

QUrl LoopbackHttpServer::url(const QString& path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
}

void LoopbackHttpServer::onConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            // One request a connection is all the tests need: answer once the
            // request's head has arrived.
            if (socket->property("answered").toBool() || !socket->peek(65536).contains("\r\n\r\n"))
                return;
            socket->setProperty("answered", true);
            socket->readAll();
            respond(socket);
        });
    }
}

void LoopbackHttpServer::respond(QTcpSocket* socket)
{
    ++m_requests;
    const QByteArray head = "HTTP/1.1 " + QByteArray::number(m_reply.status) + " Status\r\n"
                            + "Content-Type: application/x-shockwave-flash\r\n"
                            + "Content-Length: "
                            + QByteArray::number(m_reply.contentLength >= 0 ? m_reply.contentLength : m_reply.body.size())
                            + "\r\n"
                            + "Connection: close\r\n\r\n";
    connect(socket, &QTcpSocket::bytesWritten, this, [this](qint64 bytes) { m_sent += bytes; });
    socket->write(head);
    sendMore(socket, 0);
}

void LoopbackHttpServer::sendMore(QPointer<QTcpSocket> socket, qsizetype offset)
{
    // A client that hung up gets no more.
    if (!socket || socket->state() != QAbstractSocket::ConnectedState)
        return;
    qsizetype end = m_reply.chunkSize > 0 ? std::min(offset + m_reply.chunkSize, m_reply.body.size())
                                          : m_reply.body.size();
    if (m_reply.dropAfter >= 0)
        end = std::min(end, m_reply.dropAfter);
    socket->write(m_reply.body.mid(offset, end - offset));
    socket->flush();
    const bool dropped = m_reply.dropAfter >= 0 && end >= m_reply.dropAfter;
    if (end >= m_reply.body.size() || dropped) {
        socket->disconnectFromHost();
        return;
    }
    QTimer::singleShot(m_reply.chunkDelayMs, this, [this, socket, end] { sendMore(socket, end); });
}
