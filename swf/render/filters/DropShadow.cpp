#include "swf/render/filters/Blur.h"
#include "swf/render/filters/Effect.h"
#include "swf/render/filters/FilterPasses.h"

namespace swf::filters {

std::vector<std::uint8_t> shadowCoverage(const QImage& layer, const Filter& filter, double scaleX, double scaleY,
                                         QPoint offset, bool inverted)
{
    AlphaPlane alpha = alphaOf(layer);
    blurPlane(alpha, blurSize(filter, scaleX, scaleY));
    const StrengthTable strength = strengthTable(filter.strength);
    std::vector<std::uint8_t> coverage(alpha.values.size());
    const int width = layer.width();
    for (int y = 0; y < layer.height(); ++y) {
        std::uint8_t* out = coverage.data() + std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width; ++x) {
            const int value = alpha.at(x - offset.x(), y - offset.y());
            out[x] = strength[std::size_t(inverted ? 255 - value : value)];
        }
    }
    return coverage;
}

void applyDropShadow(QImage& layer, const Filter& filter, double scaleX, double scaleY)
{
    const auto coverage =
        shadowCoverage(layer, filter, scaleX, scaleY, effectOffset(filter, scaleX, scaleY), filter.inner);
    const QRgb color = premultiplied(filter.color);
    QImage shadow(layer.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < shadow.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(shadow.scanLine(y));
        const std::uint8_t* amount = coverage.data() + std::size_t(y) * std::size_t(shadow.width());
        for (int x = 0; x < shadow.width(); ++x)
            line[x] = scaled(color, amount[x]);
    }
    compositeEffect(layer, shadow, placementOf(filter), filter.knockout, filter.compositeSource);
}

} // namespace swf::filters
