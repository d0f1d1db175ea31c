#pragma once

#include <QNetworkAccessManager>
#include <QPointer>
#include <QUrl>

#include "flash/MovieSource.h"

class QNetworkReply;

namespace flash {

// Fetches a movie over http or https, handing on each piece as it arrives.
// An error status, a broken transfer or silence longer than the timeout
// ends it early; what arrived before stays with the player.
class NetworkSource final : public MovieSource {
    Q_OBJECT
public:
    // Far more than any movie declares; a server that never stops is cut off.
    static constexpr qint64 kMaxBytes = qint64(512) * 1024 * 1024;
    static constexpr int kTransferTimeoutMs = 30'000;

    NetworkSource(QNetworkAccessManager& network, const QUrl& url, QObject* parent = nullptr);
    ~NetworkSource() override;

    void start() override;

    static bool handles(const QString& movie);

private:
    void onReadyRead();
    void onFinished();
    void end(bool complete, const QString& reason);

    QNetworkAccessManager& m_network;
    QUrl m_url;
    QPointer<QNetworkReply> m_reply;
    qint64 m_received = 0;
    bool m_ended = false;
};

} // namespace flash
