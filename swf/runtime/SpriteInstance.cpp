#include "swf/runtime/SpriteInstance.h"

#include <algorithm>

#include "swf/define/Dictionary.h"
#include "swf/runtime/Stage.h"

namespace swf {

namespace {

// The depth script calls 0: the timeline places below it.
constexpr int kFirstScriptDepth = 16384;

} // namespace

SpriteInstance::SpriteInstance(Stage& stage, std::uint16_t id, std::shared_ptr<const Character> character, const FrameScript& script,
                               int nesting)
    : Container(Type::Sprite, stage, id, std::move(character), nesting)
    , m_script(&script)
    , m_bornInTick(stage.tickCount())
{
}

int SpriteInstance::framesLoaded() const
{
    const int frames = m_script->frameCount();
    return m_loaded >= 0 ? std::min(m_loaded, frames) : frames;
}

int SpriteInstance::totalFrames() const
{
    return m_total >= 0 ? m_total : m_script->frameCount();
}

void SpriteInstance::setFrames(int total, int loaded)
{
    m_total = std::max(total, 0);
    m_loaded = std::max(loaded, 0);
}

void SpriteInstance::gotoFrame(int frame)
{
    const int loaded = framesLoaded();
    if (loaded <= 0)
        return;
    frame = std::clamp(frame, 0, loaded - 1);
    if (frame == m_current)
        return;
    // The first frame is entered like any step on: its actions and the
    // clips it places are reached in tag order.
    if (frame == m_current + 1)
        stepForward(frame);
    else
        jumpTo(frame);
}

void SpriteInstance::advanceClock()
{
    if (!m_playing)
        return;
    const int total = totalFrames();
    if (total <= 0)
        return;
    const int next = m_current + 1;
    if (next < total) {
        // The next frame has not arrived yet: wait for it.
        if (next < framesLoaded())
            gotoFrame(next);
        return;
    }
    if (m_loops)
        gotoFrame(0);
    else
        m_playing = false;
}

// The usual case, one frame on: its commands change the children in place.
void SpriteInstance::stepForward(int frame)
{
    const std::vector<FrameCommand>& commands = m_script->frames[std::size_t(frame)];
    m_current = frame;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        if (const auto* remove = std::get_if<RemoveCommand>(&commands[i]))
            removeChild(remove->depth);
        else if (const auto* placed = std::get_if<PlaceCommand>(&commands[i]))
            place(*placed, {frame, int(i)});
        else
            stage().tagReached(*this, std::get<CarriedTag>(commands[i]), true);
    }
}

void SpriteInstance::place(const PlaceCommand& command, PlacementOrigin origin)
{
    const int depth = command.depth;
    DisplayObject* existing = childAt(depth);
    const std::optional<std::uint16_t> current = existing ? std::optional(existing->characterId()) : std::nullopt;
    const bool canReplace = current && command.characterId && replaceable(*current, *command.characterId);
    switch (placeAction(command, current, canReplace, swfVersion())) {
    case PlaceAction::Ignore:
        return;
    case PlaceAction::Modify:
        existing->apply(command);
        return;
    case PlaceAction::Create:
    case PlaceAction::Replace: {
        PlacementState state = current && command.move ? existing->placement() : PlacementState {};
        state.merge(command);
        std::shared_ptr<DisplayObject> created = stage().instantiate(*command.characterId, nesting() + 1, loadedMovie());
        if (!created) {
            // What cannot be made leaves the depth empty, as a jump to this
            // frame would.
            removeChild(depth);
            return;
        }
        created->setOrigin(origin);
        created->setPlacement(state);
        placeChild(depth, std::move(created), true);
        return;
    }
    }
}

