#include "swf/render/GradientRamps.h"

#include <algorithm>
#include <cmath>

#include <QColor>

namespace swf {

namespace {

// Stops added between two stored ones to follow linear-light blending.
constexpr int kLinearSteps = 8;

QColor qcolor(Color color)
{
    return QColor(color.r, color.g, color.b, color.a);
}

double toLinear(double channel)
{
    channel /= 255.0;
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double fromLinear(double channel)
{
    const double value = channel <= 0.0031308 ? channel * 12.92 : 1.055 * std::pow(channel, 1 / 2.4) - 0.055;
    return std::clamp(value * 255.0, 0.0, 255.0);
}

} // namespace

QGradientStops gradientStops(const Gradient& gradient, const ColorTransform& cxform)
{
    QGradientStops stops;
    double last = -1;
    for (const GradientRecord& record : gradient.records) {
        // Two stops at one ratio make a hard edge; Qt keeps both only if
        // they differ in position.
        double position = std::max(record.ratio / 255.0, last + 1e-6);
        position = std::min(position, 1.0);
        last = position;
        stops.append({position, qcolor(cxform.apply(record.color))});
    }
    if (gradient.interpolation != InterpolationMode::Linear || stops.size() < 2)
        return stops;
    QGradientStops linear;
    for (qsizetype i = 0; i + 1 < stops.size(); ++i) {
        const auto& [p0, c0] = stops[i];
        const auto& [p1, c1] = stops[i + 1];
        for (int step = 0; step < kLinearSteps; ++step) {
            const double t = double(step) / kLinearSteps;
            const auto mixChannel = [t](int a, int b) {
                return int(std::lround(fromLinear(toLinear(a) + (toLinear(b) - toLinear(a)) * t)));
            };
            linear.append({p0 + (p1 - p0) * t,
                           QColor(mixChannel(c0.red(), c1.red()), mixChannel(c0.green(), c1.green()),
                                  mixChannel(c0.blue(), c1.blue()), int(std::lround(c0.alpha() + (c1.alpha() - c0.alpha()) * t)))});
        }
    }
    linear.append(stops.back());
    return linear;
}

const raster::Ramp& RampCache::rampFor(const Gradient& gradient, const ColorTransform& cxform)
{
    // Valid until the next call: a slot may be reused by the next gradient
    // that is not found, so a paint copies what it reads.
    for (const Entry& entry : m_kept)
        if (entry.interpolation == gradient.interpolation && entry.cxform == cxform && entry.records == gradient.records)
            return entry.ramp;
    Entry entry {gradient.records, gradient.interpolation, cxform, raster::buildRamp(gradientStops(gradient, cxform))};
    if (m_kept.size() < kKept) {
        m_kept.push_back(std::move(entry));
        return m_kept.back().ramp;
    }
    Entry& slot = m_kept[m_nextSlot];
    m_nextSlot = (m_nextSlot + 1) % kKept;
    slot = std::move(entry);
    return slot.ramp;
}

} // namespace swf
