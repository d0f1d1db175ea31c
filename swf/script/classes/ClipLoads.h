#pragma once

// Movies and images that MovieClipLoader loads: the loader and its target
// wait, kept alive, until the host hands the outcome over at a frame
// boundary; then the loader's listeners hear of it.

namespace swf::script {

class Machine;

// Runs what the host has finished; the frame loop calls this once a frame.
void deliverClipLoads(Machine& machine);
// Tells the loaders of the movies that arrived this frame that their first
// frame has run (onLoadInit), the last loaded first; the frame loop calls
// this once the frame's code is done.
void deliverClipInits(Machine& machine);

} // namespace swf::script
