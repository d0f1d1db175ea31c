#include "swf/render/raster/Paint.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "swf/render/raster/Cloned.h"
#include "swf/render/raster/Sse2.h"

namespace swf::raster {

namespace {

constexpr double kHalfSize = 16384;
constexpr int kChunk = 256;
// Padded ramps are read in 16.16 fixed point between these places, in
// ramp steps, so that no sum can overflow.
constexpr double kPaddedRange = 16384;

// Each 8-bit channel of `x` times `a` / 255, rounded, two at a time.
inline std::uint32_t scale(std::uint32_t x, std::uint32_t a)
{
    std::uint32_t low = (x & 0xff00ff) * a;
    low = ((low + ((low >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    std::uint32_t high = ((x >> 8) & 0xff00ff) * a;
    high = (high + ((high >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return high | low;
}

inline std::uint32_t over(std::uint32_t source, std::uint32_t destination)
{
    return source + scale(destination, 255 - (source >> 24));
}

// For values well within the range of int.
inline std::int32_t floorToInt(double value)
{
    const auto whole = std::int32_t(value);
    return whole - std::int32_t(value < whole);
}

std::uint32_t premultiplied(const QColor& color)
{
    return qPremultiply(color.rgba());
}

// Between two premultiplied colours, `weight` of 256 toward the second.
std::uint32_t mix(std::uint32_t a, std::uint32_t b, int weight)
{
    std::uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int ca = int((a >> shift) & 0xff);
        const int cb = int((b >> shift) & 0xff);
        result |= std::uint32_t((ca * (256 - weight) + cb * weight + 128) >> 8) << shift;
    }
    return result;
}

// Between `destination` and `source` by `weight` of 255 toward the
// source, rounded once, two channels at a time: an opaque source laid in
// part over whatever is there.
inline std::uint32_t lerp(std::uint32_t source, std::uint32_t destination, std::uint32_t weight)
{
    const std::uint32_t other = 255 - weight;
    std::uint32_t low = (source & 0xff00ff) * weight + (destination & 0xff00ff) * other + 0x800080;
    low = ((low + ((low >> 8) & 0xff00ff)) >> 8) & 0xff00ff;
    std::uint32_t high = ((source >> 8) & 0xff00ff) * weight + ((destination >> 8) & 0xff00ff) * other + 0x800080;
    high = (high + ((high >> 8) & 0xff00ff)) & 0xff00ff00;
    return high | low;
}

// One pixel of `source` over `destination` in proportion to `coverage`.
inline std::uint32_t coveredOver(std::uint32_t source, std::uint32_t destination, std::uint32_t coverage)
{
    if ((source >> 24) == 255)
        return coverage == 255 ? source : coverage ? lerp(source, destination, coverage) : destination;
    if (coverage == 255)
        return over(source, destination);
    return coverage ? over(scale(source, coverage), destination) : destination;
}

#ifdef TVK_RASTER_SSE2
// Channels in 16-bit lanes times 255-based weights, divided by 255 exactly.
inline __m128i weigh(__m128i channels, __m128i weights)
{
    // (x + 128) * 257 / 65536 is (x + 128 + (x + 128) / 256) / 256 for
    // every product of two bytes.
    const __m128i x = _mm_add_epi16(_mm_mullo_epi16(channels, weights), _mm_set1_epi16(128));
    return _mm_mulhi_epu16(x, _mm_set1_epi16(257));
}

inline __m128i alphaLanes(__m128i pixels16)
{
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(pixels16, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
}

// Four pixels at once: source times coverage, over the destination.
inline __m128i coveredOver4(__m128i source, __m128i destination, std::uint32_t coverage4)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i weights = _mm_cvtsi32_si128(int(coverage4));
    weights = _mm_unpacklo_epi8(weights, weights);
    weights = _mm_unpacklo_epi16(weights, weights);
    const __m128i sourceLow = weigh(_mm_unpacklo_epi8(source, zero), _mm_unpacklo_epi8(weights, zero));
    const __m128i sourceHigh = weigh(_mm_unpackhi_epi8(source, zero), _mm_unpackhi_epi8(weights, zero));
    const __m128i full = _mm_set1_epi16(255);
    const __m128i destinationLow = weigh(_mm_unpacklo_epi8(destination, zero), _mm_sub_epi16(full, alphaLanes(sourceLow)));
    const __m128i destinationHigh = weigh(_mm_unpackhi_epi8(destination, zero), _mm_sub_epi16(full, alphaLanes(sourceHigh)));
    return _mm_packus_epi16(_mm_add_epi16(sourceLow, destinationLow), _mm_add_epi16(sourceHigh, destinationHigh));
}

// Four opaque pixels laid in part over the destination: each channel
// source * coverage + destination * (255 - coverage), over 255 once.
inline __m128i lerp4(__m128i source, __m128i destination, std::uint32_t coverage4)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i weights = _mm_cvtsi32_si128(int(coverage4));
    weights = _mm_unpacklo_epi8(weights, weights);
    weights = _mm_unpacklo_epi16(weights, weights);
    const __m128i full = _mm_set1_epi16(255);
    const __m128i round = _mm_set1_epi16(128);
    const __m128i toByte = _mm_set1_epi16(257);
    const __m128i weightLow = _mm_unpacklo_epi8(weights, zero);
    const __m128i weightHigh = _mm_unpackhi_epi8(weights, zero);
    __m128i low = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(source, zero), weightLow),
                                _mm_mullo_epi16(_mm_unpacklo_epi8(destination, zero), _mm_sub_epi16(full, weightLow)));
    __m128i high = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(source, zero), weightHigh),
                                 _mm_mullo_epi16(_mm_unpackhi_epi8(destination, zero), _mm_sub_epi16(full, weightHigh)));
    low = _mm_mulhi_epu16(_mm_add_epi16(low, round), toByte);
    high = _mm_mulhi_epu16(_mm_add_epi16(high, round), toByte);
    return _mm_packus_epi16(low, high);
}
#endif

#ifdef TVK_RASTER_SSE2
// The ramp's colours at four entries, each 0 to 255 in a 32-bit lane, in
// one register: they go out in one store, as the blend reads them back.
inline __m128i rampColors(const Ramp& ramp, __m128i entries)
{
    return _mm_setr_epi32(int(ramp[std::size_t(_mm_extract_epi16(entries, 0))]), int(ramp[std::size_t(_mm_extract_epi16(entries, 2))]),
                          int(ramp[std::size_t(_mm_extract_epi16(entries, 4))]), int(ramp[std::size_t(_mm_extract_epi16(entries, 6))]));
}

// Four pixels of `source` laid over those at `pixels` by their coverage.
inline void blend4(std::uint32_t* pixels, __m128i source, std::uint32_t coverage4)
{
    const __m128i alphaBits = _mm_set1_epi32(int(0xff000000u));
    auto* at = reinterpret_cast<__m128i*>(pixels);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(source, alphaBits), alphaBits)) == 0xffff) {
        _mm_storeu_si128(at, coverage4 == 0xffffffffu ? source : lerp4(source, _mm_loadu_si128(at), coverage4));
        return;
    }
    _mm_storeu_si128(at, coveredOver4(source, _mm_loadu_si128(at), coverage4));
}

