#pragma once

#include <QString>

namespace converter {

// True when both paths reach one existing file: the same path, another
// spelling of it, or a link (symbolic or hard) to it.
bool namesSameFile(const QString& first, const QString& second);

} // namespace converter
