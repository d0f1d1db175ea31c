#include "flash/NetworkFetcher.h"

#include <algorithm>
#include <chrono>

#include <QNetworkReply>
#include <QNetworkRequest>

#include "swf/script/RequestHeaders.h"

namespace flash {

namespace {

using swf::script::FetchOutcome;
using swf::script::FetchProgress;
using swf::script::FetchRequest;

int statusOf(const QNetworkReply& reply)
{
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    return status.isValid() ? status.toInt() : 0;
}

bool isSuccess(int status)
{
    return status >= 200 && status < 300;
}

qint64 nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

NetworkFetcher::NetworkFetcher(QNetworkAccessManager& network, QObject* parent)
    : QObject(parent)
    , m_network(network)
{
    connect(&m_rateWindow, &QTimer::timeout, this, &NetworkFetcher::onRateWindowEnded);
}

NetworkFetcher::~NetworkFetcher()
{
    for (auto& [id, load] : m_loads) {
        if (!load.reply)
            continue;
        load.reply->disconnect(this);
        load.reply->abort();
        load.reply->deleteLater();
    }
}

void NetworkFetcher::setMinimumRate(qint64 bytesPerSecond, int windowMs)
{
    m_minBytesPerSecond = bytesPerSecond;
    m_rateWindowMs = std::max(1, windowMs);
}

std::uint64_t NetworkFetcher::start(FetchRequest request)
{
    const std::uint64_t id = ++m_next;
    Load& load = m_loads[id];
    load.request = std::move(request);
    const auto underWay = std::count_if(m_loads.begin(), m_loads.end(), [](const auto& entry) { return !entry.second.outcome; });
    if (std::size_t(underWay) > kMaxLoads) {
        end(load, false, "too many loads at once");
        return id;
    }
    QNetworkRequest asked(QUrl(QString::fromStdString(load.request.location)));
    asked.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    asked.setMaximumRedirectsAllowed(kMaxRedirects);
    asked.setTransferTimeout(m_timeoutMs);
    const bool post = load.request.method == swf::script::UrlMethod::Post;
    if (post) {
        const std::string_view type = swf::script::sendableContentType(load.request.contentType);
        asked.setRawHeader(QByteArrayLiteral("Content-Type"), QByteArray(type.data(), qsizetype(type.size())));
    }
    // The loader has judged these already; this is the last place they
    // pass before the wire, so nothing that could start a line of its own
    // goes even if some other caller forgot. A Content-Type the movie
    // added itself wins over its contentType.
    for (const swf::script::RequestHeader& header : load.request.headers)
        if (swf::script::maySendHeader(header.name, header.value))
            asked.setRawHeader(QByteArray::fromStdString(header.name), QByteArray::fromStdString(header.value));
    if (post) {
        load.reply = m_network.post(asked, QByteArray::fromStdString(load.request.body));
    } else {
        load.reply = m_network.get(asked);
    }
    load.reply->setReadBufferSize(kReadBufferBytes);
    load.windowStart = nowMs();
    connect(load.reply, &QNetworkReply::readyRead, this, [this, id] { onReadyRead(id); });
    connect(load.reply, &QNetworkReply::finished, this, [this, id] { onFinished(id); });
    connect(load.reply, &QNetworkReply::redirected, this, [this, id](const QUrl& to) { onRedirected(id, to); });
    if (!m_rateWindow.isActive())
        m_rateWindow.start(std::max(1, m_rateWindowMs / 4));
    return id;
}

FetchProgress NetworkFetcher::progress(std::uint64_t id) const
{
    const auto found = m_loads.find(id);
    if (found == m_loads.end() || found->second.outcome)
        return {};
    return {std::size_t(found->second.bytes.size()), std::size_t(std::max<qint64>(0, found->second.total))};
}

QByteArray NetworkFetcher::arrivedFrom(std::uint64_t id, std::size_t from) const
{
    const auto found = m_loads.find(id);
    if (found == m_loads.end() || found->second.outcome || from >= std::size_t(found->second.bytes.size()))
        return {};
    return found->second.bytes.mid(qsizetype(from));
}

std::optional<FetchOutcome> NetworkFetcher::take(std::uint64_t id)
{
    const auto found = m_loads.find(id);
    if (found == m_loads.end()) {
        FetchOutcome forgotten;
        forgotten.error = "the load was forgotten";
        return forgotten;
    }
    if (!found->second.outcome)
        return std::nullopt;
    FetchOutcome outcome = std::move(*found->second.outcome);
    m_loads.erase(found);
    return outcome;
}

void NetworkFetcher::cancel(std::uint64_t id)
{
    const auto found = m_loads.find(id);
    if (found == m_loads.end())
        return;
    if (!found->second.outcome)
        end(found->second, false, "cancelled");
    m_loads.erase(found);
}

qint64 NetworkFetcher::held() const
{
    qint64 total = 0;
    for (const auto& [id, load] : m_loads)
        total += load.outcome ? load.outcome->bytes.size() : load.bytes.size();
    return total;
}

void NetworkFetcher::onReadyRead(std::uint64_t id)
{
    const auto found = m_loads.find(id);
    if (found == m_loads.end() || found->second.outcome || !found->second.reply)
        return;
    Load& load = found->second;
    QNetworkReply& reply = *load.reply;
    const int status = statusOf(reply);
    // A redirect's own body is no part of the load.
    if (status >= 300 && status < 400)
        return;
    const qint64 cap = std::min(qint64(load.request.maxBytes), m_cap);
    // An error page is not what the movie asked for, whatever it says: it
    // is let go of as it comes, and the load ends when the reply does
    // (cutting it off early makes the network layer report it twice),
    // unless it goes on for longer than a load may.
    if (status != 0 && !isSuccess(status)) {
        load.discarded += reply.skip(std::numeric_limits<qint64>::max());
        if (load.discarded > cap)
            end(load, false, "the server answered " + std::to_string(status));
        return;
    }
    if (const QVariant length = reply.header(QNetworkRequest::ContentLengthHeader); length.isValid())
        load.total = length.toLongLong();
    if (load.total > cap) {
        end(load, false, "larger than a load may be");
        return;
    }
    // Bytes are taken as they come and the connection is closed the
    // moment the cap is passed, however much more the server has.
    while (!load.outcome) {
        const QByteArray bytes = reply.read(kReadBufferBytes);
        if (bytes.isEmpty())
            return;
        if (load.bytes.size() + bytes.size() > cap) {
            end(load, false, "larger than a load may be");
            return;
        }
        if (held() + bytes.size() > kMaxHeldBytes) {
            end(load, false, "the web loads under way hold all the memory they may");
            return;
        }
        load.bytes += bytes;
    }
}

void NetworkFetcher::onFinished(std::uint64_t id)
{
    const auto found = m_loads.find(id);
    if (found == m_loads.end() || found->second.outcome || !found->second.reply)
        return;
    Load& load = found->second;
    const int status = statusOf(*load.reply);
    if (load.reply->error() != QNetworkReply::NoError || !isSuccess(status)) {
        end(load, false, status != 0 && !isSuccess(status) ? "the server answered " + std::to_string(status)
                                                             : load.reply->errorString().toStdString());
        return;
    }
    onReadyRead(id);
    if (!load.outcome)
        end(load, true, {});
}

void NetworkFetcher::onRedirected(std::uint64_t id, const QUrl& to)
{
    const auto found = m_loads.find(id);
    if (found == m_loads.end() || found->second.outcome || !found->second.reply)
        return;
    Load& load = found->second;
    const std::string address = to.toString(QUrl::FullyEncoded).toStdString();
    if (load.request.mayRedirectTo && load.request.mayRedirectTo(address)) {
        emit load.reply->redirectAllowed();
        return;
    }
    end(load, false, "refused: the server sent it on to " + address + ", where the movie may not load from");
}

void NetworkFetcher::onRateWindowEnded()
{
    const qint64 now = nowMs();
    bool underWay = false;
    for (auto& [id, load] : m_loads) {
        if (load.outcome || !load.reply)
            continue;
        underWay = true;
        if (now - load.windowStart < m_rateWindowMs)
            continue;
        // Bytes waiting for us count: a busy player is not a slow server.
        const qint64 arrived = load.bytes.size() + load.reply->bytesAvailable();
        if ((arrived - load.atWindowStart) * 1000 < m_minBytesPerSecond * m_rateWindowMs) {
            end(load, false, "too slow: " + std::to_string(arrived - load.atWindowStart) + " bytes in " + std::to_string(m_rateWindowMs) + " ms");
            continue;
        }
        load.atWindowStart = arrived;
        load.windowStart = now;
    }
    if (!underWay)
        m_rateWindow.stop();
}

void NetworkFetcher::end(Load& load, bool ok, std::string error)
{
    FetchOutcome outcome;
    outcome.ok = ok;
    outcome.error = std::move(error);
    if (load.reply) {
        outcome.status = statusOf(*load.reply);
        outcome.found = isSuccess(outcome.status);
        outcome.address = load.reply->url().toString(QUrl::FullyEncoded).toStdString();
        load.reply->disconnect(this);
        // A reply that has already failed is ending anyway; aborting it
        // would report its error a second time.
        if (load.reply->isRunning() && load.reply->error() == QNetworkReply::NoError)
            load.reply->abort();
        load.reply->deleteLater();
        load.reply.clear();
    }
    if (ok)
        outcome.bytes = std::move(load.bytes);
    load.bytes.clear();
    load.outcome = std::move(outcome);
}

} // namespace flash
