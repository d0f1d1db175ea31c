#pragma once

#include <cstdint>

// The player's own broadcasters (Key, Mouse): objects given the listener
// methods and list as AsBroadcaster.initialize gives them, made fast.

namespace swf::script {

class Machine;
class Object;

void makeBroadcaster(Machine& machine, Object* target);
// The same with the properties' flags given (MovieClipLoader's prototype
// may be changed by the movie).
void makeBroadcaster(Machine& machine, Object* target, std::uint32_t flags);

} // namespace swf::script