// The ramp's colours at four 16.16 places, those before its first entry
// and past its last reading those.
inline __m128i paddedColors(const Ramp& ramp, __m128i at)
{
    // Entries within 2^14 either way, so they pack to 16 bits.
    __m128i index = _mm_srai_epi32(at, 16);
    index = _mm_packs_epi32(index, index);
    index = _mm_min_epi16(_mm_max_epi16(index, _mm_setzero_si128()), _mm_set1_epi16(255));
    return rampColors(ramp, _mm_unpacklo_epi16(index, _mm_setzero_si128()));
}
#endif

// `sources` null paints every pixel with `solid`.
void blendRow(std::uint32_t* pixels, const std::uint32_t* sources, std::uint32_t solid, const std::uint8_t* mask, int length)
{
    int i = 0;
#ifdef TVK_RASTER_SSE2
    const __m128i solid4 = _mm_set1_epi32(int(solid));
    for (; i + 4 <= length; i += 4) {
        std::uint32_t coverage4;
        std::memcpy(&coverage4, mask + i, 4);
        if (coverage4 == 0)
            continue;
        blend4(pixels + i, sources ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(sources + i)) : solid4, coverage4);
    }
#endif
    for (; i < length; ++i)
        pixels[i] = coveredOver(sources ? sources[i] : solid, pixels[i], mask[i]);
}

