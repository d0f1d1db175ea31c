#pragma once

#include <cstdint>

#include <QByteArray>
#include <QFile>

namespace converter {

// Hands out a file's bytes a chunk at a time from large reads: the chunks
// stay what ChunkSize says, but a small chunk no longer costs a call into
// the file layer each.
class ChunkReader {
public:
    static constexpr qsizetype kBlockSize = 256 * 1024;

    explicit ChunkReader(QFile& file);

    bool seek(std::int64_t offset);
    // Exactly n bytes, or false.
    bool read(char* into, std::int64_t n);

    QFile& file() { return m_file; }
    // Why the last read failed: the file's error, or that it shrank under us.
    QString readError() const;

private:
    QFile& m_file;
    QByteArray m_block;
    qsizetype m_at = 0;
    qsizetype m_filled = 0;
};

} // namespace converter
