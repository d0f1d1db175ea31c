#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include "flash/MovieSource.h"

class QNetworkReply;

namespace flash {

// Fetches a movie over http or https, handing on each piece as it arrives.
// An error status, a broken transfer, silence longer than the timeout or a
// trickle slower than the floor rate ends it early; what arrived before
// stays with the player.
class NetworkSource final : public MovieSource {
    Q_OBJECT
public:
    // Far more than any movie declares; a server that never stops is cut off.
    static constexpr qint64 kMaxBytes = qint64(512) * 1024 * 1024;
    static constexpr int kTransferTimeoutMs = 30'000;
    // A download that brings less than this over a whole window is given up.
    static constexpr qint64 kMinBytesPerSecond = 1024;
    static constexpr int kRateWindowMs = 60'000;
    // What the network layer may hold for us before we read it: it stops
    // taking bytes off the connection beyond this, so a fast server cannot
    // fill memory while the player is busy.
    static constexpr qint64 kReadBufferBytes = 256 * 1024;

    NetworkSource(QNetworkAccessManager& network, const QUrl& url, QObject* parent = nullptr);
    ~NetworkSource() override;

    void start() override;

    static bool handles(const QString& movie);

    // For tests: a smaller cap, and a floor rate over a shorter window.
    void setByteCap(qint64 bytes) { m_cap = bytes; }
    void setMinimumRate(qint64 bytesPerSecond, int windowMs);

private:
    void onReadyRead();
    void onFinished();
    void onRateWindowEnded();
    // Once the movie's first eight bytes are in, how many it can run to.
    void learnMovieLength(const QByteArray& bytes);
    void end(bool complete, const QString& reason);

    QNetworkAccessManager& m_network;
    QUrl m_url;
    QPointer<QNetworkReply> m_reply;
    qint64 m_cap = kMaxBytes;
    // The most this download can bring that belongs to the movie: the cap
    // until the movie says less.
    qint64 m_wanted = kMaxBytes;
    QByteArray m_prefix;
    qint64 m_received = 0;
    qint64 m_minBytesPerSecond = kMinBytesPerSecond;
    int m_rateWindowMs = kRateWindowMs;
    QTimer m_rateWindow;
    qint64 m_receivedAtWindowStart = 0;
    bool m_ended = false;
};

} // namespace flash
