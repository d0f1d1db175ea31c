#pragma once

// A sprite on stage, or the main movie: a container whose children follow
// its timeline. It keeps its own frame and play state; the frame loop moves
// it on one frame a tick while it plays.

#include <cstdint>
#include <map>

#include "swf/define/FrameScript.h"
#include "swf/runtime/ClipDrawing.h"
#include "swf/runtime/Container.h"

namespace swf {

class SpriteInstance final : public Container {
public:
    // `script` must outlive the sprite; it may grow (a movie still loading).
    SpriteInstance(Stage& stage, std::uint16_t id, std::shared_ptr<const Character> character, const FrameScript& script,
                   int nesting);

    const FrameScript& script() const { return *m_script; }
    // -1 before the first frame has been entered.
    int currentFrame() const { return m_current; }
    // Frames that have fully arrived, which are all a jump can reach.
    int framesLoaded() const;
    // Where the clock wraps: the frame count, which for the main movie is
    // what its header declares until no more frames can come.
    int totalFrames() const;
    // The main movie's, as loading goes on; a sprite has all its frames.
    void setFrames(int total, int loaded);

    bool isPlaying() const { return m_playing; }
    void play() { m_playing = true; }
    void stop() { m_playing = false; }
    // Sprites always loop; the main movie as the viewer chooses.
    bool loops() const { return m_loops; }
    void setLoops(bool loops) { m_loops = loops; }

    // Shows `frame` (held within the frames loaded). Forward by one, the
    // frame's commands change the children in place; any other jump works
    // out the frame's placements and brings the children to them, keeping
    // the objects the frame still holds. Either way the frame's own actions
    // and sounds are reached, those of frames passed over are not.
    void gotoFrame(int frame);
    // One tick of the sprite's own clock: the next frame if it has arrived,
    // at the end back to the first, or a stop where the timeline does not loop.
    void advanceClock();

    // The frame loop's tick in which the sprite was made; it has shown its
    // first frame then and does not move again in that tick.
    std::uint64_t bornInTick() const { return m_bornInTick; }

    // What script drew into the sprite, shown below its children.
    const ClipDrawing& drawing() const { return m_drawing; }
    // The drawing to change: the stage shows whatever is done to it.
    ClipDrawing& changeDrawing()
    {
        changed();
        return m_drawing;
    }

private:
    struct Planned {
        std::uint16_t characterId = 0;
        PlacementOrigin origin;
        PlacementState state;
    };
    using Plan = std::map<int, Planned>;

    void stepForward(int frame);
    void jumpTo(int frame);
    void planFrame(Plan& plan, int frame, bool target);
    void place(const PlaceCommand& place, PlacementOrigin origin);
    bool replaceable(std::uint16_t current, std::uint16_t replacement) const;

    const FrameScript* m_script;
    int m_current = -1;
    int m_total = -1; // -1: the script's own length
    int m_loaded = -1;
    bool m_playing = true;
    bool m_loops = true;
    std::uint64_t m_bornInTick;
    ClipDrawing m_drawing;
};

} // namespace swf
