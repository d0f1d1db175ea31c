#include "swf/render/GradientRamps.h"

#include <algorithm>
#include <cmath>

#include <QColor>

namespace swf {

namespace {

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
    if (stops.size() < 2)
        return stops;
    // The reference player mixes stops channel by channel, alpha apart from
    // colour; the ramp mixes premultiplied pixels, which would fade a stop's
    // colour along with its alpha. So where alpha changes, or colour mixes
    // in linear light, a stop is set at every step of the ramp.
    const bool linearLight = gradient.interpolation == InterpolationMode::Linear;
    QGradientStops mixed;
    for (qsizetype i = 0; i + 1 < stops.size(); ++i) {
        const auto& [p0, c0] = stops[i];
        const auto& [p1, c1] = stops[i + 1];
        if (!linearLight && c0.alpha() == c1.alpha()) {
            mixed.append(stops[i]);
            continue;
        }
        const int steps = std::max(1, int(std::ceil((p1 - p0) * 255)));
        for (int step = 0; step < steps; ++step) {
            const double t = double(step) / steps;
            const auto plain = [t](int a, int b) { return int(std::lround(a + (b - a) * t)); };
            const auto colour = [t, linearLight, &plain](int a, int b) {
                return linearLight ? int(std::lround(fromLinear(toLinear(a) + (toLinear(b) - toLinear(a)) * t))) : plain(a, b);
            };
            mixed.append({p0 + (p1 - p0) * t, QColor(colour(c0.red(), c1.red()), colour(c0.green(), c1.green()),
                                                     colour(c0.blue(), c1.blue()), plain(c0.alpha(), c1.alpha()))});
        }
    }
    mixed.append(stops.back());
    return mixed;
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
