#include "swf/runtime/ButtonInstance.h"

#include "swf/runtime/Stage.h"

namespace swf {

namespace {

std::uint8_t stateBit(ButtonInstance::State state)
{
    switch (state) {
    case ButtonInstance::State::Over:
        return ButtonDefinition::Over;
    case ButtonInstance::State::Down:
        return ButtonDefinition::Down;
    default:
        return ButtonDefinition::Up;
    }
}

} // namespace

ButtonInstance::ButtonInstance(Stage& stage, std::uint16_t id, std::shared_ptr<const ButtonDefinition> definition, int nesting)
    : Container(Type::Button, stage, id, definition, nesting)
    , m_definition(std::move(definition))
{
}

void ButtonInstance::setState(State state)
{
    if (m_built && state == m_state)
        return;
    m_state = state;
    m_built = true;
    removeAllChildren();
    const std::uint8_t bit = stateBit(state);
    for (const ButtonDefinition::Record& record : m_definition->records) {
        if (!(record.states & bit))
            continue;
        std::shared_ptr<DisplayObject> shown = stage().instantiate(record.characterId, nesting() + 1, loadedMovie());
        if (!shown)
            continue;
        PlacementState placement;
        placement.matrix = record.matrix;
        placement.colorTransform = record.colorTransform;
        placement.filters = record.filters;
        placement.blendMode = record.blendMode;
        shown->setPlacement(placement);
        placeChild(record.depth, std::move(shown));
    }
}

} // namespace swf
