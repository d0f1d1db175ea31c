#pragma once

// Colour transforms as script objects and back, for the classes that hand
// a clip's colour to script (Transform, Color) and take it from there.

#include <optional>

#include "swf/script/Host.h"
#include "swf/script/Value.h"

namespace swf::script {

class Machine;

// The terms of a flash.geom.ColorTransform, nothing for anything else.
std::optional<HostColorTransform> colorTransformOf(const Value& value);
// A new flash.geom.ColorTransform holding these terms.
Value makeColorTransform(Machine& machine, const HostColorTransform& transform);
// `inner` applied first, then `outer`.
HostColorTransform concatColorTransforms(const HostColorTransform& outer, const HostColorTransform& inner);

} // namespace swf::script
