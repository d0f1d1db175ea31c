#include "swf/render/filters/Effect.h"

#include <algorithm>
#include <cmath>

namespace swf::filters {

namespace {

// Past twice the largest filtered layer an offset only moves the effect
// out of sight; capping it keeps the arithmetic in int.
constexpr double kMaxOffset = 2 * 8191;

int deviceOffset(double value)
{
    if (!std::isfinite(value))
        return 0;
    return int(std::lround(std::clamp(value, -kMaxOffset, kMaxOffset)));
}

} // namespace

Placement placementOf(const Filter& filter)
{
    const bool hasOnTop = filter.type == FilterType::Bevel || filter.type == FilterType::GradientBevel
                          || filter.type == FilterType::GradientGlow;
    if (hasOnTop && filter.onTop)
        return Placement::Full;
    if (filter.inner)
        return Placement::Inner;
    const bool bevel = filter.type == FilterType::Bevel || filter.type == FilterType::GradientBevel;
    return bevel ? Placement::Outer : Placement::Under;
}

QPoint effectOffset(const Filter& filter, double scaleX, double scaleY)
{
    const double dx = std::cos(filter.angle) * filter.distance * scaleX;
    const double dy = std::sin(filter.angle) * filter.distance * scaleY;
    return {deviceOffset(dx), deviceOffset(dy)};
}

StrengthTable strengthTable(double strength)
{
    const double factor = std::isfinite(strength) ? std::clamp(strength, 0.0, 255.0) : 0.0;
    StrengthTable table {};
    for (int i = 0; i < 256; ++i)
        table[std::size_t(i)] = std::uint8_t(std::min(255.0, std::round(i * factor)));
    return table;
}

void compositeEffect(QImage& layer, const QImage& effect, Placement placement, bool knockout, bool compositeSource)
{
    const bool effectOnly = knockout || !compositeSource;
    for (int y = 0; y < layer.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(layer.scanLine(y));
        const auto* added = reinterpret_cast<const QRgb*>(effect.constScanLine(y));
        for (int x = 0; x < layer.width(); ++x) {
            const QRgb source = line[x];
            const std::uint32_t coverage = source >> 24;
            QRgb shown = added[x];
            if (placement == Placement::Inner)
                shown = scaled(shown, coverage);
            else if (placement == Placement::Outer || (placement == Placement::Under && knockout))
                shown = scaled(shown, 255 - coverage);
            if (effectOnly)
                line[x] = shown;
            else if (placement == Placement::Outer || placement == Placement::Under)
                line[x] = over(source, shown);
            else
                line[x] = over(shown, source);
        }
    }
}

Ramp rampOf(std::vector<GradientStop> stops)
{
    Ramp ramp {};
    if (stops.empty())
        return ramp;
    std::stable_sort(stops.begin(), stops.end(), [](const auto& a, const auto& b) { return a.ratio < b.ratio; });
    std::size_t next = 0;
    for (int position = 0; position < 256; ++position) {
        while (next < stops.size() && stops[next].ratio < position)
            ++next;
        Color color;
        if (next == 0) {
            color = stops.front().color;
        } else if (next == stops.size()) {
            color = stops.back().color;
        } else {
            const auto& from = stops[next - 1];
            const auto& to = stops[next];
            const int span = to.ratio - from.ratio;
            const int along = position - from.ratio;
            const auto mix = [&](std::uint8_t a, std::uint8_t b) {
                return std::uint8_t((a * (span - along) + b * along + span / 2) / span);
            };
            color = {mix(from.color.r, to.color.r), mix(from.color.g, to.color.g), mix(from.color.b, to.color.b),
                     mix(from.color.a, to.color.a)};
        }
        ramp[std::size_t(position)] = premultiplied(color);
    }
    return ramp;
}

QRgb premultiplied(const Color& color) { return qPremultiply(qRgba(color.r, color.g, color.b, color.a)); }

} // namespace swf::filters
