#include "converter/ChunkReader.h"

#include <algorithm>
#include <cstring>

namespace converter {

ChunkReader::ChunkReader(QFile& file)
    : m_file(file)
    , m_block(kBlockSize, Qt::Uninitialized)
{
}

bool ChunkReader::seek(std::int64_t offset)
{
    m_at = m_filled = 0;
    return m_file.seek(offset);
}

bool ChunkReader::read(char* into, std::int64_t n)
{
    while (n > 0) {
        if (m_at == m_filled) {
            const qint64 got = m_file.read(m_block.data(), m_block.size());
            if (got <= 0)
                return false;
            m_at = 0;
            m_filled = qsizetype(got);
        }
        const qsizetype take = qsizetype(std::min<std::int64_t>(n, m_filled - m_at));
        std::memcpy(into, m_block.constData() + m_at, std::size_t(take));
        m_at += take;
        into += take;
        n -= take;
    }
    return true;
}

QString ChunkReader::readError() const
{
    // A read that comes back short without an error means the file shrank
    // under us.
    return m_file.error() == QFileDevice::NoError ? QStringLiteral("it ended sooner than its length said")
                                                   : m_file.errorString();
}

} // namespace converter
