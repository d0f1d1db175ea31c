#include "swf/script/LoadPolicy.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace swf::script {

namespace {

LoadTarget refuse(std::string reason)
{
    return {LoadTarget::Kind::Refused, {}, std::move(reason)};
}

bool isWeb(const QUrl& url)
{
    return url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
}

} // namespace

LoadTarget resolveLoad(std::string_view movieUrl, std::string_view requested, LocalSandbox sandbox)
{
    const QUrl base(QString::fromUtf8(movieUrl.data(), qsizetype(movieUrl.size())));
    if (movieUrl.empty() || !base.isValid())
        return refuse("the movie has no address to load relative to");
    const QString text = QString::fromUtf8(requested.data(), qsizetype(requested.size()));
    const QUrl asked(text);
    if (!asked.isValid() || text.isEmpty())
        return refuse("not an address");
    const QUrl url = base.resolved(asked);
    if (base.isLocalFile()) {
        if (!url.isLocalFile())
            return refuse("a movie opened from disk loads nothing from elsewhere");
        if (sandbox == LocalSandbox::Network)
            return refuse("a movie from disk that declares it uses the network reads no local files");
        // Within the movie's folder, after "..", "." and links are taken
        // apart as far as the names go.
        const QString folder = QDir::cleanPath(QFileInfo(base.toLocalFile()).absolutePath());
        const QString path = QDir::cleanPath(url.toLocalFile());
        if (!path.startsWith(folder + QLatin1Char('/')))
            return refuse("outside the movie's folder");
        const QString real = QFileInfo(path).canonicalFilePath();
        const QString realFolder = QFileInfo(folder).canonicalFilePath();
        if (!real.isEmpty() && !realFolder.isEmpty() && !real.startsWith(realFolder + QLatin1Char('/')))
            return refuse("a link leads outside the movie's folder");
        return {LoadTarget::Kind::LocalFile, path.toStdString(), {}};
    }
    if (!isWeb(base))
        return refuse("the movie's address is neither a file nor the web");
    if (!isWeb(url))
        return refuse("a movie from the web loads only from the web");
    if (url.host().compare(base.host(), Qt::CaseInsensitive) != 0)
        return refuse("a movie from the web loads only from its own host");
    return {LoadTarget::Kind::Web, url.toString(QUrl::FullyEncoded).toStdString(), {}};
}

} // namespace swf::script
