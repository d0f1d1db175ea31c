#include "cli/MovieFile.h"

#include <QFile>
#include <QFileInfo>

namespace cli {

namespace {

constexpr qint64 kChunkSize = 64 * 1024;

} // namespace

QString loadMovieFile(const QString& path, swf::Player& player)
{
    if (QFileInfo(path).isDir())
        return QStringLiteral("%1: is a folder, not a movie").arg(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("%1: %2").arg(path, file.errorString());

    player.open();
    QByteArray chunk;
    while (!(chunk = file.read(kChunkSize)).isEmpty()) {
        player.feed({reinterpret_cast<const std::uint8_t*>(chunk.constData()), std::size_t(chunk.size())});
        if (player.failed())
            break;
    }
    if (file.error() != QFileDevice::NoError)
        return QStringLiteral("%1: %2").arg(path, file.errorString());
    player.finish();
    if (!player.hasMovie())
        return QStringLiteral("%1: %2").arg(path, QString::fromStdString(player.error()));
    return {};
}

} // namespace cli
