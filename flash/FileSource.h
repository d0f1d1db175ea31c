#pragma once

#include <QFile>
#include <QTimer>

#include "flash/MovieSource.h"

namespace flash {

// Reads a local file in chunks, one per turn of the event loop; the first
// chunk is read at once so the first frame can show without waiting.
class FileSource final : public MovieSource {
    Q_OBJECT
public:
    static constexpr qint64 kChunkSize = 256 * 1024;

    explicit FileSource(const QString& path, QObject* parent = nullptr);
    void start() override;

private:
    void readChunk();

    QFile m_file;
    QTimer m_next;
};

} // namespace flash
