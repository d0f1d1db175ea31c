#include "flash/NetworkSource.h"

#include <algorithm>
#include <span>

#include <QNetworkReply>
#include <QNetworkRequest>

#include "swf/read/HeaderParser.h"
#include "swf/read/MovieLoader.h"

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

// How many bytes a movie whose header declares `header` can take on the
// wire. The player forgives a length that is a little short, so the same
// slack is read past it; a compressed body is smaller than the length it
// declares, save for the little that deflate or LZMA add to data they
// cannot shrink, which an eighth more covers many times over.
qint64 wireLength(const swf::Header& header)
{
    const qint64 declared = header.fileLength;
    const qint64 slack = swf::MovieLoader::kLengthSlack;
    if (header.compression == swf::Compression::None)
        return declared + slack;
    return declared + declared / 8 + slack;
}

} // namespace

NetworkSource::NetworkSource(QNetworkAccessManager& network, const QUrl& url, QObject* parent)
    : MovieSource(parent)
    , m_network(network)
    , m_url(url)
{
    connect(&m_rateWindow, &QTimer::timeout, this, &NetworkSource::onRateWindowEnded);
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

void NetworkSource::setMinimumRate(qint64 bytesPerSecond, int windowMs)
{
    m_minBytesPerSecond = bytesPerSecond;
    m_rateWindowMs = windowMs;
    if (m_rateWindow.isActive())
        m_rateWindow.start(windowMs);
}

void NetworkSource::start()
{
    m_wanted = m_cap;
    QNetworkRequest request(m_url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(kTransferTimeoutMs);
    m_reply = m_network.get(request);
    m_reply->setReadBufferSize(kReadBufferBytes);
    connect(m_reply, &QNetworkReply::readyRead, this, &NetworkSource::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &NetworkSource::onFinished);
    m_rateWindow.start(m_rateWindowMs);
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
    // Bytes are taken as they come, never more than the movie can use: the
    // connection is closed the moment the cap or the movie's own length is
    // reached, however much more the server has to send.
    while (!m_ended) {
        QByteArray bytes = m_reply->read(std::min(kReadBufferBytes, m_wanted - m_received));
        if (bytes.isEmpty())
            return;
        learnMovieLength(bytes);
        if (m_ended)
            return;
        if (bytes.size() > m_wanted - m_received)
            bytes.truncate(m_wanted - m_received);
        m_received += bytes.size();
        emit arrived(bytes);
        if (m_received >= m_wanted) {
            const bool wholeMovie = m_wanted < m_cap;
            end(wholeMovie, wholeMovie ? QString() : QStringLiteral("movie too large"));
        }
    }
}

void NetworkSource::learnMovieLength(const QByteArray& bytes)
{
    const qsizetype missing = qsizetype(swf::kHeaderPrefixSize) - m_prefix.size();
    if (missing <= 0)
        return;
    m_prefix += bytes.left(missing);
    if (m_prefix.size() < qsizetype(swf::kHeaderPrefixSize))
        return;
    const auto header =
        swf::parseHeaderPrefix(std::span(reinterpret_cast<const std::uint8_t*>(m_prefix.constData()), swf::kHeaderPrefixSize));
    // The player cannot use what follows a header it refuses.
    if (!header) {
        end(false, QString::fromStdString(header.error()));
        return;
    }
    m_wanted = std::min(m_wanted, wireLength(header.value()));
}

void NetworkSource::onRateWindowEnded()
{
    if (m_ended || !m_reply)
        return;
    // Bytes waiting for us count: a busy player is not a slow server.
    const qint64 arrived = m_received + m_reply->bytesAvailable();
    if ((arrived - m_receivedAtWindowStart) * 1000 < m_minBytesPerSecond * m_rateWindowMs) {
        end(false, QStringLiteral("download too slow: %1 bytes in %2 s")
                       .arg(arrived - m_receivedAtWindowStart)
                       .arg(m_rateWindowMs / 1000.0));
        return;
    }
    m_receivedAtWindowStart = arrived;
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
    m_rateWindow.stop();
    if (m_reply) {
        m_reply->disconnect(this);
        // A reply that has already failed (an error status) is ending
        // anyway; aborting it would report its error a second time.
        if (m_reply->isRunning() && m_reply->error() == QNetworkReply::NoError)
            m_reply->abort();
        m_reply->deleteLater();
        m_reply.clear();
    }
    emit finished(complete, reason);
}

} // namespace flash
