#include "platform/DroppedMovie.h"

#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace platform {

namespace {

bool isWebAddress(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

QString movieAt(const QUrl& url)
{
    if (url.isLocalFile()) {
        const QString path = url.toLocalFile();
        return QFileInfo(path).isDir() ? QString() : QDir::toNativeSeparators(path);
    }
    return isWebAddress(url) ? url.toString() : QString();
}

} // namespace

QString droppedMovie(const QMimeData& data)
{
    if (data.hasUrls()) {
        for (const QUrl& url : data.urls()) {
            if (const QString movie = movieAt(url); !movie.isEmpty())
                return movie;
        }
        return {};
    }
    // A browser's address bar may give the address as plain text only.
    if (data.hasText()) {
        const QUrl url(data.text().trimmed(), QUrl::StrictMode);
        if (isWebAddress(url))
            return url.toString();
    }
    return {};
}

void acceptMovieDrag(QDropEvent& event)
{
    if (!droppedMovie(*event.mimeData()).isEmpty())
        event.acceptProposedAction();
}

QString takeDroppedMovie(QDropEvent& event)
{
    const QString movie = droppedMovie(*event.mimeData());
    if (!movie.isEmpty())
        event.acceptProposedAction();
    return movie;
}

} // namespace platform
