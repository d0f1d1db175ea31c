#pragma once

// How the stage is placed and drawn into a target image.

namespace swf {

enum class ScaleMode { ShowAll, NoBorder, ExactFit, NoScale };
enum class Quality { Low, Medium, High, Best };

struct RenderOptions {
    ScaleMode scale = ScaleMode::ShowAll;
    Quality quality = Quality::High;
    // The viewer's magnification about the target's centre, on top of the
    // scale mode's placing: 2 shows half as much of the stage twice as big.
    double zoom = 1;
};

} // namespace swf
