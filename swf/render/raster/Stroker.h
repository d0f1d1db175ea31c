#pragma once

// Lines of a width in device pixels, turned into the outlines they cover:
// one ring round each run of pieces, its outer side following every join,
// and a cap at each open end. Where the ring crosses itself Coverage adds
// the windings up into one stroke.

#include <vector>

#include <QPointF>

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

// Room for the points of one run, kept from outline to outline by whoever
// strokes many.
struct StrokeScratch {
    std::vector<QPointF> run;
    std::vector<QPointF> right;
    std::vector<QPointF> left;
    std::vector<QPointF> round;
    std::vector<QPointF> circle;
};

// Whether lines of `pen` are better covered from each pixel's distance to
// them (LineCoverage) than through their outline: round joins and ends,
// and thin enough that the pixels each piece works out are few.
inline bool coveredByDistance(const Pen& pen)
{
    return pen.join == JoinStyle::Round && pen.startCap == CapStyle::Round && pen.endCap == CapStyle::Round && pen.width <= 6;
}

void stroke(const Outline& outline, const Pen& pen, Coverage& coverage, StrokeScratch& scratch);
// The same with scratch room of its own.
void stroke(const Outline& outline, const Pen& pen, Coverage& coverage);

} // namespace swf::raster
