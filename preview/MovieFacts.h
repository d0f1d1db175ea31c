#pragma once

// The facts about a movie that help someone pick it out of a folder: what
// the header says, and whether it carries script, sound or video.

#include <QSize>
#include <QString>
#include <QStringList>

#include "swf/Header.h"

namespace swf {
class Player;
}

namespace preview {

struct MovieFacts {
    int version = 0;
    QSize stagePixels;
    double frameRate = 0;
    int frameCount = 0;
    swf::Compression compression = swf::Compression::None;
    bool usesScript = false;
    bool usesSound = false;
    bool usesVideo = false;
};

// The facts of the movie the player holds, as far as it has been read.
// The player must have a movie.
MovieFacts factsOf(const swf::Player& player);

// One short line each, for a tooltip or a listing.
QStringList describe(const MovieFacts& facts);

} // namespace preview
