#pragma once

// What the Sound class hears between frames: loads that finished (onID3,
// then onLoad; a streaming sound starts as it arrives) and sounds that
// played to their end (onSoundComplete).

namespace swf::script {

class Machine;

// The frame loop calls this once a frame, with the other deliveries.
void deliverSounds(Machine& machine);

} // namespace swf::script
