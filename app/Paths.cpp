#include "app/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace app {

QString joinPath(const QString& folder, const QString& name)
{
    const QChar separator = QDir::separator();
    if (folder.isEmpty())
        return name;
    if (folder.endsWith(separator) || folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + separator + name;
}

QString normalFolder(const QString& path)
{
    QString clean = QDir::cleanPath(QDir::fromNativeSeparators(path));
    // cleanPath keeps "C:" bare at a drive root; the folder list shows "C:\".
    if (clean.size() == 2 && clean.at(1) == QLatin1Char(':'))
        clean += QLatin1Char('/');
    return QDir::toNativeSeparators(clean);
}

QString pagesFolder()
{
    return normalFolder(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                        + QStringLiteral("/Tovimark/pages"));
}

QString programFolder()
{
    return normalFolder(QCoreApplication::applicationDirPath());
}

} // namespace app
