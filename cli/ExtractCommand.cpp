#include "cli/ExtractCommand.h"

#include <cstdint>
#include <cstdio>

#include "cli/Command.h"
#include "converter/ConversionText.h"
#include "converter/cStorage.h"

namespace cli {

int runExtract(const QStringList& arguments)
{
    if (arguments.size() != 2)
        return fail(QStringLiteral("extract takes a projector and the SWF file to write"), kUsage);

    converter::cStorage storage;
    std::int64_t totalLength = 0;
    std::int64_t dataLength = 0;
    QString timing;
    const bool succeeded = storage.Parse(arguments[0], arguments[1], totalLength, dataLength, timing);
    std::printf("%s\n", qUtf8Printable(converter::sizeLine(totalLength, dataLength)));
    if (succeeded)
        return kOk;
    return fail(storage.FailureReason().isEmpty() ? QStringLiteral("Bad File") : storage.FailureReason());
}

} // namespace cli
