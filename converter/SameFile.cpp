#include "converter/SameFile.h"

#include <filesystem>
#include <system_error>

#include <QFile>

namespace converter {

namespace {

std::filesystem::path nativePath(const QString& path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

} // namespace

bool namesSameFile(const QString& first, const QString& second)
{
    if (first.isEmpty() || second.isEmpty())
        return false;
    std::error_code error;
    return std::filesystem::equivalent(nativePath(first), nativePath(second), error) && !error;
}

} // namespace converter
