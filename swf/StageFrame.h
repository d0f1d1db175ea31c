#pragma once

// One frame of a movie as it stands, everything needed to draw it and
// nothing that changes under it: the stage's contents, its size and its
// colour. Taken on the thread that runs the movie, drawn on any.

#include "swf/Color.h"
#include "swf/Header.h"
#include "swf/runtime/RenderList.h"

namespace swf {

struct StageFrame {
    RenderList list;
    Rect frameRect; // the stage, in twips
    Color background;
    // False before a movie's header has arrived: nothing to draw.
    bool hasMovie = false;
};

} // namespace swf
