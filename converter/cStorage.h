#pragma once

#include <cstdint>

#include <QByteArrayView>
#include <QString>

namespace platform {
class Clock;
}

namespace converter {

// Cuts the movie out of a Flash projector: past the player's fixed-size
// head, the first uncompressed SWF signature starts the movie, which runs
// to the end of the file.
class cStorage {
public:
    // The player head of a projector: never searched.
    static constexpr std::int64_t kSearchStart = 299'999;
    static constexpr std::int32_t kDefaultChunkSize = 0x1000;

    // Times itself on the system's steady clock.
    cStorage();
    explicit cStorage(const platform::Clock& clock);

    std::int32_t ChunkSize() const { return m_chunkSize; }
    void ChunkSize(std::int32_t lngChunkSize) { m_chunkSize = lngChunkSize; }

    // Writes the movie inside the projector at strExeFilePath to
    // strSWFFilePath. lngTotalLength is set once the projector is open (0
    // when it cannot be), lngDataLength only on success, strTime always.
    // False when no movie was found or the movie could not be written; the
    // destination is only ever replaced whole, by a complete movie.
    bool Parse(const QString& strExeFilePath, const QString& strSWFFilePath, std::int64_t& lngTotalLength,
               std::int64_t& lngDataLength, QString& strTime);

    // Why the last Parse failed when the projector itself was not to blame
    // (a file that cannot be read or written, a destination that is the
    // projector or no regular file); empty after a success or a file that
    // holds no movie.
    QString FailureReason() const { return m_failureReason; }

private:
    // 1-based position of the first occurrence of the pattern in the buffer
    // at or after the 1-based start; 0 when there is none.
    static std::int32_t FindBytes(QByteArrayView buffer, QByteArrayView pattern, std::int32_t start);

    bool extract(const QString& exePath, const QString& swfPath, std::int64_t& totalLength,
                 std::int64_t& dataLength);

    const platform::Clock& m_clock;
    std::int32_t m_chunkSize = kDefaultChunkSize;
    QString m_failureReason;
};

} // namespace converter
