#include "app/MoviePreviews.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

#include "preview/MovieFacts.h"
#include "preview/Thumbnail.h"
#include "swf/Player.h"

namespace app {

namespace {

// Hover help must come quickly or not matter: a short look for a frame
// that draws, then whatever is in hand.
constexpr preview::ThumbnailLimits kLimits {.maxFrames = 60, .searchBudget = std::chrono::milliseconds(400)};

// Who the file is now: the same path with other contents is another movie.
QString keyOf(const QFileInfo& file)
{
    return QStringLiteral("%1\n%2\n%3")
        .arg(file.absoluteFilePath())
        .arg(file.size())
        .arg(file.lastModified().toMSecsSinceEpoch());
}

QString pngDataAddress(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
}

} // namespace

MoviePreviews::MoviePreviews(QObject* parent)
    : QObject(parent)
    , m_cache(kKept)
{
    // One movie at a time: previews must not take the cores from the movie playing.
    m_pool.setMaxThreadCount(1);
}

MoviePreviews::~MoviePreviews()
{
    m_pool.clear();
    m_pool.waitForDone();
}

void MoviePreviews::waitForDone()
{
    m_pool.waitForDone();
}

std::optional<MoviePreviews::Preview> MoviePreviews::preview(const QString& path)
{
    const QFileInfo file(path);
    const QString key = keyOf(file);
    if (const Preview* kept = m_cache.object(key))
        return *kept;
    if (m_pending.contains(key))
        return std::nullopt;
    m_pending.insert(key);
    const QPointer<MoviePreviews> self(this);
    m_pool.start([self, key, path] {
        Preview made = make(path);
        // Queued to this object's thread; dropped if it is gone by then.
        QMetaObject::invokeMethod(
            self, [self, key, path, made = std::move(made)] {
                if (self)
                    self->store(key, path, made);
            },
            Qt::QueuedConnection);
    });
    return std::nullopt;
}

void MoviePreviews::store(const QString& key, const QString& path, const Preview& preview)
{
    m_pending.remove(key);
    m_cache.insert(key, new Preview(preview));
    emit ready(path);
}

QString MoviePreviews::toolTip(const QString& path)
{
    const QString name = QFileInfo(path).fileName().toHtmlEscaped();
    const std::optional<Preview> shown = preview(path);
    if (!shown)
        return QStringLiteral("<b>%1</b><br>Reading the movie…").arg(name);
    if (!shown->problem.isEmpty())
        return QStringLiteral("<b>%1</b><br>%2").arg(name, shown->problem.toHtmlEscaped());
    QString text = QStringLiteral("<b>%1</b>").arg(name);
    for (const QString& line : shown->facts)
        text += QStringLiteral("<br>") + line.toHtmlEscaped();
    if (!shown->thumbnail.isNull())
        text += QStringLiteral("<br><img src=\"%1\">").arg(pngDataAddress(shown->thumbnail));
    return text;
}

MoviePreviews::Preview MoviePreviews::make(const QString& path)
{
    Preview made;
    QFile file(path);
    if (file.size() > kMaxBytes) {
        made.problem = QStringLiteral("Too large to preview");
        return made;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        made.problem = file.errorString();
        return made;
    }
    const QByteArray bytes = file.read(kMaxBytes);
    swf::Player player;
    player.open();
    player.feed({reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())});
    player.finish();
    if (!player.hasMovie()) {
        made.problem = player.failed() ? QString::fromStdString(player.error()) : QStringLiteral("Not a movie");
        return made;
    }
    made.facts = preview::describe(preview::factsOf(player));
    made.thumbnail = preview::representativeFrame(player, kThumbnailSize, kLimits);
    return made;
}

} // namespace app
