#pragma once

// Text fields bound to a variable ("myText", "_root.score", "/menu:item"):
// the field shows the variable's value and follows it, and a field placed
// where the variable does not exist yet gives it its own text. The path
// is read from the field's parent clip, as the reference player does.

#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_set>

#include "swf/script/Host.h"
#include "swf/script/Value.h"

namespace swf {
class Container;
class EditTextInstance;
} // namespace swf

namespace swf::script {

class Machine;
class StageHost;

// The variable's value, nothing when the path leads nowhere or the
// variable is not set.
std::optional<Value> readBoundVariable(Machine& machine, ClipHandle parent, std::string_view path);
void writeBoundVariable(Machine& machine, ClipHandle parent, std::string_view path, const Value& value);
// Whether the variable lives on a clip. The reference player follows such
// a variable live: the field reads it, and what script writes into the
// field goes to it alone. On any other object the field keeps a copy.
bool boundToClip(Machine& machine, ClipHandle parent, std::string_view path);
// Shows the variable's value in the field; a new field gives its own text
// to a variable not set yet.
void syncBoundField(Machine& machine, ClipHandle parent, EditTextInstance& field, bool isNew);

class TextVariables {
public:
    // Brings every bound field on stage up to date with its variable.
    void sync(Machine& machine, StageHost& host);

private:
    void syncUnder(Machine& machine, StageHost& host, Container& container, std::unordered_set<std::uint64_t>& seen);

    // Fields already given their first look; a new one may set its variable.
    std::unordered_set<std::uint64_t> m_seen;
};

} // namespace swf::script
