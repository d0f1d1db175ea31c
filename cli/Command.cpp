#include "cli/Command.h"

#include <cstdio>

namespace cli {

int fail(const QString& reason, int status)
{
    std::fprintf(stderr, "tvk: %s\n", qUtf8Printable(reason));
    return status;
}

} // namespace cli
