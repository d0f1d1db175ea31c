#include "swf/script/FrameScripts.h"

#include <string>
#include <utility>

#include "swf/read/TagCode.h"
#include "swf/runtime/SpriteInstance.h"
#include "swf/runtime/Stage.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Loads.h"
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

FrameScripts::FrameScripts(Machine& machine, StageHost& host, int swfVersion)
    : m_machine(machine)
    , m_host(host)
    , m_version(swfVersion)
{
}

bool FrameScripts::stopped() const
{
    return m_host.quitRequested();
}

void FrameScripts::enterFrame()
{
    if (stopped())
        return;
    m_host.beginRound();
    // What finished loading since the last frame arrives before the
    // frame's own events, as the reference player hands it over.
    deliverLoads(m_machine);
    if (stopped())
        return;
    SpriteInstance* root = m_host.sprite(m_host.root(0));
    if (!root)
        return;
    // Script may add and remove clips as it goes: the clips of this frame
    // are the ones there when it began, and each still there gets its call.
    std::vector<std::shared_ptr<DisplayObject>> sprites {root->shared_from_this()};
    collectSprites(*root, sprites);
    for (const auto& sprite : sprites) {
        if (stopped())
            return;
        if (sprite->isRemoved())
            continue;
        runHandlers(*sprite, kClipEventEnterFrame);
        if (!sprite->isRemoved())
            m_machine.callClipMethod(m_host.handleOf(*sprite), "onEnterFrame");
    }
    if (!stopped())
        m_machine.runTimers();
}

void FrameScripts::runTag(DisplayObject& timeline, const TagRef& tag, bool init)
{
    std::span<const std::uint8_t> body = m_host.tagBody(tag);
    if (init) {
        // The sprite the actions initialise comes first; they run once.
        if (body.size() < 2)
            return;
        const std::uint16_t spriteId = std::uint16_t(body[0] | body[1] << 8);
        if (!m_initsRun.insert(spriteId).second)
            return;
        body = body.subspan(2);
    }
    m_machine.runActions(body, m_host.handleOf(timeline), m_version);
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
    const std::span<const std::uint8_t> body = m_host.tagBody(*place->clipActions);
    std::string problem;
    std::vector<ClipActionRecord> records = readClipActions(body, m_version, problem);
    if (!problem.empty())
        m_host.diagnostic(problem);
    if (!records.empty())
        m_handlers[clip.id()] = {*place->clipActions, body.data(), std::move(records)};
}

