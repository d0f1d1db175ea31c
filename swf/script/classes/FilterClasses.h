#pragma once

// The flash.filters objects script makes, and the records the renderer
// draws them with: MovieClip.filters and BitmapData.applyFilter turn one
// into the other, a copy each way, so that script changing a filter object
// afterwards changes nothing on stage until it is assigned again.

#include <optional>

#include "swf/read/FilterRecord.h"
#include "swf/script/Value.h"

namespace swf::script {

class Machine;

// The record a filter object draws as; nothing for what is not a filter
// object, or one the renderer has no record for (displacement maps).
std::optional<Filter> renderFilterOf(Machine& machine, const Value& filter);
// A new filter object of the class the record's type names.
Value scriptFilterOf(Machine& machine, const Filter& filter);

} // namespace swf::script
