#pragma once

#include <limits>
#include <map>

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include "swf/script/Fetcher.h"

class QNetworkReply;

namespace flash {

// Brings the web addresses a movie's script loads from (LoadVars, XML,
// loadMovie, sounds, streams) over http and https. Each load ends early on
// an error status, a broken transfer, silence longer than the timeout, a
// trickle slower than the floor rate, a redirect the movie's sandbox does
// not allow, or more bytes than the load may bring; the outcome waits to
// be taken at a frame boundary.
class NetworkFetcher final : public QObject, public swf::script::Fetcher {
    Q_OBJECT
public:
    static constexpr int kTransferTimeoutMs = 30'000;
    // A load that brings less than this over a whole window is given up.
    static constexpr qint64 kMinBytesPerSecond = 1024;
    static constexpr int kRateWindowMs = 60'000;
    // What the network layer may hold for one load before we read it.
    static constexpr qint64 kReadBufferBytes = 256 * 1024;
    // Loads under way at once, and what all of them may hold together: a
    // movie asking for load after load gets failures, not a full memory.
    static constexpr std::size_t kMaxLoads = 32;
    static constexpr qint64 kMaxHeldBytes = qint64(64) * 1024 * 1024;
    static constexpr int kMaxRedirects = 5;

    explicit NetworkFetcher(QNetworkAccessManager& network, QObject* parent = nullptr);
    ~NetworkFetcher() override;

    std::uint64_t start(swf::script::FetchRequest request) override;
    swf::script::FetchProgress progress(std::uint64_t id) const override;
    QByteArray arrivedFrom(std::uint64_t id, std::size_t from) const override;
    std::optional<swf::script::FetchOutcome> take(std::uint64_t id) override;
    void cancel(std::uint64_t id) override;

    // For tests: a smaller cap than the loads ask for, a shorter timeout,
    // and a floor rate over a shorter window.
    void setByteCap(qint64 bytes) { m_cap = bytes; }
    void setTransferTimeout(int ms) { m_timeoutMs = ms; }
    void setMinimumRate(qint64 bytesPerSecond, int windowMs);

private:
    struct Load {
        QPointer<QNetworkReply> reply;
        swf::script::FetchRequest request;
        QByteArray bytes;
        qint64 total = 0;
        qint64 discarded = 0;
        // The floor rate is judged over each window of a load's own.
        qint64 windowStart = 0;
        qint64 atWindowStart = 0;
        // Set once the load has ended.
        std::optional<swf::script::FetchOutcome> outcome;
    };

    void onReadyRead(std::uint64_t id);
    void onFinished(std::uint64_t id);
    void onRedirected(std::uint64_t id, const QUrl& to);
    void onRateWindowEnded();
    void end(Load& load, bool ok, std::string error);
    qint64 held() const;

    QNetworkAccessManager& m_network;
    std::map<std::uint64_t, Load> m_loads;
    std::uint64_t m_next = 0;
    qint64 m_cap = std::numeric_limits<qint64>::max();
    int m_timeoutMs = kTransferTimeoutMs;
    qint64 m_minBytesPerSecond = kMinBytesPerSecond;
    int m_rateWindowMs = kRateWindowMs;
    QTimer m_rateWindow;
};

} // namespace flash
