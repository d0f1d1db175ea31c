#include "platform/RegistryStore.h"

#include <QDir>
#include <QStandardPaths>

namespace platform {

QString RegValue::text() const
{
    const QString all = QString::fromUtf8(data);
    const qsizetype end = all.indexOf(QChar(u'\0'));
    return end < 0 ? all : all.left(end);
}

// QStandardPaths already ignores a relative $XDG_… value, as the desktop's
// own rules ask.
QString desktopCacheFolder()
{
    return QDir::toNativeSeparators(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation));
}

QString configurationFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir::toNativeSeparators(QDir(base).filePath(QStringLiteral("Tovimark")));
}

} // namespace platform
