#pragma once

// Draws a player's current frame into an image. The renderer only reads the
// player; it never advances it.

#include <QImage>

#include "swf/Player.h"
#include "swf/render/RenderOptions.h"
#include "swf/render/StageTransform.h"

namespace swf {

// Fills the whole target with the stage colour and draws the stage into it,
// placed per options.scale (ShowAll: the largest centred rectangle with the
// stage's proportions). A player with no movie leaves the target untouched.
void render(const Player& player, QImage& target, const RenderOptions& options = {});

} // namespace swf
