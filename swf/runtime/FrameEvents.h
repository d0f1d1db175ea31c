#pragma once

// What happened to the display tree while the timelines moved, in the order
// it happened, for the layers above to act on once the tree is settled:
// objects made and taken away, and the frame actions the timelines reached.

#include <memory>
#include <vector>

#include "swf/define/FrameScript.h"

namespace swf {

class DisplayObject;
class SpriteInstance;

struct FrameEvent {
    enum class Kind {
        Constructed,  // `object` was placed
        Removed,      // `object` was taken off the stage
        InitActions,  // DoInitAction `tag`, reached by the timeline `object`
        FrameActions, // DoAction `tag` of the frame `object` has reached
    };
    Kind kind;
    std::shared_ptr<DisplayObject> object;
    TagRef tag;
    // Removed without an unload of its own: an old movie's place over an
    // occupied depth drops what was there that way.
    bool quiet = false;
    // Removed: the container it was taken from.
    std::shared_ptr<DisplayObject> owner;
};

// Hooks into the frame loop for the layers above the runtime (the script
// machine, the sound mixer, video). Every hook is optional. The order the
// hooks run in is written down in docs/frame-loop.md.
class FrameListener {
public:
    virtual ~FrameListener() = default;

    // First phase: before any timeline moves.
    virtual void enterFrame() {}
    // While timelines move: a sound or video tag of a frame `sprite` passed
    // through. `shown` is false for frames a jump passed over on its way.
    virtual void mediaTag(SpriteInstance& sprite, const TagRef& tag, bool shown)
    {
        (void)sprite, (void)tag, (void)shown;
    }
    // Once the tree has settled: everything that happened to it, in order.
    virtual void frameEvents(const std::vector<FrameEvent>& events) { (void)events; }
    // Last phase: after the frame's actions have run.
    virtual void exitFrame() {}
    // Whether `object` has a handler of its own for its unload. A clip with
    // one, or with one inside it, waits on stage for its handlers before it
    // goes (see Container::removeChild).
    virtual bool hearsUnload(const DisplayObject& object) const
    {
        (void)object;
        return false;
    }
};

} // namespace swf
