#include "flash/FileSource.h"

#include <QFileInfo>

namespace flash {

FileSource::FileSource(const QString& path, QObject* parent)
    : MovieSource(parent)
    , m_file(path)
{
    m_next.setSingleShot(true);
    m_next.setInterval(0);
    connect(&m_next, &QTimer::timeout, this, &FileSource::readChunk);
}

void FileSource::start()
{
    // A folder opens "successfully" on some systems; it is never a movie.
    if (QFileInfo(m_file.fileName()).isDir() || !m_file.open(QIODevice::ReadOnly)) {
        emit finished(false, m_file.errorString());
        return;
    }
    readChunk();
}

void FileSource::readChunk()
{
    const QByteArray bytes = m_file.read(kChunkSize);
    if (!bytes.isEmpty())
        emit arrived(bytes);
    if (m_file.error() != QFileDevice::NoError) {
        emit finished(false, m_file.errorString());
        m_file.close();
    } else if (bytes.size() < kChunkSize || m_file.atEnd()) {
        emit finished(true, QString());
        m_file.close();
    } else {
        m_next.start();
    }
}

} // namespace flash
