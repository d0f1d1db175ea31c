#include "converter/MovieCopy.h"

#include <algorithm>

#include <QDir>
#include <QSaveFile>

#include "converter/ChunkReader.h"
#include "converter/Destination.h"

namespace converter {

QString copyMovie(ChunkReader& reader, std::int64_t start, std::int64_t end, const QString& swfPath, std::int64_t step)
{
    const QString shownSource = QDir::toNativeSeparators(reader.file().fileName());
    const QString shownDestination = QDir::toNativeSeparators(swfPath);
    const QString readFailure = QStringLiteral("The projector %1 could not be read: %2");
    const QString writeFailure = QStringLiteral("The SWF file %1 could not be written: %2");

    QSaveFile destination(swfPath);
    if (!destination.open(QIODevice::WriteOnly))
        return QStringLiteral("The SWF file %1 could not be created: %2").arg(shownDestination, destination.errorString());
    if (!reader.seek(start))
        return readFailure.arg(shownSource, reader.file().errorString());
    QByteArray chunk(step, Qt::Uninitialized);
    for (std::int64_t offset = start; offset < end;) {
        const std::int64_t n = std::min(step, end - offset);
        if (!reader.read(chunk.data(), n))
            return readFailure.arg(shownSource, reader.readError());
        if (destination.write(chunk.constData(), n) != n)
            return writeFailure.arg(shownDestination, destination.errorString());
        offset += n;
    }
    // The rename puts the movie in place of whatever the name then holds:
    // look once more that it is still no device or pipe.
    if (const QString refused = refusedKind(swfPath); !refused.isEmpty()) {
        destination.cancelWriting();
        return refused;
    }
    if (!destination.commit())
        return writeFailure.arg(shownDestination, destination.errorString());
    return {};
}

} // namespace converter
