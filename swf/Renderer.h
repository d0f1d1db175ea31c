#pragma once

// Draws a movie's frame into an image. The renderer only reads; it never
// advances the movie. It keeps its working memory from frame to frame, so
// whoever draws many frames keeps one renderer.
//
// A frame is cut into bands of rows drawn at once on the machine's cores,
// each with working memory of its own; every band comes out exactly as the
// same rows of a frame drawn whole on one thread. Frames drawn with
// renderChanges() are drawn only where they differ from what the target
// already holds.

#include <memory>
#include <mutex>
#include <vector>

#include <QImage>
#include <QRegion>

#include "swf/Player.h"
#include "swf/StageFrame.h"
#include "swf/render/FrameDamage.h"
#include "swf/render/RenderOptions.h"
#include "swf/render/RenderScratch.h"
#include "swf/render/StageTransform.h"

namespace swf {

class Renderer {
public:
    Renderer();
    ~Renderer();

    // Fills the whole target with the stage colour and draws the stage into
    // it, placed per options.scale (ShowAll: the largest centred rectangle
    // with the stage's proportions). A frame with no movie leaves the target
    // untouched.
    void render(const StageFrame& frame, QImage& target, const RenderOptions& options = {});
    // The player's current frame.
    void render(const Player& player, QImage& target, const RenderOptions& options = {});

    // As render(), but where `target` still holds a frame this renderer drew
    // into it (and nothing has written to it since), only the parts of it
    // that differ from `frame` are drawn again. Returns where the target
    // now differs from the frame this renderer drew last, into whichever
    // target: what a view showing that one must show anew.
    QRegion renderChanges(const StageFrame& frame, QImage& target, const RenderOptions& options = {});

    // How many threads draw a frame: 0, the default, one for each core the
    // machine has; 1 draws on one thread.
    void setThreads(int threads);
    int threads() const;

private:
    struct Placement {
        QTransform toTarget;
        double stageScale = 1;
    };
    static Placement placementOf(const StageFrame& frame, QSize target, const RenderOptions& options);
    // Draws the parts of the target given (all of it when `parts` is
    // empty), stage colour first, on up to `threads` threads; parts drawn
    // on more than one must not overlap. Whether the frame left anything
    // out.
    bool draw(const StageFrame& frame, QImage& target, const RenderOptions& options, const Placement& placement,
              const std::vector<QRect>& parts, int threads);
    RenderScratch& scratch(int thread);

    std::vector<std::unique_ptr<RenderScratch>> m_scratch; // one per thread drawing
    std::mutex m_sharedDrawing;
    int m_threads = 0;
    StageFrame m_frame;

    FrameDamage m_damage;
    // What the targets drawn into last hold, by their cache keys.
    struct Held {
        qint64 cacheKey = 0;
        std::shared_ptr<const FrameOutline> outline;
    };
    std::vector<Held> m_held;
    std::shared_ptr<const FrameOutline> m_last;
};

// One frame with a renderer of its own, for whoever draws once.
void render(const Player& player, QImage& target, const RenderOptions& options = {});

} // namespace swf
