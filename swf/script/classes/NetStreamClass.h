#pragma once

// What NetStream hears between frames: the file play() asked for arrived
// or did not (onStatus, onMetaData), and a stream playing came to its end.

namespace swf::script {

class Machine;

// The frame loop calls this once a frame, with the other deliveries.
void deliverStreams(Machine& machine);

} // namespace swf::script
