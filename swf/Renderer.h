#pragma once

// Draws a movie's frame into an image. The renderer only reads; it never
// advances the movie. It keeps its working memory from frame to frame, so
// whoever draws many frames keeps one renderer.

#include <QImage>

#include "swf/Player.h"
#include "swf/StageFrame.h"
#include "swf/render/RenderOptions.h"
#include "swf/render/RenderScratch.h"
#include "swf/render/StageTransform.h"

namespace swf {

class Renderer {
public:
    // Fills the whole target with the stage colour and draws the stage into
    // it, placed per options.scale (ShowAll: the largest centred rectangle
    // with the stage's proportions). A frame with no movie leaves the target
    // untouched.
    void render(const StageFrame& frame, QImage& target, const RenderOptions& options = {});
    // The player's current frame.
    void render(const Player& player, QImage& target, const RenderOptions& options = {});

private:
    RenderScratch m_scratch;
    StageFrame m_frame;
};

// One frame with a renderer of its own, for whoever draws once.
void render(const Player& player, QImage& target, const RenderOptions& options = {});

} // namespace swf
