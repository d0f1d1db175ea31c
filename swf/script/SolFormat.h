#pragma once

// The file a SharedObject is kept in between runs: the reference player's
// local shared object layout (a "TCSO" header with the object's name, then
// each property of its data as a name and an AMF0 value), so that what a
// movie stored reads back as it left it. Numbers, strings, booleans, null
// and undefined, objects, arrays, dates and XML documents round-trip;
// functions and clips are not stored. An object reached twice is written
// once and referred to after, so shared and circular data survive too.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "swf/script/Value.h"

namespace swf::script {

class Machine;
class Object;

// Past this an encoding stops and gives nothing: the caller's cap on what
// one object may store.
constexpr std::size_t kMaxSolBytes = 16 * 1024 * 1024;
// How deep objects may nest, written or read.
constexpr int kMaxSolDepth = 64;

// The file for `data` (its own enumerable properties) stored under
// `name`; nothing when it would be longer than `maxBytes`.
std::optional<std::string> encodeSol(Machine& machine, std::string_view name, Object* data, std::size_t maxBytes = kMaxSolBytes);

// Puts the properties a file holds on `data`. False, with `data` left as
// it was, when the bytes are not a whole, well-formed file.
bool decodeSol(Machine& machine, std::string_view bytes, Object* data);

// The same encoding for a list of values on their own, as LocalConnection
// carries a call's arguments from one movie to another.
std::optional<std::string> encodeAmf0Values(Machine& machine, std::span<const Value> values, std::size_t maxBytes);
// Nothing unless the bytes are whole values and nothing else.
std::optional<std::vector<Value>> decodeAmf0Values(Machine& machine, std::string_view bytes);

} // namespace swf::script
