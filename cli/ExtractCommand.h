#pragma once

#include <QStringList>

namespace cli {

// tvk extract PROJECTOR OUT.swf: cuts the movie out of a Flash projector,
// prints the converter's size line, and fails with "Bad File" when the
// projector holds no movie, or with the reason when a file cannot be read
// or written.
int runExtract(const QStringList& arguments);

} // namespace cli
