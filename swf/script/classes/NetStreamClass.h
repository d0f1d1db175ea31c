#pragma once

// What NetStream hears between frames: the file play() asked for arrived
// or did not (onStatus, onMetaData), and a stream playing came to its end.

namespace swf {
class VideoInstance;
} // namespace swf

namespace swf::script {

class Machine;
class Value;

// The frame loop calls this once a frame, with the other deliveries.
void deliverStreams(Machine& machine);

// Video.attachVideo: `video` (script's `videoClip`) shows what `stream`
// plays from now on; anything but a NetStream hands it back to its own
// frames.
void attachVideoTo(Machine& machine, const Value& stream, const Value& videoClip, VideoInstance& video);

// MovieClip.attachAudio: the sound of `source`, a NetStream, plays at
// `clip`'s levels from now on. Whatever the clip played before goes quiet,
// so attaching anything else (false, as movies do) silences it.
void attachAudioTo(Machine& machine, const Value& source, const Value& clip);

} // namespace swf::script
