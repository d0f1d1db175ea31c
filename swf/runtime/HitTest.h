#pragma once

// Whether a point lands on what an object draws: fills by their winding
// rule, strokes by their width, text by its box, bitmaps by their pixels'
// rectangle, containers by their children under the children's masks, and
// buttons by their hit state rather than the state on show. Points are in
// twips.

#include <QPointF>

#include "swf/Matrix.h"
#include "swf/runtime/DisplayObject.h"

namespace swf {

class Container;

// The object's matrix through every parent's: its space to the stage's.
Matrix stageMatrix(const DisplayObject& object);
// A stage point in the object's own space; nothing when the object is
// squashed flat and has no inside.
std::optional<QPointF> toLocal(const DisplayObject& object, QPointF stagePoint);

// `local` is in the object's own space. Invisible objects are still hit
// here: script asks about them too; pointer targeting leaves them out.
// How deep and how many characters inside characters (a button's hit
// state holding sprites) are followed is bounded.
bool coversPoint(const DisplayObject& object, QPointF local);
// Whether the masks among `container`'s children let `child` be hit at
// `local` (the container's space).
bool maskAdmits(const Container& container, const DisplayObject& child, QPointF local);

} // namespace swf
