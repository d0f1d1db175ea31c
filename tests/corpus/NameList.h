#pragma once

// The checked-in lists of corpus cases that must pass: a name a line,
// blank lines and lines starting with '#' left out.

#include <set>

#include <QString>

namespace corpus {

// The names in the list at `path`; none when it cannot be read.
std::set<QString> readNameList(const QString& path);

} // namespace corpus
