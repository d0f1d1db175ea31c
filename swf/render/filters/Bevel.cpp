#include "swf/render/filters/Blur.h"
#include "swf/render/filters/Effect.h"
#include "swf/render/filters/FilterPasses.h"

namespace swf::filters {

// The light falls from the side the angle points away from: the highlight
// is where the object's edge faces back along the angle, the shadow where
// it faces along it. Comparing the blurred alpha a step back and a step
// forward tells the two apart, inside the object and around it alike.
std::vector<std::int16_t> bevelSlopes(const QImage& layer, const Filter& filter, double scaleX, double scaleY)
{
    AlphaPlane alpha = alphaOf(layer);
    blurPlane(alpha, blurSize(filter, scaleX, scaleY));
    const QPoint offset = effectOffset(filter, scaleX, scaleY);
    const StrengthTable strength = strengthTable(filter.strength);
    std::vector<std::int16_t> slopes(alpha.values.size());
    const int width = layer.width();
    for (int y = 0; y < layer.height(); ++y) {
        std::int16_t* out = slopes.data() + std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width; ++x) {
            const int shadowSide = alpha.at(x - offset.x(), y - offset.y());
            const int highlightSide = alpha.at(x + offset.x(), y + offset.y());
            const int slope = shadowSide - highlightSide;
            out[x] = std::int16_t(slope >= 0 ? strength[std::size_t(slope)] : -strength[std::size_t(-slope)]);
        }
    }
    return slopes;
}

void applyBevel(QImage& layer, const Filter& filter, double scaleX, double scaleY)
{
    const auto slopes = bevelSlopes(layer, filter, scaleX, scaleY);
    const QRgb shadow = premultiplied(filter.color);
    const QRgb highlight = premultiplied(filter.highlight);
    QImage bevel(layer.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < bevel.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(bevel.scanLine(y));
        const std::int16_t* slope = slopes.data() + std::size_t(y) * std::size_t(bevel.width());
        for (int x = 0; x < bevel.width(); ++x)
            line[x] = slope[x] >= 0 ? scaled(shadow, std::uint32_t(slope[x])) : scaled(highlight, std::uint32_t(-slope[x]));
    }
    compositeEffect(layer, bevel, placementOf(filter), filter.knockout, filter.compositeSource);
}

} // namespace swf::filters
