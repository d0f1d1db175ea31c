#include "cli/ExtractCommand.h"

#include <cstdint>
#include <cstdio>

#include "cli/Command.h"
#include "converter/ConversionText.h"
#include "converter/ProjectorTrailer.h"
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
    if (storage.Parse(arguments[0], arguments[1], totalLength, dataLength, timing)) {
        std::printf("%s\n", qUtf8Printable(converter::sizeLine(totalLength, dataLength)));
        std::printf("Movie found by its FWS signature at offset %lld\n", static_cast<long long>(totalLength - dataLength));
        return kOk;
    }
    if (!storage.FailureReason().isEmpty()) {
        std::printf("%s\n", qUtf8Printable(converter::sizeLine(totalLength, dataLength)));
        return fail(storage.FailureReason());
    }
    // A compressed movie has no FWS to find; later projectors say where it
    // is in their trailer.
    const converter::TrailerExtraction byTrailer = converter::extractByTrailer(arguments[0], arguments[1]);
    std::printf("%s\n", qUtf8Printable(converter::sizeLine(byTrailer.totalLength, byTrailer.dataLength)));
    if (byTrailer.succeeded) {
        std::printf("Movie found by the projector's trailer at offset %lld (%s)\n",
                    static_cast<long long>(byTrailer.movieStart), qUtf8Printable(byTrailer.signature));
        return kOk;
    }
    return fail(byTrailer.failureReason.isEmpty() ? QStringLiteral("Bad File") : byTrailer.failureReason);
}

} // namespace cli