// blendRow over pixels `first` to `end` of a run that starts at `sources`
// and `pixels`, leaving those around them alone. Pixels go four at a time
// from the run's start, and may come out otherwise one by one, so the
// part is blended in a copy as the whole run would group it.
void blendRowPart(std::uint32_t* pixels, const std::uint32_t* sources, std::uint32_t solid, const std::uint8_t* mask, int length,
                  int first, int end)
{
    constexpr int kMaxPart = 256;
    std::uint32_t copy[kMaxPart];
    while (first < end) {
        const int groupFirst = first & ~3;
        const int groupEnd = std::min(length, std::min(groupFirst + kMaxPart, ((end + 3) & ~3)));
        std::memcpy(copy, pixels + groupFirst, sizeof(std::uint32_t) * std::size_t(groupEnd - groupFirst));
        blendRow(copy, sources ? sources + groupFirst : nullptr, solid, mask + groupFirst, groupEnd - groupFirst);
        const int partEnd = std::min(end, groupEnd);
        std::memcpy(pixels + first, copy + (first - groupFirst), sizeof(std::uint32_t) * std::size_t(partEnd - first));
        first = partEnd;
    }
}

} // namespace

Paint Paint::solid(std::uint32_t color)
{
    Paint paint;
    paint.m_color = color;
    return paint;
}

Ramp buildRamp(const QGradientStops& stops)
{
    Ramp ramp {};
    if (stops.isEmpty())
        return ramp;
    std::vector<std::uint32_t> colors;
    colors.reserve(std::size_t(stops.size()));
    for (const auto& stop : stops)
        colors.push_back(premultiplied(stop.second));
    std::size_t next = 0;
    for (int i = 0; i < 256; ++i) {
        const double position = i / 255.0;
        while (next < colors.size() && stops[qsizetype(next)].first < position)
            ++next;
        if (next == 0) {
            ramp[std::size_t(i)] = colors.front();
        } else if (next >= colors.size()) {
            ramp[std::size_t(i)] = colors.back();
        } else {
            const double p0 = stops[qsizetype(next - 1)].first;
            const double span = stops[qsizetype(next)].first - p0;
            const int weight = span > 0 ? int((position - p0) / span * 256 + 0.5) : 256;
            ramp[std::size_t(i)] = mix(colors[next - 1], colors[next], std::clamp(weight, 0, 256));
        }
    }
    return ramp;
}

Paint Paint::gradient(const Ramp& ramp, GradientShape shape, GradientSpread spread, double focal, const QTransform& toDevice)
{
    Paint paint;
    paint.m_solid = false;
    paint.m_shape = shape;
    paint.m_spread = spread;
    paint.m_focal = std::clamp(focal, -0.998, 0.998) * kHalfSize;
    // A matrix that flattens the gradient to a line has no inverse; the
    // ramp then reads as if the square were placed as it is.
    paint.m_fromDevice = toDevice.inverted();
    paint.m_ramp = ramp;
    // A linear ramp's place, in ramp steps, at the centre of pixel (0, 0)
    // and its steps along a row and down a column.
    const QTransform& m = paint.m_fromDevice;
    constexpr double toIndex = 255 / (2 * kHalfSize);
    paint.m_rampAlongX = m.m11() * toIndex;
    paint.m_rampAlongY = m.m21() * toIndex;
    paint.m_rampAtOrigin = (m.dx() + kHalfSize) * toIndex + 0.5 * (paint.m_rampAlongX + paint.m_rampAlongY) + 0.5;
    // A step of twice the range or more (or not a number) leaves every
    // span outside it, however short.
    paint.m_paddedLinear =
        shape == GradientShape::Linear && spread == GradientSpread::Pad && std::abs(paint.m_rampAlongX) < 2 * kPaddedRange;
    if (paint.m_paddedLinear)
        paint.m_paddedStep = floorToInt(paint.m_rampAlongX * 65536 + 0.5);
    return paint;
}

std::uint32_t Paint::rampAt(double t) const
{
    if (!std::isfinite(t))
        t = 0;
    switch (m_spread) {
    case GradientSpread::Pad:
        t = std::clamp(t, 0.0, 1.0);
        break;
    case GradientSpread::Repeat:
        t -= std::floor(t);
        break;
    case GradientSpread::Reflect:
        t = std::abs(t - 2 * std::floor(t / 2));
        if (t > 1)
            t = 2 - t;
        break;
    }
    return m_ramp[std::size_t(std::clamp(int(t * 255 + 0.5), 0, 255))];
}

