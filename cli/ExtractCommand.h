#pragma once

#include <QStringList>

namespace cli {

// tvk extract PROJECTOR OUT.swf: cuts the movie out of a Flash projector,
// as the converter does or, failing that, by the length later projectors
// write after their movie; prints the converter's size line and which way
// the movie was found. Fails with "Bad File" when the projector holds no
// movie, or with the reason when a file cannot be read or written or the
// destination is no regular file.
int runExtract(const QStringList& arguments);

} // namespace cli
