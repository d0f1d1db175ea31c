#include "converter/cStorage.h"

#include <algorithm>
#include <cstring>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "converter/ChunkReader.h"
#include "converter/Destination.h"
#include "converter/MovieCopy.h"
#include "converter/cPrecTimer.h"
#include "platform/Clock.h"

namespace converter {

namespace {

// The first letters of an uncompressed SWF movie. Compressed movies (CWS,
// ZWS) are not looked for: their bodies cannot be cut out byte for byte.
constexpr char kSignature[] = {'F', 'W', 'S'};
constexpr qsizetype kSignatureSize = sizeof kSignature;

// However large ChunkSize is set, a step reads at most this much, so memory
// stays small; the bytes read, and so the outcome, are the same.
constexpr std::int64_t kLargestStep = 1 << 20;

const platform::Clock& steadyClock()
{
    static const platform::SteadyClock clock;
    return clock;
}

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

cStorage::cStorage()
    : cStorage(steadyClock())
{
}

cStorage::cStorage(const platform::Clock& clock)
    : m_clock(clock)
{
}

bool cStorage::Parse(const QString& strExeFilePath, const QString& strSWFFilePath, std::int64_t& lngTotalLength,
                     std::int64_t& lngDataLength, QString& strTime)
{
    cPrecTimer timer(m_clock);
    timer.ResetTimer();
    m_failureReason.clear();
    const bool succeeded = extract(strExeFilePath, strSWFFilePath, lngTotalLength, lngDataLength);
    timer.StopTimer();
    strTime = timer.ToString();
    return succeeded;
}

bool cStorage::extract(const QString& exePath, const QString& swfPath, std::int64_t& totalLength,
                       std::int64_t& dataLength)
{
    QFile source(exePath);
    if (!source.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        totalLength = 0;
        // A projector that is not there is simply a bad file; one that is
        // there but cannot be read deserves its reason.
        if (QFileInfo::exists(exePath))
            m_failureReason = QStringLiteral("The projector %1 could not be opened: %2")
                                  .arg(shown(exePath), source.errorString());
        return false;
    }
    const std::int64_t length = source.size();
    totalLength = length;

    m_failureReason = refusedDestination(exePath, swfPath);
    if (!m_failureReason.isEmpty())
        return false;
    if (length <= kSearchStart + 1)
        return false;
    if (m_chunkSize <= 0) {
        m_failureReason = QStringLiteral("The chunk size %1 is not a positive number of bytes.").arg(m_chunkSize);
        return false;
    }
    const std::int64_t step = std::min<std::int64_t>(m_chunkSize, kLargestStep);
    const QString readFailure = QStringLiteral("The projector %1 could not be read: %2");

    // Search one chunk at a time, carrying over only the bytes of the chunk
    // before that an occurrence can straddle, so the first occurrence in the
    // file is found without keeping what has been searched.
    ChunkReader reader(source);
    if (!reader.seek(kSearchStart)) {
        m_failureReason = readFailure.arg(shown(exePath), source.errorString());
        return false;
    }
    QByteArray window(kSignatureSize - 1 + step, Qt::Uninitialized);
    qsizetype carried = 0;
    std::int64_t offset = kSearchStart;
    std::int64_t movieStart = -1;
    while (offset < length) {
        const std::int64_t n = std::min(step, length - offset);
        if (!reader.read(window.data() + carried, n)) {
            m_failureReason = readFailure.arg(shown(exePath), reader.readError());
            return false;
        }
        const qsizetype filled = carried + qsizetype(n);
        const std::int32_t found = FindBytes(QByteArrayView(window.constData(), filled),
                                             QByteArrayView(kSignature, kSignatureSize), 1);
        if (found > 0) {
            movieStart = offset - carried + (found - 1);
            break;
        }
        offset += n;
        carried = std::min(kSignatureSize - 1, filled);
        std::memmove(window.data(), window.constData() + filled - carried, std::size_t(carried));
    }
    if (movieStart < 0)
        return false;

    m_failureReason = copyMovie(reader, movieStart, length, swfPath, step);
    if (!m_failureReason.isEmpty())
        return false;
    dataLength = length - movieStart;
    return true;
}

std::int32_t cStorage::FindBytes(QByteArrayView buffer, QByteArrayView pattern, std::int32_t start)
{
    const qsizetype from = std::max<std::int32_t>(start, 1) - 1;
    if (pattern.isEmpty())
        return from <= buffer.size() ? std::int32_t(from + 1) : 0;
    if (buffer.size() < pattern.size())
        return 0;
    const char* const begin = buffer.data();
    // The last place an occurrence can start, plus one.
    const char* const end = begin + (buffer.size() - pattern.size() + 1);
    for (const char* at = begin + from; at < end; ++at) {
        at = static_cast<const char*>(std::memchr(at, pattern.front(), std::size_t(end - at)));
        if (!at)
            return 0;
        if (std::memcmp(at, pattern.data(), std::size_t(pattern.size())) == 0)
            return std::int32_t(at - begin + 1);
    }
    return 0;
}

} // namespace converter