// The ramp read at `fixed` (16.16 fixed point, in ramp steps), going on by
// `step` a pixel, before its first entry and past its last reading those.
// The caller keeps every value within 2^30. Four pixels go out in one
// store, as the blend reads them back: pixels written one at a time would
// still be on their way to memory when the blend's wider read comes, and
// that read would wait for them.
void Paint::padded(std::int32_t fixed, std::int32_t step, int length, std::uint32_t* out) const
{
    int i = 0;
#ifdef TVK_RASTER_SSE2
    if (length >= 4) {
        __m128i at = _mm_setr_epi32(fixed, fixed + step, fixed + 2 * step, fixed + 3 * step);
        const __m128i step4 = _mm_set1_epi32(4 * step);
        for (; i + 4 <= length; i += 4, at = _mm_add_epi32(at, step4))
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), paddedColors(m_ramp, at));
        fixed += i * step;
    }
#endif
    for (; i < length; ++i, fixed += step)
        out[i] = m_ramp[std::size_t(std::clamp(fixed >> 16, 0, 255))];
}

// padded() and blendRow() in one pass, four pixels at a time as each goes:
// the colours go straight onto the pixels, and none is read where nothing
// covers.
TVK_RASTER_CLONED void Paint::paddedBlend(std::int32_t fixed, std::int32_t step, int length, std::uint32_t* row,
                                          const std::uint8_t* mask) const
{
    int i = 0;
#ifdef TVK_RASTER_SSE2
    if (length >= 4) {
        __m128i at = _mm_setr_epi32(fixed, fixed + step, fixed + 2 * step, fixed + 3 * step);
        const __m128i step4 = _mm_set1_epi32(4 * step);
        for (; i + 4 <= length; i += 4, at = _mm_add_epi32(at, step4)) {
            std::uint32_t coverage4;
            std::memcpy(&coverage4, mask + i, 4);
            if (coverage4 != 0)
                blend4(row + i, paddedColors(m_ramp, at), coverage4);
        }
        fixed += i * step;
    }
#endif
    for (; i < length; ++i, fixed += step)
        row[i] = coveredOver(m_ramp[std::size_t(std::clamp(fixed >> 16, 0, 255))], row[i], mask[i]);
}

inline bool Paint::paddedSteps(int x, int y, int length, std::int32_t& fixed, std::int32_t& step) const
{
    if (!m_paddedLinear)
        return false;
    // The common case, in ramp steps: no division, no wrapping.
    // Comparisons that fail for what is not a number keep 16.16 fixed
    // point from overflowing.
    const double index = m_rampAtOrigin + x * m_rampAlongX + y * m_rampAlongY;
    if (!(std::abs(index) < kPaddedRange && std::abs(index + m_rampAlongX * length) < kPaddedRange))
        return false;
    fixed = floorToInt(index * 65536);
    step = m_paddedStep;
    return true;
}