// Any jump but one frame on: the placements of the frame gone to are worked
// out (from the current ones going forward, from the first frame going
// back), then the children are brought to them. An object the frame still
// places by the same command stays the same object.
void SpriteInstance::jumpTo(int frame)
{
    Plan plan;
    int from = 0;
    if (m_current >= 0 && frame > m_current) {
        for (const auto& child : children())
            if (child->origin().frame >= 0)
                plan[child->depth()] = {child->characterId(), child->origin(), child->placement()};
        from = m_current + 1;
    }
    for (int f = from; f <= frame; ++f)
        planFrame(plan, f, f == frame);
    m_current = frame;
    const bool rebuilt = from == 0;

    // Children the script made (no timeline origin) are not the timeline's,
    // unless a rebuild from the first frame finds them among the depths
    // the timeline places at (below the lowest depth script counts as 0):
    // those go, as in the reference player.
    const std::size_t removedFrom = stage().pendingEvents().size();
    const std::vector<std::shared_ptr<DisplayObject>> living = children();
    for (const auto& child : living) {
        if (child->origin().frame < 0) {
            if (rebuilt && child->depth() >= 0 && child->depth() < kFirstScriptDepth)
                removeChild(child->depth());
            continue;
        }
        const auto planned = plan.find(child->depth());
        if (planned != plan.end() && planned->second.characterId == child->characterId() && planned->second.origin == child->origin()) {
            child->setPlacement(planned->second.state);
            plan.erase(planned);
        } else {
            removeChild(child->depth());
        }
    }
    const std::size_t removedTo = stage().pendingEvents().size();
    const auto create = [&](int depth, const Planned& planned) {
        std::shared_ptr<DisplayObject> created = stage().instantiate(planned.characterId, nesting() + 1, loadedMovie());
        if (!created)
            return;
        created->setOrigin(planned.origin);
        created->setPlacement(planned.state);
        placeChild(depth, std::move(created));
    };
    // What earlier frames placed comes first; then the frame gone to's own
    // places and actions, in tag order.
    for (const auto& [depth, planned] : plan)
        if (planned.origin.frame != frame)
            create(depth, planned);
    const std::vector<FrameCommand>& commands = m_script->frames[std::size_t(frame)];
    for (std::size_t i = 0; i < commands.size(); ++i) {
        if (const auto* carried = std::get_if<CarriedTag>(&commands[i])) {
            stage().tagReached(*this, *carried, true);
        } else if (const auto* command = std::get_if<PlaceCommand>(&commands[i])) {
            const auto planned = plan.find(command->depth);
            if (planned != plan.end() && planned->second.origin == PlacementOrigin {frame, int(i)})
                create(planned->first, planned->second);
        }
    }
    // The reference player tells of what the jump took away last, after
    // the loads and the frame code of the frame gone to.
    stage().deferEvents(removedFrom, removedTo);
}

void SpriteInstance::planFrame(Plan& plan, int frame, bool target)
{
    const std::vector<FrameCommand>& commands = m_script->frames[std::size_t(frame)];
    for (std::size_t i = 0; i < commands.size(); ++i) {
        if (const auto* remove = std::get_if<RemoveCommand>(&commands[i])) {
            plan.erase(remove->depth);
            continue;
        }
        const auto* command = std::get_if<PlaceCommand>(&commands[i]);
        if (!command) {
            // The frame gone to reaches its tags once it is built; those
            // passed over on the way are reached unshown.
            if (!target)
                stage().tagReached(*this, std::get<CarriedTag>(commands[i]), false);
            continue;
        }
        const auto existing = plan.find(command->depth);
        const std::optional<std::uint16_t> current = existing != plan.end() ? std::optional(existing->second.characterId) : std::nullopt;
        const bool canReplace = current && command->characterId && replaceable(*current, *command->characterId);
        switch (placeAction(*command, current, canReplace, swfVersion())) {
        case PlaceAction::Ignore:
            break;
        case PlaceAction::Modify:
            existing->second.state.merge(*command);
            break;
        case PlaceAction::Create:
        case PlaceAction::Replace: {
            // As in a step forward: a character that cannot be made leaves
            // the depth empty.
            if (!dictionary().find(*command->characterId)) {
                plan.erase(command->depth);
                break;
            }
            PlacementState state = current && command->move ? existing->second.state : PlacementState {};
            state.merge(*command);
            plan[command->depth] = {*command->characterId, {frame, int(i)}, std::move(state)};
            break;
        }
        }
    }
}

// The reference player swaps the character under an object only between
// plain graphics; a sprite or button stays what it is, and nothing turns
// into one.
bool SpriteInstance::replaceable(std::uint16_t current, std::uint16_t replacement) const
{
    const auto isGraphic = [this](std::uint16_t id) {
        const auto character = dictionary().find(id);
        if (!character)
            return true;
        const Character::Kind kind = character->kind();
        return kind != Character::Kind::Sprite && kind != Character::Kind::Button;
    };
    return isGraphic(current) && isGraphic(replacement);
}

} // namespace swf
