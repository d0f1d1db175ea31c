#include "converter/ConversionText.h"

namespace converter {

QString statusLine(bool succeeded)
{
    // "Succesfully" is the converter's established wording; keep it as is.
    return QStringLiteral("Converting...: ") +
           (succeeded ? QStringLiteral("Succesfully") : QStringLiteral("Bad File")) + QStringLiteral("\r\n");
}

QString sizeLine(std::int64_t totalLength, std::int64_t dataLength)
{
    return QStringLiteral("Original size: %1 bytes, extracted size: %2 bytes").arg(totalLength).arg(dataLength);
}

} // namespace converter
