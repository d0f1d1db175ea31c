#pragma once

// Gradient colours as the reference player mixes them, and the ramps the
// rasterizer reads them from.

#include <cstddef>
#include <vector>

#include <QGradientStops>

#include "swf/ColorTransform.h"
#include "swf/define/Styles.h"
#include "swf/render/raster/Paint.h"

namespace swf {

// The gradient's stops through a colour transform, with stops added
// between stored ones where colour and alpha must mix apart or colour
// mixes in linear light.
QGradientStops gradientStops(const Gradient& gradient, const ColorTransform& cxform);

// The same few gradients come round frame after frame; their ramps are
// kept rather than worked out again for every shape.
class RampCache {
public:
    // Valid until the next call.
    const raster::Ramp& rampFor(const Gradient& gradient, const ColorTransform& cxform);

private:
    struct Entry {
        std::vector<GradientRecord> records;
        InterpolationMode interpolation;
        ColorTransform cxform;
        raster::Ramp ramp;
    };
    static constexpr std::size_t kKept = 64;

    std::vector<Entry> m_kept;
    std::size_t m_nextSlot = 0;
};

} // namespace swf
