#include "swf/runtime/PlacementState.h"

namespace swf {

void PlacementState::merge(const PlaceCommand& place)
{
    if (place.matrix)
        matrix = *place.matrix;
    if (place.colorTransform)
        colorTransform = *place.colorTransform;
    if (place.ratio)
        ratio = *place.ratio;
    if (place.name)
        name = *place.name;
    if (place.clipDepth)
        clipDepth = *place.clipDepth;
    if (place.filters)
        filters = place.filters->empty() ? nullptr : place.filters;
    if (place.blendMode)
        blendMode = *place.blendMode;
    if (place.cacheAsBitmap)
        cacheAsBitmap = *place.cacheAsBitmap;
    if (place.visible)
        visible = *place.visible;
    if (place.background)
        background = place.background;
}

PlaceAction placeAction(const PlaceCommand& place, std::optional<std::uint16_t> current, bool replaceable)
{
    if (!current)
        return place.characterId ? PlaceAction::Create : PlaceAction::Ignore;
    if (place.characterId && !place.move)
        return PlaceAction::Create; // a fresh place over an occupied depth starts a new object there
    if (place.characterId && *place.characterId != *current && replaceable)
        return PlaceAction::Replace;
    return PlaceAction::Modify;
}

} // namespace swf
