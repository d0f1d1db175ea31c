#include "swf/render/filters/Effect.h"
#include "swf/render/filters/FilterPasses.h"

namespace swf::filters {

namespace {

// Full highlight at ratio 0, flat surface at 128, full shadow at 255.
std::size_t rampPosition(int slope)
{
    return std::size_t(slope >= 0 ? 128 + slope * 127 / 255 : 128 + slope * 128 / 255);
}

} // namespace

void applyGradientBevel(QImage& layer, const Filter& filter, double scaleX, double scaleY)
{
    const auto slopes = bevelSlopes(layer, filter, scaleX, scaleY);
    const Ramp ramp = rampOf(filter.gradient);
    QImage bevel(layer.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < bevel.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(bevel.scanLine(y));
        const std::int16_t* slope = slopes.data() + std::size_t(y) * std::size_t(bevel.width());
        for (int x = 0; x < bevel.width(); ++x)
            line[x] = ramp[rampPosition(slope[x])];
    }
    compositeEffect(layer, bevel, placementOf(filter), filter.knockout, filter.compositeSource);
}

} // namespace swf::filters
