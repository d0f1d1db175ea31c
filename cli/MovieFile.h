#pragma once

#include <QString>

#include "swf/Player.h"

namespace cli {

// Streams a movie file into `player` in pieces, the way the movie control
// receives it, and finishes the load. Returns an empty string when the
// player has a movie, else the reason it has none.
QString loadMovieFile(const QString& path, swf::Player& player);

} // namespace cli
