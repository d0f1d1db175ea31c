#pragma once

// The order Tab moves keyboard focus in: by tabIndex when any object that
// takes focus has one (those without are then passed over), otherwise by
// where the objects sit on the stage, top to bottom, then left to right.
// Which objects take focus is the script's to say.

#include <optional>
#include <vector>

namespace swf {

class DisplayObject;

struct FocusCandidate {
    DisplayObject* object = nullptr;
    std::optional<double> tabIndex;
};

std::vector<DisplayObject*> focusOrder(const std::vector<FocusCandidate>& candidates);

// The object after `current` in `order` (before it when `backward`),
// round from the end to the start; the first (last) when `current` is not
// in it; null when the order is empty.
DisplayObject* nextInFocusOrder(const std::vector<DisplayObject*>& order, const DisplayObject* current, bool backward);

} // namespace swf
