#pragma once

// Paints a shape's cached geometry: fills with their brushes, strokes with
// their pens, styles coloured by the object's colour transform.

#include <functional>
#include <memory>

#include <QPainter>
#include <QTransform>

#include "swf/ColorTransform.h"
#include "swf/define/ShapeGeometry.h"

namespace swf {

class BitmapDefinition;
struct RenderScratch;

// Bitmap fills name their bitmap by id; what the lookup hands out stays
// valid while it is held, whatever the movie loads meanwhile.
using BitmapLookup = std::function<std::shared_ptr<const BitmapDefinition>(std::uint16_t)>;

struct ShapePaintOptions {
    bool smoothBitmaps = true; // false at low quality
    // Masks only need the fills' coverage, in one opaque colour.
    bool coverageOnly = false;
    // Device pixels per twip of the stage, which lines that do not scale
    // with their object still follow.
    double stageScale = 0.05;
};

// `toDevice` maps the shape's twips to the painter's device pixels.
void paintShape(QPainter& painter, const ShapeGeometry& geometry, const QTransform& toDevice, const ColorTransform& cxform,
                const BitmapLookup& bitmaps, const ShapePaintOptions& options, RenderScratch& scratch);

// The brush a fill style paints with, in shape coordinates.
QBrush brushForFill(const FillStyle& fill, const ColorTransform& cxform, const BitmapLookup& bitmaps);

// Pixels through a colour transform; premultiplied in, premultiplied out.
QImage transformedImage(const QImage& image, const ColorTransform& cxform);

} // namespace swf
