#include "swf/script/FrameScripts.h"

#include <algorithm>
#include <string>
#include <utility>

#include "swf/read/TagCode.h"
#include "swf/runtime/EditTextInstance.h"
#include "swf/runtime/LoadedMovie.h"
#include "swf/runtime/SpriteInstance.h"
#include "swf/runtime/Stage.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClipLoads.h"
#include "swf/script/classes/Loads.h"
#include "swf/script/classes/NetStreamClass.h"
#include "swf/script/classes/SoundClass.h"
#include "swf/script/StageHost.h"

namespace swf::script {

namespace {

// Every sprite under `container`, parents before children.
void collectSprites(Container& container, std::vector<std::shared_ptr<DisplayObject>>& out)
{
    for (const auto& child : container.children()) {
        if (child->type() != DisplayObject::Type::Sprite)
            continue;
        out.push_back(child);
        collectSprites(static_cast<Container&>(*child), out);
    }
}

bool isSprite(const DisplayObject& object)
{
    return object.type() == DisplayObject::Type::Sprite;
}

} // namespace

std::vector<std::shared_ptr<DisplayObject>> clipsUnder(SpriteInstance& root)
{
    std::vector<std::shared_ptr<DisplayObject>> clips {root.shared_from_this()};
    collectSprites(root, clips);
    return clips;
}

FrameScripts::FrameScripts(Machine& machine, StageHost& host)
    : m_machine(machine)
    , m_host(host)
{
}

namespace {

// Taken off the stage, or kept on it only to hear its unload: such a clip
// runs no more frame code or frame events.
bool away(const DisplayObject& clip)
{
    return clip.isRemoved() || clip.isUnloading();
}

} // namespace

bool FrameScripts::stopped() const
{
    return m_quitBefore;
}

// The clips' enterFrame handlers wait for the timelines to move: each runs
// with the frame code of its clip in the tick's first round of events.
void FrameScripts::enterFrame()
{
    m_quitBefore = m_host.quitRequested();
    if (stopped())
        return;
    m_inTick = true;
    m_host.beginRound();
    // What finished loading since the last frame arrives before the
    // frame's own events, as the reference player hands it over.
    deliverLoads(m_machine);
    deliverSounds(m_machine);
    deliverStreams(m_machine);
    deliverLocalConnections(m_machine);
    if (stopped())
        return;
    m_machine.runTimers();
}

void FrameScripts::runTag(DisplayObject& timeline, const TagRef& tag, bool init)
{
    std::span<const std::uint8_t> body = m_host.tagBody(timeline, tag);
    if (init) {
        // The sprite the actions initialise comes first; they run once.
        if (body.size() < 2)
            return;
        const std::uint16_t spriteId = std::uint16_t(body[0] | body[1] << 8);
        // Each loaded movie initialises its own sprites.
        if (!m_initsRun.insert({m_host.movieOf(timeline), spriteId}).second)
            return;
        body = body.subspan(2);
    }
    m_machine.runActions(body, m_host.handleOf(timeline), m_host.versionOf(timeline));
}

// A clip's handlers come with the place command that made it, which its
// parent's timeline still holds.
void FrameScripts::readHandlers(DisplayObject& clip)
{
    const auto* parent = dynamic_cast<const SpriteInstance*>(clip.parent());
    const PlacementOrigin origin = clip.origin();
    if (!parent || origin.frame < 0 || origin.frame >= parent->script().frameCount())
        return;
    const std::vector<FrameCommand>& commands = parent->script().frames[std::size_t(origin.frame)];
    if (origin.command < 0 || std::size_t(origin.command) >= commands.size())
        return;
    const auto* place = std::get_if<PlaceCommand>(&commands[std::size_t(origin.command)]);
    if (!place || !place->clipActions)
        return;
    const std::span<const std::uint8_t> body = m_host.tagBody(*parent, *place->clipActions);
    const int version = m_host.versionOf(*parent);
    std::string problem;
    std::vector<ClipActionRecord> records = readClipActions(body, version, problem);
    if (!problem.empty())
        m_host.diagnostic(problem);
    if (!records.empty())
        m_handlers[clip.id()] = {*place->clipActions, parent->loadedMovie(), version, body.data(), std::move(records)};
}

void FrameScripts::runHandlers(DisplayObject& clip, std::uint32_t event)
{
    runHandlersFor(clip, event, -1);
}

void FrameScripts::runHandlersFor(DisplayObject& clip, std::uint32_t event, int key)
{
    const auto found = m_handlers.find(clip.id());
    if (found == m_handlers.end())
        return;
    Handlers& held = found->second;
    const std::span<const std::uint8_t> body = held.movie ? held.movie->tagBody(held.source) : m_host.tagBody(held.source);
    if (body.data() != held.readFrom) {
        // Read before; the same bytes give the same handlers, without a word.
        std::string problem;
        held.records = readClipActions(body, held.version, problem);
        held.readFrom = body.data();
    }
    // Copied: a handler may remove the clip, and its handlers with it.
    const std::vector<ClipActionRecord> handlers = held.records;
    const ClipHandle handle = m_host.handleOf(clip);
    for (const ClipActionRecord& handler : handlers)
        if ((handler.events & event) && (key < 0 || handler.key == key) && !stopped())
            m_machine.runActions(handler.actions, handle, held.version);
}

bool FrameScripts::handles(const DisplayObject& clip, std::uint32_t events) const
{
    const auto found = m_handlers.find(clip.id());
    if (found == m_handlers.end())
        return false;
    for (const ClipActionRecord& handler : found->second.records)
        if (handler.events & events)
            return true;
    return false;
}

void FrameScripts::duplicated(DisplayObject& original, DisplayObject& copy)
{
    const auto found = m_handlers.find(original.id());
    if (found == m_handlers.end())
        return;
    m_handlers[copy.id()] = found->second;
    m_constructed.insert(copy.id());
    runHandlers(copy, kClipEventConstruct);
}

bool FrameScripts::hearsUnload(const DisplayObject& object) const
{
    if (!isSprite(object))
        return false;
    if (const auto found = m_handlers.find(object.id()); found != m_handlers.end())
        for (const ClipActionRecord& record : found->second.records)
            if (record.events & kClipEventUnload)
                return true;
    return m_machine.clipHasMember(ClipHandle {object.id()}, "onUnload");
}

void FrameScripts::gone(DisplayObject& clip, bool unload)
{
    if (clip.isUnloading() && !clip.isRemoved())
        unloadKept(clip);
    else
        clipGone(clip, unload);
}

// A clip kept on stage for its unload handlers: they run, those inside
// first, the whole tree still in place; then it goes.
void FrameScripts::unloadKept(DisplayObject& clip)
{
    const auto runUnloads = [this](auto& self, DisplayObject& at) -> void {
        if (!isSprite(at))
            return;
        const std::vector<std::shared_ptr<DisplayObject>> inside = static_cast<Container&>(at).children();
        for (const auto& child : inside)
            self(self, *child);
        runHandlers(at, kClipEventUnload);
        m_machine.callClipMethod(ClipHandle {at.id()}, "onUnload");
    };
    runUnloads(runUnloads, clip);
    if (Container* parent = clip.parent())
        parent->finishUnload(clip);
    clipGone(clip, false);
}

// What a removed clip held goes with it: each clip inside is told too,
// the outer one first.
void FrameScripts::clipGone(DisplayObject& clip, bool unload)
{
    const ClipHandle handle {clip.id()};
    if (!isSprite(clip)) {
        // A field's or a button's references follow its path, as a clip's do.
        if (clip.type() == DisplayObject::Type::EditText || clip.type() == DisplayObject::Type::Button)
            m_machine.clipRemoved(handle);
        m_host.forget(handle);
        return;
    }
    if (unload) {
        runHandlers(clip, kClipEventUnload);
        m_machine.callClipMethod(handle, "onUnload");
    }
    m_machine.clipRemoved(handle);
    m_host.forget(handle);
    m_handlers.erase(clip.id());
    m_constructed.erase(clip.id());
    // Copied: an unload handler may change what the clip holds.
    const std::vector<std::shared_ptr<DisplayObject>> inside = static_cast<Container&>(clip).children();
    for (const auto& child : inside)
        clipGone(*child, unload);
}

// The reference player's order within a round: every init action and each
// new clip's initialize handler first, in the order reached, then their
// construct handlers; then, in a tick's first round, each clip already on
// stage, newest first: its enterFrame handlers, then in tag order its frame
// code, the unloads of the clips its timeline took away and the loads of
// those it placed (outside a tick: unloads first, children before parents;
// in later rounds everything in the order script's jumps queued it). A
// clip's load comes with its own first frame's code and then the loads of
// the clips made inside it, parents first. A clip that code makes is
// initialised once that code ends.
void FrameScripts::frameEvents(const std::vector<FrameEvent>& events)
{
    if (stopped()) {
        // A quit still lets the clips taken away before it hear their
        // unload, as the reference player does.
        for (const FrameEvent& event : events)
            if (event.kind == FrameEvent::Kind::Removed && event.object->isUnloading() && !event.object->isRemoved())
                unloadKept(*event.object);
        return;
    }
    m_host.beginRound();
    // Initialize handlers and init actions in the order reached; the
    // construct handlers once the init actions have all run.
    std::vector<DisplayObject*> toConstruct;
    for (const FrameEvent& event : events) {
        if (stopped())
            return;
        if (event.kind == FrameEvent::Kind::InitActions) {
            runTag(*event.object, event.tag, true);
        } else if (event.kind == FrameEvent::Kind::Constructed && event.object->type() == DisplayObject::Type::EditText) {
            // A bound field placed by the timeline sets or shows its
            // variable before the frame's actions look at it.
            if (Container* parent = event.object->parent())
                syncBoundField(m_machine, m_host.handleOf(*parent), static_cast<EditTextInstance&>(*event.object), true);
        } else if (event.kind == FrameEvent::Kind::Constructed && !m_madeEarly.count(event.object->id())) {
            initialize(*event.object, false);
            toConstruct.push_back(event.object.get());
        }
    }
    for (DisplayObject* clip : toConstruct)
        if (isSprite(*clip) && !away(*clip) && !stopped() && !m_constructed.erase(clip->id()))
            runHandlers(*clip, kClipEventConstruct);

    // The clips made in the round, and the first frame code of each.
    std::vector<std::shared_ptr<DisplayObject>> made;
    std::unordered_map<const DisplayObject*, std::vector<TagRef>> madeCode;
    for (const FrameEvent& event : events)
        if (event.kind == FrameEvent::Kind::Constructed && isSprite(*event.object) && !m_madeEarly.erase(event.object->id())
            && madeCode.try_emplace(event.object.get()).second)
            made.push_back(event.object);
    // Clips the round's code makes are initialised as soon as that code
    // has run, before the loads still to come, and load after them.
    std::size_t pendingSeen = 0;
    const auto takeMade = [&] {
        const std::vector<FrameEvent>& pending = m_host.stage().pendingEvents();
        for (; pendingSeen < pending.size(); ++pendingSeen) {
            const FrameEvent& event = pending[pendingSeen];
            // What the code queued before it (a jump's unloads and frame
            // code) comes first: clips past that wait for the next round.
            if (event.kind == FrameEvent::Kind::Removed
                || (event.kind == FrameEvent::Kind::FrameActions && !madeCode.count(event.object.get())))
                return;
            if (event.kind != FrameEvent::Kind::Constructed || !isSprite(*event.object) || stopped())
                continue;
            if (!madeCode.try_emplace(event.object.get()).second)
                continue;
            m_madeEarly.insert(event.object->id());
            made.push_back(event.object);
            initialize(*event.object, true);
        }
    };

    // In a tick's first round, what each timeline already on stage reached
    // as it moved, in tag order: its frame code, and the unloads of the
    // clips its commands took away.
    const bool firstRound = std::exchange(m_firstRound, false);
    const bool tickRound = firstRound && std::exchange(m_inTick, false);
    struct Reached {
        TagRef code;
        std::shared_ptr<DisplayObject> removed;
        bool unload = true;
        // A clip the timeline placed, loaded where its place command stood.
        std::shared_ptr<DisplayObject> made;
    };
    std::vector<std::pair<DisplayObject*, std::vector<Reached>>> onStage;
    std::unordered_map<const DisplayObject*, std::size_t> onStageIndex;
    // Later rounds run what script's jumps reached in the order it came:
    // frame code, unloads and loads as the jumps queued them.
    std::vector<std::pair<DisplayObject*, Reached>> jumpedTo;
    const auto reachedBy = [&](DisplayObject* timeline) -> std::vector<Reached>& {
        const auto [at, added] = onStageIndex.try_emplace(timeline, onStage.size());
        if (added)
            onStage.push_back({timeline, {}});
        return onStage[at->second].second;
    };
    for (const FrameEvent& event : events) {
        if (stopped())
            return;
        if (event.kind == FrameEvent::Kind::Constructed && madeCode.count(event.object.get())) {
            // A clip placed by a timeline already on stage loads in tag
            // order with that timeline's frame code.
            DisplayObject* parent = event.object->parent();
            if (!parent || !isSprite(*parent) || away(*parent) || madeCode.count(parent))
                continue;
            if (firstRound)
                reachedBy(parent).push_back({{}, nullptr, true, event.object});
            else
                jumpedTo.push_back({parent, {{}, nullptr, true, event.object}});
        } else if (event.kind == FrameEvent::Kind::FrameActions) {
            if (const auto own = madeCode.find(event.object.get()); own != madeCode.end())
                own->second.push_back(event.tag);
            else if (firstRound)
                reachedBy(event.object.get()).push_back({event.tag, nullptr});
            else
                jumpedTo.push_back({event.object.get(), {event.tag, nullptr}});
        } else if (event.kind == FrameEvent::Kind::Removed) {
            DisplayObject* owner = event.owner.get();
            if (tickRound && owner && !away(*owner) && !madeCode.count(owner))
                reachedBy(owner).push_back({{}, event.object, !event.quiet});
            else if (!firstRound)
                jumpedTo.push_back({owner, {{}, event.object, !event.quiet}});
            else
                gone(*event.object, !event.quiet);
        }
    }
    // A made clip's load handler and first frame code, then those of the
    // clips made inside it, parents first.
    std::unordered_set<const DisplayObject*> loaded;
    const auto load = [&](DisplayObject& clip) {
        // A clip kept on stage for its unload still hears the load
        // queued before it went.
        if (!loaded.insert(&clip).second || clip.isRemoved())
            return;
        runHandlers(clip, kClipEventLoad);
        if (!away(clip) && !stopped())
            m_machine.callClipMethod(m_host.handleOf(clip), "onLoad");
        for (const TagRef& tag : madeCode[&clip])
            if (!away(clip) && !stopped())
                runTag(clip, tag, false);
        takeMade();
    };
    const auto loadWithin = [&](DisplayObject& clip) {
        load(clip);
        for (std::size_t i = 0; i < made.size() && !stopped(); ++i)
            for (const DisplayObject* up = made[i]->parent(); up; up = up->parent())
                if (up == &clip) {
                    load(*made[i]);
                    break;
                }
    };
    const auto runItem = [&](DisplayObject* timeline, const Reached& item) {
        if (item.made)
            loadWithin(*item.made);
        else if (item.removed)
            gone(*item.removed, item.unload);
        else if (timeline && !away(*timeline)) {
            runTag(*timeline, item.code, false);
            takeMade();
        }
    };
    const auto runReached = [&](DisplayObject& timeline, std::vector<Reached> reached) {
        for (const Reached& item : reached) {
            if (stopped())
                return;
            runItem(&timeline, item);
        }
    };
    if (tickRound) {
        // Each clip that was already on stage, the newest first (so children
        // before their parents), has its enterFrame handlers and then what
        // it reached. Clips made this round and clips gone already have
        // none.
        std::vector<std::shared_ptr<DisplayObject>> sprites;
        if (SpriteInstance* root = m_host.sprite(m_host.root(0)))
            sprites = clipsUnder(*root);
        for (const auto& [number, level] : m_host.stage().levels()) {
            std::vector<std::shared_ptr<DisplayObject>> more = clipsUnder(*level);
            sprites.insert(sprites.end(), more.begin(), more.end());
        }
        // Ids grow with each object made.
        std::sort(sprites.begin(), sprites.end(), [](const auto& a, const auto& b) { return a->id() > b->id(); });
        for (const auto& sprite : sprites) {
            DisplayObject& clip = *sprite;
            if (stopped())
                return;
            if (away(clip) || madeCode.count(&clip))
                continue;
            runHandlers(clip, kClipEventEnterFrame);
            if (!away(clip))
                m_machine.callClipMethod(m_host.handleOf(clip), "onEnterFrame");
            if (const auto found = onStageIndex.find(&clip); found != onStageIndex.end())
                runReached(clip, std::exchange(onStage[found->second].second, {}));
        }
    }
    // The rest of a frame's first round (in a tick, timelines out of the
    // sprites' tree, such as those inside buttons): children before their
    // parents, the last reached first.
    for (auto it = onStage.rbegin(); it != onStage.rend(); ++it)
        runReached(*it->first, std::exchange(it->second, {}));
    for (const auto& [timeline, item] : jumpedTo)
        if (!stopped())
            runItem(timeline, item);
    takeMade();
    for (std::size_t i = 0; i < made.size() && !stopped(); ++i)
        load(*made[i]);
}

// A new clip as script first sees it: named, with its handlers read, its
// initialize handler run, and if asked its construct handler, unless that
// already ran inside the call that made it.
void FrameScripts::initialize(DisplayObject& clip, bool construct)
{
    if (!isSprite(clip) || away(clip))
        return;
    if (clip.name().empty())
        clip.setName("instance" + std::to_string(++m_unnamed));
    if (!m_handlers.count(clip.id()))
        readHandlers(clip);
    runHandlers(clip, kClipEventInitialize);
    // A symbol the timeline places takes the class registered for its
    // export name; script's own attachMovie gives it one already.
    if (!construct && !away(clip))
        if (const ClipHandle handle = m_host.handleOf(clip); handle)
            if (const std::string name = m_host.exportName(handle); !name.empty())
                m_machine.initializeClip(handle, name);
    if (construct && !away(clip) && !m_constructed.erase(clip.id()))
        runHandlers(clip, kClipEventConstruct);
}

void FrameScripts::exitFrame()
{
    m_firstRound = true;
    m_inTick = false;
    m_madeEarly.clear();
    // The main movie loads once its first frame's code has run: that code
    // is where its onLoad is set. Players before version 6 did not call it.
    if (!std::exchange(m_rootLoaded, true) && !stopped())
        if (SpriteInstance* root = m_host.sprite(m_host.root(0)); root && m_host.versionOf(*root) >= 6)
            m_machine.callClipMethod(m_host.root(0), "onLoad");
    if (!stopped())
        deliverClipInits(m_machine);
    if (!stopped())
        m_textVariables.sync(m_machine, m_host);
    m_host.prune();
    m_machine.collectIfDue();
}

} // namespace swf::script
