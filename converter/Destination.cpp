#include "converter/Destination.h"

#include <filesystem>
#include <system_error>

#include <QDir>

#include "converter/NativePath.h"
#include "converter/SameFile.h"

namespace converter {

namespace {

// What a destination that is not a regular file is, in words.
QString kindOf(std::filesystem::file_type type)
{
    switch (type) {
    case std::filesystem::file_type::directory:
        return QStringLiteral("a folder");
    case std::filesystem::file_type::character:
        return QStringLiteral("a character device");
    case std::filesystem::file_type::block:
        return QStringLiteral("a block device");
    case std::filesystem::file_type::fifo:
        return QStringLiteral("a FIFO");
    case std::filesystem::file_type::socket:
        return QStringLiteral("a socket");
    default:
        return QStringLiteral("of an unknown kind");
    }
}

} // namespace

QString refusedDestination(const QString& exePath, const QString& swfPath)
{
    if (namesSameFile(exePath, swfPath))
        return QStringLiteral("The SWF file %1 is the projector itself; writing it would destroy the "
                              "projector. Choose another name for the SWF file.")
            .arg(QDir::toNativeSeparators(swfPath));
    return refusedKind(swfPath);
}

QString refusedKind(const QString& swfPath)
{
    // Links are followed: one to a regular file is written through.
    std::error_code error;
    const std::filesystem::file_type type = std::filesystem::status(nativePath(swfPath), error).type();
    if (type == std::filesystem::file_type::regular || type == std::filesystem::file_type::not_found
        || type == std::filesystem::file_type::none)
        return {};
    return QStringLiteral("The SWF file %1 is %2, not a regular file; the movie can only be written to a regular "
                          "file. Choose another name for the SWF file.")
        .arg(QDir::toNativeSeparators(swfPath), kindOf(type));
}

} // namespace converter
