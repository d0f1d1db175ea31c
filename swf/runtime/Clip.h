#pragma once

// A timeline being played: the frame it shows and the display list that
// frame's commands built. The main movie is one, so is every sprite
// instance and every button (whose single frame is its up state).

#include <map>
#include <memory>

#include "swf/define/Dictionary.h"
#include "swf/define/FrameScript.h"
#include "swf/runtime/DisplayObject.h"

namespace swf {

using DisplayList = std::map<int, DisplayObject>;

struct ClipContext {
    const Dictionary* dictionary = nullptr;
    InstanceBudget* budget = nullptr;
};

class Clip {
public:
    // Sprites inside sprites stop being instantiated this deep; a sprite that
    // places itself ends here instead of recursing without end.
    static constexpr int kMaxNesting = 32;

    // `script` must outlive the clip; it may grow (a movie still loading).
    Clip(const FrameScript& script, ClipContext context, int nesting = 0);

    // -1 before the first frame has been entered.
    int currentFrame() const { return m_current; }
    int frameCount() const { return m_script->frameCount(); }
    const DisplayList& displayList() const { return m_list; }
    bool isPlaying() const { return m_playing; }
    void setPlaying(bool playing) { m_playing = playing; }

    // Shows `frame`. Forward, the frames between are applied in order;
    // backward, the list is rebuilt from the first frame, keeping the
    // objects that the rebuilt list places from the same command.
    void goTo(int frame);
    // One frame of the clock: children move on, then this timeline does,
    // wrapping at its end.
    void tick();
    // Only the children's clocks: the main movie's own frame is the player's.
    void tickChildren();

private:
    using Plan = std::map<int, Placement>;

    Plan currentPlan() const;
    void applyFrame(Plan& plan, int frame) const;
    bool canReplace(std::uint16_t current, std::uint16_t replacement) const;
    void realize(Plan plan);
    DisplayObject instantiate(Placement placement) const;

    const FrameScript* m_script;
    ClipContext m_context;
    int m_nesting;
    int m_current = -1;
    bool m_playing = true;
    DisplayList m_list;
};

} // namespace swf