void Paint::fetch(int x, int y, int length, std::uint32_t* out) const
{
    const double px = x + 0.5;
    const double py = y + 0.5;
    const QTransform& m = m_fromDevice;
    double gx = m.m11() * px + m.m21() * py + m.dx();
    double gy = m.m12() * px + m.m22() * py + m.dy();
    const double stepX = m.m11();
    const double stepY = m.m12();
    switch (m_shape) {
    case GradientShape::Linear:
        if (std::int32_t fixed, step; paddedSteps(x, y, length, fixed, step)) {
            padded(fixed, step, length, out);
            break;
        }
        for (int i = 0; i < length; ++i, gx += stepX)
            out[i] = rampAt((gx + kHalfSize) / (2 * kHalfSize));
        break;
    case GradientShape::Radial:
        if (m_spread == GradientSpread::Pad && std::abs(gx) < 1e15 && std::abs(gy) < 1e15 && std::abs(stepX * length) < 1e15
            && std::abs(stepY * length) < 1e15) {
            // Single precision is plenty for 256 steps and a good deal
            // quicker to take roots of.
            auto fx = float(gx);
            auto fy = float(gy);
            const auto sx = float(stepX);
            const auto sy = float(stepY);
            constexpr float kToIndex = float(255 / kHalfSize);
            int i = 0;
#ifdef TVK_RASTER_SSE2
            // Four at a time.
            const __m128i lanes = _mm_setr_epi32(0, 1, 2, 3);
            __m128 x4 = _mm_add_ps(_mm_set1_ps(fx), _mm_mul_ps(_mm_cvtepi32_ps(lanes), _mm_set1_ps(sx)));
            __m128 y4 = _mm_add_ps(_mm_set1_ps(fy), _mm_mul_ps(_mm_cvtepi32_ps(lanes), _mm_set1_ps(sy)));
            const __m128 stepX4 = _mm_set1_ps(4 * sx);
            const __m128 stepY4 = _mm_set1_ps(4 * sy);
            for (; i + 4 <= length; i += 4, x4 = _mm_add_ps(x4, stepX4), y4 = _mm_add_ps(y4, stepY4)) {
                const __m128 radius = _mm_sqrt_ps(_mm_add_ps(_mm_mul_ps(x4, x4), _mm_mul_ps(y4, y4)));
                const __m128 index = _mm_min_ps(_mm_add_ps(_mm_mul_ps(radius, _mm_set1_ps(kToIndex)), _mm_set1_ps(0.5f)),
                                                _mm_set1_ps(255));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), rampColors(m_ramp, _mm_cvttps_epi32(index)));
            }
            fx += float(i) * sx;
            fy += float(i) * sy;
#endif
            for (; i < length; ++i, fx += sx, fy += sy) {
                const float index = std::sqrt(fx * fx + fy * fy) * kToIndex + 0.5f;
                out[i] = m_ramp[std::size_t(index < 255 ? int(index) : 255)];
            }
            break;
        }
        for (int i = 0; i < length; ++i, gx += stepX, gy += stepY)
            out[i] = rampAt(std::sqrt(gx * gx + gy * gy) / kHalfSize);
        break;
    case GradientShape::Focal: {
        // Where the ray from the focal point through the pixel meets the
        // circle sets the scale: t = |p - f| / |q - f|.
        const double f = m_focal;
        const double outside = f * f - kHalfSize * kHalfSize; // < 0
        for (int i = 0; i < length; ++i, gx += stepX, gy += stepY) {
            const double dx = gx - f;
            const double dy = gy;
            const double dd = dx * dx + dy * dy;
            if (dd <= 0) {
                out[i] = rampAt(0);
                continue;
            }
            const double fd = f * dx;
            const double s = (-fd + std::sqrt(fd * fd - dd * outside)) / dd;
            out[i] = rampAt(s > 0 ? 1 / s : 1);
        }
        break;
    }
    }
}

void Paint::blend(std::uint32_t* row, int x, int y, int length, const std::uint8_t* mask) const
{
    if (m_solid) {
        blendRow(row, nullptr, m_color, mask, length);
        return;
    }
    // Nearly every span of a gradient fill: one chunk, laid straight on.
    if (std::int32_t fixed, step; length <= kChunk && paddedSteps(x, y, length, fixed, step)) {
        paddedBlend(fixed, step, length, row, mask);
        return;
    }
    blendChunks(row, x, y, length, mask);
}

void Paint::blendChunks(std::uint32_t* row, int x, int y, int length, const std::uint8_t* mask) const
{
    std::uint32_t colors[kChunk];
    for (int done = 0; done < length;) {
        const int count = std::min(kChunk, length - done);
        if (std::int32_t fixed, step; paddedSteps(x + done, y, count, fixed, step)) {
            paddedBlend(fixed, step, count, row + done, mask + done);
            done += count;
            continue;
        }
        fetch(x + done, y, count, colors);
        blendRow(row + done, colors, 0, mask + done, count);
        done += count;
    }
}

void Paint::blend(std::uint32_t* row, int x, int y, int length, const std::uint8_t* mask, int from, int to) const
{
    from = std::max(from, 0);
    to = std::min(to, length);
    if (from >= to)
        return;
    if (from == 0 && to == length) {
        blend(row, x, y, length, mask);
        return;
    }
    if (m_solid) {
        blendRowPart(row, nullptr, m_color, mask, length, from, to);
        return;
    }
    // Colours are worked out a chunk at a time from the span's start, as
    // the whole span would have them.
    std::uint32_t colors[kChunk];
    for (int done = from - from % kChunk; done < to; done += kChunk) {
        const int count = std::min(kChunk, length - done);
        fetch(x + done, y, count, colors);
        blendRowPart(row + done, colors, 0, mask + done, count, std::max(from - done, 0), std::min(to - done, count));
    }
}

} // namespace swf::raster
