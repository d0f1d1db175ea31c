#pragma once

// What drawing needs again and again, kept from shape to shape and frame to
// frame by whoever draws: one set for each thread that draws at a time.

#include <cstddef>

#include "swf/render/GradientRamps.h"
#include "swf/render/raster/Coverage.h"
#include "swf/render/raster/LineCoverage.h"
#include "swf/render/raster/Outline.h"
#include "swf/render/raster/Stroker.h"

namespace swf {

struct RenderScratch {
    // Edges one frame may sweep: over thirty times what the benchmark's
    // stress scene of 3,000 shapes sweeps, few enough that a frame of
    // monstrous shapes is drawn in about half a second.
    static constexpr std::size_t kEdgesPerFrame = 1'000'000;

    raster::Outline outline;
    raster::Coverage coverage;
    raster::LineCoverage lines;
    raster::StrokeScratch stroke;
    RampCache ramps;
    // What has been told once already, so a movie over budget every frame
    // is not reported every frame.
    bool reportedFilterBudget = false;
    bool reportedMorphBudget = false;
    bool reportedBitmapBudget = false;
    bool reportedEdgeBudget = false;
    // This frame's: edges swept so far, and whether some were left out.
    std::size_t edgesThisFrame = 0;
    bool edgesSkipped = false;
};

} // namespace swf
