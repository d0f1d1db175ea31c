#pragma once

// Variables sent and received as "name=value&name=value" text: LoadVars,
// loadVariables, and the variables a movie sends with getURL.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace swf::script {

class Machine;
class Object;

// The pairs as they stand, still escaped: split at '&', then at the
// first '='; a part without one is a name with an empty value.
std::vector<std::pair<std::string_view, std::string_view>> splitUrlVariables(std::string_view text);
// Sets each pair, unescaped as script's unescape() does, on `into`.
void decodeUrlVariables(Machine& machine, Object* into, std::string_view text);

} // namespace swf::script
