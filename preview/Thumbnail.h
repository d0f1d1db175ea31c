#pragma once

// A representative frame of a movie, small: what a file manager or the
// browser shows in place of the file's name.

#include <chrono>

#include <QImage>
#include <QSize>

#include "swf/Header.h"

namespace swf {
class Player;
}

namespace preview {

struct ThumbnailLimits {
    // Frames looked at before settling for a blank one.
    int maxFrames = 120;
    // Time spent looking before settling for what was found; the search
    // ends after the frame in hand, so this is not a hard cap.
    std::chrono::milliseconds searchBudget {1500};
};

// The stage's proportions scaled so that the longer side is `size`
// pixels; a stage without area gets a square. Never smaller than 1x1.
QSize thumbnailSize(const swf::Rect& stage, int size);

// True when some pixel is not the stage colour: the frame shows something.
bool drawsSomething(const QImage& frame, QRgb stageColour);

// Renders frames of the loaded movie, from the one it shows now, until one
// draws something, and returns that one (opaque, thumbnailSize() big);
// a movie that never draws within the limits gives its last frame looked
// at. Advances the player.
QImage representativeFrame(swf::Player& player, int size, const ThumbnailLimits& limits = {});

} // namespace preview
