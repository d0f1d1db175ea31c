#include "swf/render/filters/Effect.h"
#include "swf/render/filters/FilterPasses.h"

namespace swf::filters {

// The glow's strength picks the colour: ratio 0 where the glow fades out,
// 255 where it is as strong as the object itself.
void applyGradientGlow(QImage& layer, const Filter& filter, double scaleX, double scaleY)
{
    const Placement placement = placementOf(filter);
    const auto coverage = shadowCoverage(layer, filter, scaleX, scaleY, effectOffset(filter, scaleX, scaleY),
                                         placement == Placement::Inner);
    const Ramp ramp = rampOf(filter.gradient);
    QImage glow(layer.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < glow.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(glow.scanLine(y));
        const std::uint8_t* amount = coverage.data() + std::size_t(y) * std::size_t(glow.width());
        for (int x = 0; x < glow.width(); ++x)
            line[x] = ramp[amount[x]];
    }
    compositeEffect(layer, glow, placement, filter.knockout, filter.compositeSource);
}

} // namespace swf::filters
