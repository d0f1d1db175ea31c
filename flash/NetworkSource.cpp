#include "flash/NetworkSource.h"

#include <QNetworkReply>
#include <QNetworkRequest>

namespace flash {

namespace {

bool isSuccessStatus(const QNetworkReply& reply)
{
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        return true; // not known yet
    const int code = status.toInt();
    return code >= 200 && code < 300;
}

} // namespace

NetworkSource::NetworkSource(QNetworkAccessManager& network, const QUrl& url, QObject* parent)
    : MovieSource(parent)
    , m_network(network)
    , m_url(url)
{
}

NetworkSource::~NetworkSource()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

bool NetworkSource::handles(const QString& movie)
{
    const QString scheme = QUrl(movie).scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

void NetworkSource::start()
{
    QNetworkRequest request(m_url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(kTransferTimeoutMs);
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &NetworkSource::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &NetworkSource::onFinished);
}

void NetworkSource::onReadyRead()
{
    if (m_ended || !m_reply)
        return;
    // An error page is not a movie, whatever bytes it carries.
    if (!isSuccessStatus(*m_reply)) {
        end(false, m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
        return;
    }
    const QByteArray bytes = m_reply->read(kMaxBytes - m_received);
    m_received += bytes.size();
    if (!bytes.isEmpty())
        emit arrived(bytes);
    if (m_received >= kMaxBytes)
        end(false, QStringLiteral("movie too large"));
}

void NetworkSource::onFinished()
{
    if (m_ended || !m_reply)
        return;
    if (m_reply->error() == QNetworkReply::NoError && isSuccessStatus(*m_reply)) {
        onReadyRead();
        if (!m_ended)
            end(true, QString());
        return;
    }
    end(false, m_reply->errorString());
}

void NetworkSource::end(bool complete, const QString& reason)
{
    m_ended = true;
    if (m_reply) {
        m_reply->disconnect(this);
        if (m_reply->isRunning())
            m_reply->abort();
        m_reply->deleteLater();
        m_reply.clear();
    }
    emit finished(complete, reason);
}

} // namespace flash
