#pragma once

// What the parts of flash.display.BitmapData share: the canvas behind a
// BitmapData object, and the rectangles and points its methods take, held
// to the canvas so that no loop runs past its pixels.

#include <memory>
#include <optional>

#include <QPoint>
#include <QRect>

#include "swf/runtime/BitmapCanvas.h"
#include "swf/script/Value.h"

namespace swf::script {

class Machine;
struct NativeCall;

// The live canvas of a BitmapData object; null for anything else and for
// a disposed or invalid one.
std::shared_ptr<BitmapCanvas> canvasOf(Machine& machine, const Value& bitmap);
// A new BitmapData object over `canvas`, or an invalid one when the
// movie's memory cannot take it.
Value makeBitmapData(Machine& machine, std::shared_ptr<BitmapCanvas> canvas);
// A flash.geom.Rectangle-like object as whole pixels; nothing when it has
// no numeric fields.
std::optional<QRect> rectangleOf(Machine& machine, const Value& rectangle);
QPoint pointOf(Machine& machine, const Value& point);
// A rectangle value as script sees one (flash.geom.Rectangle).
Value makeRectangle(Machine& machine, const QRect& rect);
// Counts a method's pixels against the script's instruction budget before
// it touches any, so that a script calling the costliest ones without end
// is stopped as a loop would be, with no canvas left half done.
void chargePixels(Machine& machine, double pixels);
// ARGB as script numbers carry it.
std::uint32_t colorArgument(Machine& machine, const Value& color);

// The methods of BitmapData.prototype that change pixels in bulk.
void installBitmapDataEffects(Machine& machine, Object* prototype);

} // namespace swf::script
