#include "converter/ProjectorTrailer.h"

#include <array>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "converter/ChunkReader.h"
#include "converter/Destination.h"
#include "converter/MovieCopy.h"
#include "converter/cStorage.h"

namespace converter {

namespace {

constexpr std::uint32_t kTrailerMark = 0xFA123456;
constexpr std::int64_t kTrailerSize = 8;
// Signature, version, declared length, and for ZWS the compressed length.
constexpr std::int64_t kHeaderBytes = 12;
// ZWS: the LZMA properties between the compressed length and the data.
constexpr std::int64_t kLzmaProperties = 5;

std::uint32_t littleEndian(const unsigned char* bytes)
{
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16
        | std::uint32_t(bytes[3]) << 24;
}

// Whether `header`, the first bytes of `length` cut out by the trailer,
// starts a movie that agrees with that length. An uncompressed movie
// declares its own length; a compressed one declares the length it
// inflates to, so its stream's own framing has to agree instead: a zlib
// header for CWS, and for ZWS a compressed length that, with the header
// and properties (which some writers count in it), makes up the whole.
QString signatureAgreeing(const std::array<unsigned char, kHeaderBytes>& header, std::int64_t length)
{
    const QString signature = QString::fromLatin1(reinterpret_cast<const char*>(header.data()), 3);
    const std::uint32_t declared = littleEndian(header.data() + 4);
    if (header[3] == 0)
        return {};
    if (signature == QLatin1String("FWS"))
        return declared == length ? signature : QString();
    if (signature == QLatin1String("CWS")) {
        const unsigned method = header[8];
        const unsigned flags = header[9];
        const bool zlibHeader = (method & 0x0F) == 8 && (method >> 4) <= 7 && (method << 8 | flags) % 31 == 0;
        return zlibHeader && declared > 8 ? signature : QString();
    }
    if (signature == QLatin1String("ZWS")) {
        const std::int64_t compressed = littleEndian(header.data() + 8);
        const bool whole = compressed + kHeaderBytes + kLzmaProperties == length || compressed + kHeaderBytes == length;
        return whole && declared > 8 ? signature : QString();
    }
    return {};
}

} // namespace

TrailerExtraction extractByTrailer(const QString& exePath, const QString& swfPath)
{
    TrailerExtraction outcome;
    QFile source(exePath);
    if (!source.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        if (QFileInfo::exists(exePath))
            outcome.failureReason = QStringLiteral("The projector %1 could not be opened: %2")
                                        .arg(QDir::toNativeSeparators(exePath), source.errorString());
        return outcome;
    }
    const std::int64_t length = source.size();
    outcome.totalLength = length;
    outcome.failureReason = refusedDestination(exePath, swfPath);
    if (!outcome.failureReason.isEmpty() || length < kTrailerSize + kHeaderBytes)
        return outcome;

    ChunkReader reader(source);
    const auto readAt = [&](std::int64_t offset, unsigned char* into, std::int64_t n) {
        if (reader.seek(offset) && reader.read(reinterpret_cast<char*>(into), n))
            return true;
        outcome.failureReason = QStringLiteral("The projector %1 could not be read: %2")
                                    .arg(QDir::toNativeSeparators(exePath), reader.readError());
        return false;
    };
    std::array<unsigned char, kTrailerSize> trailer {};
    if (!readAt(length - kTrailerSize, trailer.data(), kTrailerSize))
        return outcome;
    const std::int64_t movieLength = littleEndian(trailer.data() + 4);
    if (littleEndian(trailer.data()) != kTrailerMark || movieLength < kHeaderBytes || movieLength > length - kTrailerSize)
        return outcome;
    const std::int64_t movieStart = length - kTrailerSize - movieLength;
    std::array<unsigned char, kHeaderBytes> header {};
    if (!readAt(movieStart, header.data(), kHeaderBytes))
        return outcome;
    const QString signature = signatureAgreeing(header, movieLength);
    if (signature.isEmpty())
        return outcome;

    outcome.failureReason = copyMovie(reader, movieStart, movieStart + movieLength, swfPath, cStorage::kDefaultChunkSize);
    if (!outcome.failureReason.isEmpty())
        return outcome;
    outcome.succeeded = true;
    outcome.dataLength = movieLength;
    outcome.movieStart = movieStart;
    outcome.signature = signature;
    return outcome;
}

} // namespace converter
