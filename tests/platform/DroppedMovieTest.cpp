#include <gtest/gtest.h>

#include <QDir>
#include <QMimeData>
#include <QUrl>

#include "platform/DroppedMovie.h"

namespace {

TEST(DroppedMovie, FilesAndWebAddressesAreMoviesFoldersAndOtherSchemesAreNot)
{
    const QString folder = QDir::tempPath();
    struct Case {
        QList<QUrl> urls;
        QString text;
        QString movie;
    };
    const Case cases[] {
        {{QUrl::fromLocalFile(QStringLiteral("/movies/intro.swf"))}, {}, QStringLiteral("/movies/intro.swf")},
        {{QUrl::fromLocalFile(QStringLiteral("/movies/zoë 動画.swf"))}, {}, QStringLiteral("/movies/zoë 動画.swf")},
        {{QUrl(QStringLiteral("https://example.com/a.swf?x=1"))}, {}, QStringLiteral("https://example.com/a.swf?x=1")},
        // The first that is a movie wins; folders and other schemes are passed over.
        {{QUrl::fromLocalFile(folder), QUrl(QStringLiteral("ftp://host/a.swf")),
          QUrl::fromLocalFile(QStringLiteral("/movies/b.swf"))},
         {},
         QStringLiteral("/movies/b.swf")},
        {{QUrl::fromLocalFile(folder)}, {}, {}},
        {{QUrl(QStringLiteral("javascript:alert(1)"))}, {}, {}},
        {{}, QStringLiteral("  http://example.com/c.swf\n"), QStringLiteral("http://example.com/c.swf")},
        {{}, QStringLiteral("just some words"), {}},
        {{}, QStringLiteral("file:///etc/passwd"), {}},
        {{}, {}, {}},
    };
    for (const Case& c : cases) {
        QMimeData data;
        if (!c.urls.isEmpty())
            data.setUrls(c.urls);
        if (!c.text.isEmpty())
            data.setText(c.text);
        EXPECT_EQ(platform::droppedMovie(data), c.movie) << c.movie.toStdString() << c.text.toStdString();
    }
}

} // namespace