void FrameScripts::runHandlers(DisplayObject& clip, std::uint32_t event)
{
    const auto found = m_handlers.find(clip.id());
    if (found == m_handlers.end())
        return;
    Handlers& held = found->second;
    const std::span<const std::uint8_t> body = m_host.tagBody(held.source);
    if (body.data() != held.readFrom) {
        // Read before; the same bytes give the same handlers, without a word.
        std::string problem;
        held.records = readClipActions(body, m_version, problem);
        held.readFrom = body.data();
    }
    // Copied: a handler may remove the clip, and its handlers with it.
    const std::vector<ClipActionRecord> handlers = held.records;
    const ClipHandle handle = m_host.handleOf(clip);
    for (const ClipActionRecord& handler : handlers)
        if ((handler.events & event) && !stopped())
            m_machine.runActions(handler.actions, handle, m_version);
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

// What a removed clip held goes with it: each clip inside is told too,
// the outer one first.
void FrameScripts::clipGone(DisplayObject& clip)
{
    const ClipHandle handle {clip.id()};
    if (!isSprite(clip)) {
        m_host.forget(handle);
        return;
    }
    runHandlers(clip, kClipEventUnload);
    m_machine.callClipMethod(handle, "onUnload");
    m_machine.clipRemoved(handle);
    m_host.forget(handle);
    m_handlers.erase(clip.id());
    m_constructed.erase(clip.id());
    // Copied: an unload handler may change what the clip holds.
    const std::vector<std::shared_ptr<DisplayObject>> inside = static_cast<Container&>(clip).children();
    for (const auto& child : inside)
        clipGone(*child);
}

// The reference player's order within a round: every init action and each
// new clip's initialize handler first; then the unload handlers of clips
// taken away; then the frame code of the timelines already on stage,
// children before parents (the timeline that reached its frame last goes
// first); then each clip made in the round, parents first: its load
// handler, then its own first frame's code.
void FrameScripts::frameEvents(const std::vector<FrameEvent>& events)
{
    if (stopped())
        return;
    m_host.beginRound();
    for (const FrameEvent& event : events) {
        if (stopped())
            return;
        if (event.kind == FrameEvent::Kind::InitActions) {
            runTag(*event.object, event.tag, true);
        } else if (event.kind == FrameEvent::Kind::Constructed && isSprite(*event.object) && !event.object->isRemoved()) {
            DisplayObject& clip = *event.object;
            if (clip.name().empty())
                clip.setName("instance" + std::to_string(++m_unnamed));
            if (!m_handlers.count(clip.id()))
                readHandlers(clip);
            runHandlers(clip, kClipEventInitialize);
            if (!m_constructed.erase(clip.id()))
                runHandlers(clip, kClipEventConstruct);
        }
    }

    // The clips made in the round, and the first frame code of each.
    std::vector<DisplayObject*> made;
    std::unordered_map<const DisplayObject*, std::vector<TagRef>> madeCode;
    for (const FrameEvent& event : events)
        if (event.kind == FrameEvent::Kind::Constructed && isSprite(*event.object) && madeCode.try_emplace(event.object.get()).second)
            made.push_back(event.object.get());

    // Frame code of the timelines already on stage, grouped by timeline.
    std::vector<std::pair<DisplayObject*, std::vector<TagRef>>> onStage;
    std::unordered_map<const DisplayObject*, std::size_t> onStageIndex;
    for (const FrameEvent& event : events) {
        if (stopped())
            return;
        if (event.kind == FrameEvent::Kind::FrameActions) {
            if (const auto own = madeCode.find(event.object.get()); own != madeCode.end()) {
                own->second.push_back(event.tag);
                continue;
            }
            const auto [at, added] = onStageIndex.try_emplace(event.object.get(), onStage.size());
            if (added)
                onStage.push_back({event.object.get(), {}});
            onStage[at->second].second.push_back(event.tag);
        } else if (event.kind == FrameEvent::Kind::Removed) {
            clipGone(*event.object);
        }
    }
    // Moving on, children before their parents, the last reached first;
    // what script's jumps reached, in the order they jumped.
    const auto runCode = [&](DisplayObject& timeline, const TagRef& tag) {
        if (!timeline.isRemoved() && !stopped())
            runTag(timeline, tag, false);
    };
    if (std::exchange(m_firstRound, false)) {
        for (auto it = onStage.rbegin(); it != onStage.rend(); ++it)
            for (const TagRef& tag : it->second)
                runCode(*it->first, tag);
    } else {
        for (const FrameEvent& event : events)
            if (event.kind == FrameEvent::Kind::FrameActions && !madeCode.count(event.object.get()))
                runCode(*event.object, event.tag);
    }
    for (DisplayObject* clip : made) {
        if (stopped())
            return;
        if (clip->isRemoved())
            continue;
        runHandlers(*clip, kClipEventLoad);
        if (!clip->isRemoved() && !stopped())
            m_machine.callClipMethod(m_host.handleOf(*clip), "onLoad");
        for (const TagRef& tag : madeCode[clip])
            if (!clip->isRemoved() && !stopped())
                runTag(*clip, tag, false);
    }
}

void FrameScripts::exitFrame()
{
    m_firstRound = true;
    m_host.prune();
    m_machine.collectIfDue();
}

} // namespace swf::script
