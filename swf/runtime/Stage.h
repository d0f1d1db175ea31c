#pragma once

// The display tree of one movie and the frame loop that moves it. The main
// movie's timeline is the root, a sprite like any other. One tick runs the
// phases of a frame for the whole tree, in the order docs/frame-loop.md
// gives; the layers above hook into them through FrameListener.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "swf/define/Dictionary.h"
#include "swf/read/Diagnostics.h"
#include "swf/runtime/DisplayObject.h"
#include "swf/runtime/FrameEvents.h"
#include "swf/runtime/InputState.h"
#include "swf/runtime/InstanceBudget.h"
#include "swf/runtime/SpriteInstance.h"

namespace swf {

class LoadedMovie;

class Stage {
public:
    // Sprites inside sprites stop being made this deep; a sprite that
    // places itself ends here instead of recursing without end.
    static constexpr int kMaxNesting = 32;
    // Rounds of frame events a tick hands on before it gives up on a movie
    // whose actions keep making more.
    static constexpr int kMaxEventRounds = 64;

    Stage(std::shared_ptr<const Dictionary> dictionary, Diagnostics& diagnostics);
    ~Stage();
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

    // The main movie's timeline, made with its (growing) script.
    SpriteInstance& createRoot(const FrameScript& script);
    SpriteInstance* root() const { return m_root.get(); }
    // Movies loaded into levels above the main movie (level 0), drawn
    // above it in level order, each moving with the same frame loop.
    SpriteInstance* level(int number) const;
    const std::map<int, std::shared_ptr<SpriteInstance>>& levels() const { return m_levels; }
    // Puts `movie` at level `number` (above 0), taking off what was there.
    void setLevel(int number, std::shared_ptr<SpriteInstance> movie);
    // Takes the movie at level `number` (above 0) off; false when none.
    bool removeLevel(int number);
    // Puts `movie` in the main movie's place, taking off every level and
    // the main movie itself, as a load into level 0 does.
    void replaceRoot(std::shared_ptr<SpriteInstance> movie);
    // The level number of a root: the main movie's or a loaded level's;
    // -1 for anything else.
    int levelOf(const DisplayObject& top) const;
    const Dictionary& dictionary() const { return *m_dictionary; }
    const std::shared_ptr<const Dictionary>& sharedDictionary() const { return m_dictionary; }
    Diagnostics& diagnostics() const { return m_diagnostics; }

    // Goes up whenever something that shows changes; equal values mean the
    // same picture.
    std::uint64_t version() const { return m_version; }
    void markChanged() { ++m_version; }

    // The movie's format version, for the rules that changed with it.
    int swfVersion() const { return m_swfVersion; }
    void setSwfVersion(int version) { m_swfVersion = version; }

    // The frame loop.
    std::uint64_t tickCount() const { return m_tick; }
    // The main movie's first frame, shown as soon as it has arrived: the
    // root enters it and the tree settles, without a tick's clocks.
    void enterFirstFrame();
    // One frame for the whole tree.
    void tick();
    void addListener(FrameListener* listener);
    void removeListener(FrameListener* listener);
    // Hands on what input handlers did to the tree (a jump, a clip made)
    // now, between ticks, so that the frame they asked for shows at once.
    void settleOutsideTick()
    {
        if (!m_events.empty())
            settle();
    }

    // The pointer and keyboard.
    InputState& input() { return m_input; }
    const InputState& input() const { return m_input; }

    // For the display objects: making them, and telling of what happens.
    // `from` is the loaded movie the character is defined in, null for
    // the main movie; what it makes places its own from there too.
    // A sprite not `filled` waits for its first frame until told.
    std::shared_ptr<DisplayObject> instantiate(std::uint16_t characterId, int nesting,
                                               const std::shared_ptr<const LoadedMovie>& from = nullptr, bool filled = true);
    void objectRemoved(DisplayObject& object, DisplayObject& owner, bool quiet = false);
    // Whether a listener waits to run `object`'s own unload handlers; only
    // movies from version 6 on keep such clips on stage for them.
    bool hearsUnload(const DisplayObject& object) const;
    // What happened since the queue was last handed on, for a listener
    // that acts on some of it within the round that caused it.
    const std::vector<FrameEvent>& pendingEvents() const { return m_events; }
    // Moves the events queued from `from` up to `to` behind all those
    // queued after them: a jump's removals are told after what the frame
    // gone to placed and reached.
    void deferEvents(std::size_t from, std::size_t to);
    void tagReached(SpriteInstance& sprite, const TagRef& tag, bool shown);
    // The main movie's export `name`, once its timeline has passed the
    // frame that exports it, as the reference player lets script use it.
    std::optional<std::uint16_t> passedExport(const std::string& name) const;
    std::uint64_t takeObjectId() { return m_nextId++; }
    bool chargeInstance();
    void releaseInstance();
    const InstanceBudget& budget() const { return m_budget; }
    void setInstanceLimit(std::size_t limit) { m_budget.limit = limit; }

private:
    std::size_t instanceAllowance(int nesting) const;
    void advanceClocks(Container& container);
    void settle();

    std::shared_ptr<const Dictionary> m_dictionary;
    Diagnostics& m_diagnostics;
    InstanceBudget m_budget;
    std::uint64_t m_version = 0;
    int m_swfVersion = 10;
    std::uint64_t m_tick = 0;
    std::uint64_t m_nextId = 1;
    std::vector<FrameListener*> m_listeners;
    std::vector<FrameEvent> m_events;
    bool m_budgetReported = false;
    // The main timeline's ExportAssets tags passed so far, by offset.
    std::set<std::uint64_t> m_exportsPassed;
    InputState m_input {*this};
    // Declared last: the objects it holds report back to the members above
    // as they go.
    std::shared_ptr<SpriteInstance> m_root;
    std::map<int, std::shared_ptr<SpriteInstance>> m_levels;
};

} // namespace swf
