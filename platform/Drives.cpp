#include "platform/Drives.h"

#include <QDir>
#include <QStorageInfo>

namespace platform {

namespace {

bool isBrowsable(const QString& root)
{
#ifdef Q_OS_WIN
    Q_UNUSED(root);
    return true;
#else
    static const QStringList prefixes = {QStringLiteral("/media/"), QStringLiteral("/run/media/"),
                                         QStringLiteral("/mnt/")};
    if (root == QLatin1String("/") || root == QLatin1String("/home"))
        return true;
    for (const QString& prefix : prefixes) {
        if (root.startsWith(prefix))
            return true;
    }
    return false;
#endif
}

bool contains(const QString& root, const QString& path)
{
    if (root == path)
        return true;
    const QString withSeparator = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
#ifdef Q_OS_WIN
    return path.startsWith(withSeparator, Qt::CaseInsensitive);
#else
    return path.startsWith(withSeparator);
#endif
}

} // namespace

QString Drives::driveOf(const QString& path) const
{
    const QString normal = QDir::fromNativeSeparators(path);
    QString best;
    for (const QString& root : roots()) {
        const QString normalRoot = QDir::fromNativeSeparators(root);
        if (contains(normalRoot, normal) && normalRoot.size() > QDir::fromNativeSeparators(best).size())
            best = root;
    }
    return best;
}

QStringList MountedDrives::roots() const
{
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = QDir::toNativeSeparators(volume.rootPath());
        if (volume.isValid() && isBrowsable(volume.rootPath()) && !roots.contains(root))
            roots << root;
    }
    if (roots.isEmpty())
        roots << QDir::toNativeSeparators(QDir::rootPath());
    roots.sort();
    return roots;
}

} // namespace platform
