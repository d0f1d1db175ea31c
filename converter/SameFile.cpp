#include "converter/SameFile.h"

#include <filesystem>
#include <system_error>

#include "converter/NativePath.h"

namespace converter {

bool namesSameFile(const QString& first, const QString& second)
{
    if (first.isEmpty() || second.isEmpty())
        return false;
    std::error_code error;
    return std::filesystem::equivalent(nativePath(first), nativePath(second), error) && !error;
}

} // namespace converter
