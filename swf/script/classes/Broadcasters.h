#pragma once

// The player's own broadcasters (Key, Mouse): objects given the listener
// methods and list as AsBroadcaster.initialize gives them, made fast.

namespace swf::script {

class Machine;
class Object;

void makeBroadcaster(Machine& machine, Object* target);

} // namespace swf::script
