#pragma once

// What the browser shows of a movie when the pointer rests on it: its facts
// and a small picture. They are worked out on a thread of their own, one
// movie at a time, and kept, so a folder of a thousand movies costs nothing
// until one is hovered over, and hovering costs the interface nothing.

#include <optional>

#include <QCache>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QThreadPool>

namespace app {

class MoviePreviews : public QObject {
    Q_OBJECT
public:
    static constexpr int kThumbnailSize = 96;
    // Previews kept; older ones are made again when asked for.
    static constexpr int kKept = 512;
    // Movies larger than this are described as such and not read.
    static constexpr qint64 kMaxBytes = 64 * 1024 * 1024;

    struct Preview {
        QStringList facts;
        QImage thumbnail;
        QString problem; // why there are no facts
    };

    explicit MoviePreviews(QObject* parent = nullptr);
    ~MoviePreviews() override;

    // The file's preview when it is ready; otherwise its making is started
    // (once) and ready() says when it is done. A file changed since its
    // preview was made counts as another file.
    std::optional<Preview> preview(const QString& path);

    // Rich text for a tooltip: the preview, or a line saying it is on its way.
    QString toolTip(const QString& path);

    // Blocks until no preview is being made.
    void waitForDone();

    // The work itself, on whatever thread calls it.
    static Preview make(const QString& path);

signals:
    void ready(const QString& path);

private:
    void store(const QString& key, const QString& path, const Preview& preview);

    QCache<QString, Preview> m_cache;
    QSet<QString> m_pending;
    QThreadPool m_pool;
};

} // namespace app
