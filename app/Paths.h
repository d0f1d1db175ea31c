#pragma once

#include <QString>

namespace app {

// Folder, separator and name, with the native separator and never a doubled
// one at a root: on Linux "//x" is another path, and a network address in a
// web page.
QString joinPath(const QString& folder, const QString& name);

// The folder that holds the executable, without a trailing separator except
// at a root.
QString programFolder();

// Where pages go when the program's folder cannot take them (an installed
// program's folder belongs to the system): the desktop's data folder,
// $XDG_DATA_HOME/Tovimark/pages on Linux.
QString pagesFolder();

// A folder path in the form the folder list shows: native separators, no
// trailing separator except at a root.
QString normalFolder(const QString& path);

} // namespace app
