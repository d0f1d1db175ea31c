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

PlaceAction placeAction(const PlaceCommand& place, std::optional<std::uint16_t> current, bool replaceable, int swfVersion)
{
    // A move finds nothing to move at an empty depth, even when it names a
    // character: the reference player makes nothing there.
    if (!current)
        return place.characterId && !place.move ? PlaceAction::Create : PlaceAction::Ignore;
    // A fresh place over an occupied depth: movies of version 6 on keep the
    // object there; older ones get a new object in its place.
    if (place.characterId && !place.move)
        return swfVersion >= 6 ? PlaceAction::Ignore : PlaceAction::Create;
    if (place.characterId && *place.characterId != *current && replaceable)
        return PlaceAction::Replace;
    return PlaceAction::Modify;
}

} // namespace swf
