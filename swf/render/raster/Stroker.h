#pragma once

// Lines of a width in device pixels, turned into the polygons they cover:
// a band along every piece, a join at every corner, a cap at each open end.
// The polygons overlap and Coverage adds them up into one stroke.

#include "swf/define/Styles.h"
#include "swf/render/raster/Coverage.h"
#include "swf/render/raster/Outline.h"

namespace swf::raster {

struct Pen {
    double width = 1; // device pixels
    CapStyle startCap = CapStyle::Round;
    CapStyle endCap = CapStyle::Round;
    JoinStyle join = JoinStyle::Round;
    double miterLimit = 3;
    bool noClose = false; // a run that ends where it began still gets caps
};

void stroke(const Outline& outline, const Pen& pen, Coverage& coverage);

} // namespace swf::raster
