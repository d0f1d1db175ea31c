#pragma once

// The two equalities: strict (StrictEquals, switch) and the converting
// one of Equals2.

#include "swf/script/Value.h"

namespace swf::script {

class Machine;

bool strictEquals(const Value& a, const Value& b);
// May run script: objects compared with primitives convert through
// valueOf.
bool looseEquals(Machine& machine, const Value& a, const Value& b);

} // namespace swf::script
