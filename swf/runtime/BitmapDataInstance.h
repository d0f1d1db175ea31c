#pragma once

// A bitmap script attached to a clip (attachBitmap): it shows whatever
// its canvas holds at the time the stage is copied out for drawing.

#include <memory>

#include "swf/runtime/BitmapCanvas.h"
#include "swf/runtime/DisplayObject.h"

namespace swf {

class BitmapDataInstance final : public DisplayObject {
public:
    BitmapDataInstance(Stage& stage, std::shared_ptr<BitmapCanvas> canvas, bool smoothing);

    // The canvas's pixels now; null once it is disposed.
    std::shared_ptr<const Character> shown() const;
    bool smoothing() const { return m_smoothing; }

private:
    std::shared_ptr<BitmapCanvas> m_canvas;
    bool m_smoothing;
};

} // namespace swf
