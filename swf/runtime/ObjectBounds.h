#pragma once

// What a display object covers, in twips: its own drawing and everything
// it holds, as script's _width, getBounds and hitTest see it and as the
// focus rectangle is drawn round it.

#include <optional>

#include <QRectF>

#include "swf/Matrix.h"

namespace swf {

class DisplayObject;

// In the object's own space; nothing when it covers nothing.
std::optional<QRectF> localBounds(const DisplayObject& object);
// In the space `matrix` maps the object's own into.
std::optional<QRectF> boundsThrough(const DisplayObject& object, const Matrix& matrix);

} // namespace swf
