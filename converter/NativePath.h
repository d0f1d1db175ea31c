#pragma once

#include <filesystem>

#include <QFile>
#include <QString>

namespace converter {

// A path as the file system spells it, for the standard library's calls.
inline std::filesystem::path nativePath(const QString& path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

} // namespace converter
