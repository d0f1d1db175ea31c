#pragma once

// What drawing needs again and again, kept from shape to shape and frame to
// frame by whoever draws: one set for each thread that draws at a time.

#include "swf/render/GradientRamps.h"
#include "swf/render/raster/Coverage.h"
#include "swf/render/raster/Outline.h"
#include "swf/render/raster/Stroker.h"

namespace swf {

struct RenderScratch {
    raster::Outline outline;
    raster::Coverage coverage;
    raster::StrokeScratch stroke;
    RampCache ramps;
    // What has been told once already, so a movie over budget every frame
    // is not reported every frame.
    bool reportedFilterBudget = false;
    bool reportedMorphBudget = false;
    bool reportedBitmapBudget = false;
};

} // namespace swf
