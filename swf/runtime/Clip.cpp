#include "swf/runtime/Clip.h"

#include <algorithm>

namespace swf {

namespace {

void applyPlace(Placement& placement, const PlaceCommand& place)
{
    if (place.matrix)
        placement.matrix = *place.matrix;
    if (place.colorTransform)
        placement.colorTransform = *place.colorTransform;
    if (place.ratio)
        placement.ratio = *place.ratio;
    if (place.name)
        placement.name = *place.name;
    if (place.clipDepth)
        placement.clipDepth = *place.clipDepth;
    if (place.filters)
        placement.filters = *place.filters;
    if (place.blendMode)
        placement.blendMode = *place.blendMode;
    if (place.cacheAsBitmap)
        placement.cacheAsBitmap = *place.cacheAsBitmap;
    if (place.visible)
        placement.visible = *place.visible;
}

} // namespace

Clip::Clip(const FrameScript& script, ClipContext context, int nesting)
    : m_script(&script)
    , m_context(context)
    , m_nesting(nesting)
{
}

void Clip::goTo(int frame)
{
    frame = std::clamp(frame, 0, std::max(frameCount() - 1, 0));
    if (frame == m_current || frameCount() == 0)
        return;
    Plan plan;
    int from = 0;
    if (frame > m_current && m_current >= 0) {
        plan = currentPlan();
        from = m_current + 1;
    }
    for (int f = from; f <= frame; ++f)
        applyFrame(plan, f);
    m_current = frame;
    realize(std::move(plan));
}

void Clip::tick()
{
    tickChildren();
    if (!m_playing || frameCount() <= 1)
        return;
    const int next = m_current + 1;
    goTo(next < frameCount() ? next : 0);
}

void Clip::tickChildren()
{
    for (auto& [depth, object] : m_list) {
        if (object.clip)
            object.clip->tick();
    }
}

Clip::Plan Clip::currentPlan() const
{
    Plan plan;
    for (const auto& [depth, object] : m_list)
        plan.emplace(depth, object.placement);
    return plan;
}

void Clip::applyFrame(Plan& plan, int frame) const
{
    const std::vector<FrameCommand>& commands = m_script->frames[std::size_t(frame)];
    for (std::size_t i = 0; i < commands.size(); ++i) {
        if (const auto* remove = std::get_if<RemoveCommand>(&commands[i])) {
            plan.erase(remove->depth);
            continue;
        }
        const auto& place = std::get<PlaceCommand>(commands[i]);
        const auto existing = plan.find(place.depth);
        const PlacementOrigin origin {frame, int(i)};
        if (existing == plan.end()) {
            // Moving what is not there does nothing.
            if (!place.characterId)
                continue;
            Placement placement;
            placement.characterId = *place.characterId;
            placement.origin = origin;
            applyPlace(placement, place);
            plan.emplace(place.depth, std::move(placement));
            continue;
        }
        Placement& placement = existing->second;
        if (place.characterId && !place.move) {
            // A fresh place over an occupied depth starts a new object there.
            placement = Placement {};
            placement.characterId = *place.characterId;
            placement.origin = origin;
        } else if (place.characterId && *place.characterId != placement.characterId
                   && canReplace(placement.characterId, *place.characterId)) {
            // Replaced: the object keeps its properties but is a new instance
            // of the new character.
            placement.characterId = *place.characterId;
            placement.origin = origin;
        }
        applyPlace(placement, place);
    }
}

// The reference player swaps the character under an object only between
// plain graphics; a sprite or button stays what it is, and nothing turns
// into one.
bool Clip::canReplace(std::uint16_t current, std::uint16_t replacement) const
{
    if (!m_context.dictionary)
        return true;
    const auto isGraphic = [this](std::uint16_t id) {
        const auto character = m_context.dictionary->find(id);
        if (!character)
            return true;
        const Character::Kind kind = character->kind();
        return kind != Character::Kind::Sprite && kind != Character::Kind::Button;
    };
    return isGraphic(current) && isGraphic(replacement);
}

void Clip::realize(Plan plan)
{
    DisplayList next;
    for (auto& [depth, placement] : plan) {
        const auto old = m_list.find(depth);
        if (old != m_list.end() && old->second.placement.characterId == placement.characterId
            && old->second.placement.origin == placement.origin) {
            DisplayObject kept = std::move(old->second);
            kept.placement = std::move(placement);
            next.emplace(depth, std::move(kept));
            continue;
        }
        DisplayObject created = instantiate(std::move(placement));
        if (created.budget || !m_context.budget)
            next.emplace(depth, std::move(created));
    }
    m_list = std::move(next);
}

DisplayObject Clip::instantiate(Placement placement) const
{
    DisplayObject object;
    if (m_context.budget) {
        if (m_context.budget->live >= m_context.budget->limit)
            return object;
        ++m_context.budget->live;
        object.budget = m_context.budget;
    }
    object.placement = std::move(placement);
    if (m_context.dictionary)
        object.character = m_context.dictionary->find(object.placement.characterId);
    if (!object.character || m_nesting + 1 > kMaxNesting)
        return object;
    const FrameScript* script = nullptr;
    if (object.character->kind() == Character::Kind::Sprite)
        script = &static_cast<const SpriteDefinition&>(*object.character).script;
    else if (object.character->kind() == Character::Kind::Button)
        script = &static_cast<const ButtonDefinition&>(*object.character).upState;
    if (script) {
        object.clip = std::make_unique<Clip>(*script, m_context, m_nesting + 1);
        object.clip->goTo(0);
    }
    return object;
}

} // namespace swf
