#pragma once

// Runs a movie's script in the frame loop: the init actions and frame
// actions the timelines reach, the clips' onClipEvent handlers and their
// onEnterFrame and onUnload methods, in the order the reference player
// runs them, and the timers that fall due. It owns nothing but the order;
// the machine runs the code and the host resolves the clips.

#include <cstdint>
#include <memory>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "swf/runtime/FrameEvents.h"
#include "swf/script/ClipActions.h"
#include "swf/script/TextVariables.h"

namespace swf {
class LoadedMovie;
}

namespace swf::script {

class Machine;
class StageHost;

// `root` and every sprite under it, parents first: the clips an event
// for all of them goes to, held while their handlers run.
std::vector<std::shared_ptr<DisplayObject>> clipsUnder(SpriteInstance& root);

class FrameScripts final : public FrameListener {
public:
    FrameScripts(Machine& machine, StageHost& host);

    void enterFrame() override;
    void frameEvents(const std::vector<FrameEvent>& events) override;
    void exitFrame() override;
    bool hearsUnload(const DisplayObject& object) const override;

    // Script duplicated `original` as `copy`: the copy answers the same
    // events, and its construct handler runs now, inside the call.
    void duplicated(DisplayObject& original, DisplayObject& copy);

    // Input's way to the clips' onClipEvent handlers: whether a clip has
    // one for any of `events`, and running those for one event.
    bool handles(const DisplayObject& clip, std::uint32_t events) const;
    void clipEvent(DisplayObject& clip, std::uint32_t event) { runHandlers(clip, event); }
    // onClipEvent(keyPress "...") handlers for `key`, numbered as buttons number keys.
    void keyPress(DisplayObject& clip, int key) { runHandlersFor(clip, kClipEventKeyPress, key); }

private:
    // The clip's handlers for `event`, and of key presses only those for
    // `key` (any key when negative).
    void runHandlersFor(DisplayObject& clip, std::uint32_t event, int key);
    void runTag(DisplayObject& timeline, const TagRef& tag, bool init);
    void readHandlers(DisplayObject& clip);
    // The clip's onClipEvent handlers for `event`; true if it has any.
    void runHandlers(DisplayObject& clip, std::uint32_t event);
    void initialize(DisplayObject& clip, bool construct);
    void clipGone(DisplayObject& clip, bool unload);
    void gone(DisplayObject& clip, bool unload);
    void unloadKept(DisplayObject& clip);
    bool stopped() const;

    Machine& m_machine;
    StageHost& m_host;
    TextVariables m_textVariables;
    // Each sprite's init actions run once, however often a frame with
    // them is reached.
    std::set<std::pair<const LoadedMovie*, std::uint16_t>> m_initsRun;
    // The onClipEvent handlers of a clip, read from its place command. They
    // point into the movie's stream, which moves as more of it arrives:
    // `readFrom` says where it was, so that they are read again once it
    // has moved.
    struct Handlers {
        TagRef source;
        // The loaded movie whose stream holds them, null for the main one,
        // and the version they follow.
        std::shared_ptr<const LoadedMovie> movie;
        int version = 0;
        const std::uint8_t* readFrom = nullptr;
        std::vector<ClipActionRecord> records;
    };
    // Those of the clips on stage that have any.
    std::unordered_map<std::uint64_t, Handlers> m_handlers;
    // Clips whose construct handler already ran when they were made.
    std::unordered_set<std::uint64_t> m_constructed;
    // The first round of a frame holds what the timelines reached by
    // moving on; later ones what script asked for, in the order it asked.
    bool m_firstRound = true;
    // A tick began (not the movie's first frame): its first round runs the
    // clips' enterFrame handlers.
    bool m_inTick = false;
    // A quit asked for ends the run at the end of the frame: the reference
    // player runs the rest of that frame's code first.
    bool m_quitBefore = false;
    bool m_rootLoaded = false;
    // Clips made by script and handled within the round that made them,
    // whose announcement is still to come in the next.
    std::unordered_set<std::uint64_t> m_madeEarly;
    // Clips placed without a name are named in turn, as script sees them.
    std::uint64_t m_unnamed = 0;
};

} // namespace swf::script
