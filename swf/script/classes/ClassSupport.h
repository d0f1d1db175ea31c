#pragma once

// What the classes written the way the reference player's own script
// writes them share: packages under _global (flash.geom), properties made
// of a getter and a setter, methods that carry a prototype as script
// functions do, and the two operators whose results such script depends
// on (Add2's joining of text, and comparisons that may be undefined).

#include <cstdint>
#include <string>
#include <string_view>

#include "swf/script/Function.h"

namespace swf::script {

class Machine;

// The object at a dotted path under _global, made (hidden) where missing.
// `flags` are those of each object made.
Object* packageObject(Machine& machine, std::string_view path, std::uint32_t flags);
// A property read and written through natives (setter may be null).
void defineAccessor(Machine& machine, Object* target, std::string_view name, NativeFunction getter, NativeFunction setter,
                    std::uint32_t flags = 0, int tag = 0);
// A method as a function of the player's script: it has a prototype.
Function* defineScriptMethod(Machine& machine, Object* target, std::string_view name, NativeFunction native, std::uint32_t flags = 0,
                             int tag = 0);

// The inner state of a native class's objects: an array of `slots` with
// no prototype in the object's inner value, which script cannot reach,
// its first slot the interned `marker` that tells it from other classes'.
class ArrayObject;
ArrayObject* makeNativeStore(Machine& machine, Object* into, std::string_view marker, std::size_t slots);
// The store of `of` if it has one of this marker and size, else null.
ArrayObject* nativeStore(Machine& machine, const Value& of, std::string_view marker, std::size_t slots);

// Natives for methods that answer the same whatever they are given:
// what this player does not offer (a device, a dialog, a server) still
// answers as the reference player does where it is missing.
Value answerUndefined(NativeCall& c);
Value answerFalse(NativeCall& c);
Value answerNull(NativeCall& c);
Value answerZero(NativeCall& c);

// a + b as script adds: text when either side is text once valueOf ran.
Value scriptAdd(Machine& machine, const Value& a, const Value& b);
// What "text" + value gives after the text: valueOf first, and the
// value's own text when that gives no primitive.
std::string scriptText(Machine& machine, const Value& value);

} // namespace swf::script
