#pragma once

#include <cstdint>

#include <QString>

namespace converter {

// The converter's status line: "Converting...: " and the outcome, then a
// line break.
QString statusLine(bool succeeded);

// The converter's size line, numbers without grouping.
QString sizeLine(std::int64_t totalLength, std::int64_t dataLength);

} // namespace converter
