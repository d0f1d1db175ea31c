#include "swf/render/raster/LineCoverage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "swf/render/raster/Sse2.h"

namespace swf::raster {

void LineCoverage::begin(const QRect& clip, int firstRow, int endRow)
{
    clear();
    m_clip = clip.isValid() ? clip : QRect();
    // Pixels are worked out four at a time: the last four of a row may
    // reach three bytes past its end. Rows are a whole number of blocks.
    const int written = m_clip.width() + 3;
    m_blockShift = 3;
    while ((written >> m_blockShift) >= 64)
        ++m_blockShift;
    const int block = 1 << m_blockShift;
    m_stride = (written + block - 1) & ~(block - 1);
    const KeptRows kept = keptRows(m_clip, firstRow, endRow);
    m_rowBase = kept.first;
    m_rowEnd = kept.end;
    const std::size_t rows = std::size_t(m_rowEnd - m_rowBase);
    const std::size_t needed = rows * std::size_t(m_stride);
    if (m_bytes.size() < needed)
        m_bytes.resize(needed, 0);
    m_blocks.assign(rows, 0);
    m_top = m_bottom = m_rowBase;
}

// A sweep leaves the store clean; a line abandoned before its sweep must
// not leak into the next one.
void LineCoverage::clear()
{
    for (int row = m_top; row < m_bottom; ++row) {
        std::uint64_t& blocks = m_blocks[std::size_t(row - m_rowBase)];
        std::uint8_t* bytes = rowBytes(row);
        for (; blocks; blocks &= blocks - 1) {
            const int from = std::countr_zero(blocks) << m_blockShift;
            std::memset(bytes + from, 0, std::size_t(1) << m_blockShift);
        }
    }
    m_top = m_bottom = m_rowBase;
}

void LineCoverage::addLine(const QPointF* points, std::size_t count, bool closed, double width)
{
    if (count == 0 || m_rowBase == m_rowEnd || m_clip.isEmpty() || !(width > 0) || !std::isfinite(width))
        return;
    const auto half = float(width / 2);
    if (count == 1) {
        addPiece(points[0], points[0], half);
        return;
    }
    for (std::size_t i = 0; i + 1 < count; ++i)
        addPiece(points[i], points[i + 1], half);
    if (closed && count > 2)
        addPiece(points[count - 1], points[0], half);
}

namespace {

// For the non-negative values pixels are numbered by.
inline int ceilOf(double value)
{
    const int whole = int(value);
    return double(whole) < value ? whole + 1 : whole;
}

// How a pixel meets a straight edge along a piece. Seen across the edge,
// a pixel is a trapezoid: `outer` either way from its centre at most,
// `inner` either way at full depth (both a half for an edge along a row or
// a column). share(t) is 255 times the part of the pixel on the inner side
// of such an edge when its centre is `t` pixels in (out, when negative).
struct Profile {
    float outer;
    float inner;
    float scale;

    explicit Profile(float unitX, float unitY)
    {
        // The trapezoid is a spread of the pixel's two widths across the
        // edge; the narrower is kept from nought, as a thousandth of a
        // pixel changes no byte.
        const float wide = std::max(std::abs(unitX), std::abs(unitY));
        const float narrow = std::max(std::min(std::abs(unitX), std::abs(unitY)), 1.0f / 1024);
        outer = (wide + narrow) / 2;
        inner = (wide - narrow) / 2;
        scale = 255 / (2 * wide * narrow);
    }
};

// The same sums, in the same order, as four at a time below.
inline float share(const Profile& profile, float t)
{
    t = std::min(std::max(t, 0 - profile.outer), profile.outer);
    const float rise = t + profile.outer;
    const float first = std::max(t + profile.inner, 0.0f);
    const float second = std::max(t - profile.inner, 0.0f);
    return (rise * rise - first * first - second * second) * profile.scale;
}

// A coverage byte from the pixel's place: `across` the piece and `along`
// it from its start, in pixels, the piece `length` long. Within the piece's
// length the pixel is covered as by two straight edges `half` either side;
// past its ends, as by one edge at that distance from the end.
inline std::uint8_t coverageAt(const Profile& profile, float along, float across, float length, float half, bool thin)
{
    const float beyond = std::max(std::max(0 - along, along - length), 0.0f);
    const float distance = std::sqrt(across * across + beyond * beyond);
    float value = share(profile, half - distance);
    if (thin)
        value = value - share(profile, 0 - half - std::abs(across));
    value = value + 0.5f;
    return value <= 0 ? 0 : value >= 255 ? 255 : std::uint8_t(int(value));
}

} // namespace

void LineCoverage::addPiece(QPointF a, QPointF b, float half)
{
    // A pixel reaches at most half its diagonal across an edge.
    const float reach = half + 0.75f;
    double ax = a.x() - m_clip.left();
    double ay = a.y() - m_clip.top();
    double bx = b.x() - m_clip.left();
    double by = b.y() - m_clip.top();
    if (!std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by))
        return;
    // Cut to the clip and a pixel more than the line reaches round it:
    // what lies past that touches nothing within, and points far out would
    // leave single precision nothing to work with.
    const double margin = double(reach) + 1;
    {
        double t0 = 0;
        double t1 = 1;
        const double ex = bx - ax;
        const double ey = by - ay;
        const auto cut = [&](double p, double q) {
            // p * t <= q for every t kept.
            if (p == 0)
                return q >= 0;
            const double t = q / p;
            if (p < 0)
                t0 = std::max(t0, t);
            else
                t1 = std::min(t1, t);
            return t0 <= t1;
        };
        if (!cut(-ex, ax + margin) || !cut(ex, m_clip.width() + margin - ax) || !cut(-ey, ay + margin)
            || !cut(ey, m_clip.height() + margin - ay))
            return;
        if (t1 < 1) {
            bx = ax + ex * t1;
            by = ay + ey * t1;
        }
        if (t0 > 0) {
            ax += ex * t0;
            ay += ey * t0;
        }
    }
    const double ex = bx - ax;
    const double ey = by - ay;
    const int firstRow = std::max(m_rowBase, ceilOf(std::max(std::min(ay, by) - reach - 0.5, 0.0)));
    const int endRow = std::min(m_rowEnd, int(std::max(std::max(ay, by) + reach - 0.5, -1.0) + 1));
    if (firstRow >= endRow)
        return;
    if (m_top == m_bottom) {
        m_top = firstRow;
        m_bottom = endRow;
    } else {
        m_top = std::min(m_top, firstRow);
        m_bottom = std::max(m_bottom, endRow);
    }
    // The piece's direction, any for a dot: a pixel's place along it and
    // across it are then each a step a pixel along the row.
    const double size = std::sqrt(ex * ex + ey * ey);
    const float length = float(size);
    const float unitX = size > 0 ? float(ex / size) : 1;
    const float unitY = size > 0 ? float(ey / size) : 0;
    const float startX = 0.5f - float(ax);
    const float startY = 0.5f - float(ay);
    const Profile profile(unitX, unitY);
    // Whether the far edge can reach a pixel whose centre is past the
    // near one.
    const bool thin = half < profile.outer;
    // Which pixels of a row to work out: within the reach of the piece's
    // box, and of its crossing of the row, a little more either way than
    // they can be covered. Those worked out past what is covered come to
    // nought, so the stretch only has to hold what is.
    constexpr double kSlack = 1.0 / 64;
    const double lowest = std::max(std::min(ax, bx) - reach - kSlack, 0.5);
    const double highest = std::min(std::max(ax, bx) + reach + kSlack, m_clip.width() - 0.5);
    const bool level = std::abs(ey) * 1024 <= size;
    const double slope = level ? 0 : ex / ey;
    const double across = level ? 0 : reach * size / std::abs(ey) + kSlack;
    const int shift = m_blockShift;
#ifdef TVK_RASTER_SSE2
    const __m128 unitX4 = _mm_set1_ps(unitX);
    const __m128 unitY4 = _mm_set1_ps(unitY);
    const __m128 length4 = _mm_set1_ps(length);
    const __m128 half4 = _mm_set1_ps(half);
    const __m128 outer4 = _mm_set1_ps(profile.outer);
    const __m128 lessOuter4 = _mm_set1_ps(0 - profile.outer);
    const __m128 inner4 = _mm_set1_ps(profile.inner);
    const __m128 scale4 = _mm_set1_ps(profile.scale);
    const __m128 zero = _mm_setzero_ps();
    const __m128 rounding = _mm_set1_ps(0.5f);
    const __m128 sign = _mm_set1_ps(-0.0f);
    const __m128 lanes = _mm_setr_ps(0, 1, 2, 3);
    const __m128 four = _mm_set1_ps(4);
    const auto share4 = [&](__m128 t) {
        t = _mm_min_ps(_mm_max_ps(t, lessOuter4), outer4);
        const __m128 rise = _mm_add_ps(t, outer4);
        const __m128 first = _mm_max_ps(_mm_add_ps(t, inner4), zero);
        const __m128 second = _mm_max_ps(_mm_sub_ps(t, inner4), zero);
        return _mm_mul_ps(_mm_sub_ps(_mm_sub_ps(_mm_mul_ps(rise, rise), _mm_mul_ps(first, first)), _mm_mul_ps(second, second)),
                          scale4);
    };
#endif
    for (int row = firstRow; row < endRow; ++row) {
        double low = lowest;
        double high = highest;
        if (!level) {
            // Worked out from the row alone, as for any band that keeps it.
            const double crossing = ax + slope * (row + 0.5 - ay);
            low = std::max(low, crossing - across);
            high = std::min(high, crossing + across);
        }
        if (low > high)
            continue;
        const int first = ceilOf(low - 0.5);
        const int last = int(high - 0.5);
        std::uint8_t* bytes = rowBytes(row);
        const float rely = float(row) + startY;
        const float alongRow = startX * unitX + rely * unitY;
        const float acrossRow = rely * unitX - startX * unitY;
        int x = first;
#ifdef TVK_RASTER_SSE2
        const __m128 alongRow4 = _mm_set1_ps(alongRow);
        const __m128 acrossRow4 = _mm_set1_ps(acrossRow);
        for (__m128 x4 = _mm_add_ps(_mm_set1_ps(float(x)), lanes); x <= last; x += 4, x4 = _mm_add_ps(x4, four)) {
            const __m128 along = _mm_add_ps(alongRow4, _mm_mul_ps(x4, unitX4));
            const __m128 side = _mm_sub_ps(acrossRow4, _mm_mul_ps(x4, unitY4));
            const __m128 beyond = _mm_max_ps(_mm_max_ps(_mm_sub_ps(zero, along), _mm_sub_ps(along, length4)), zero);
            const __m128 distance = _mm_sqrt_ps(_mm_add_ps(_mm_mul_ps(side, side), _mm_mul_ps(beyond, beyond)));
            __m128 cover = share4(_mm_sub_ps(half4, distance));
            if (thin)
                cover = _mm_sub_ps(cover, share4(_mm_sub_ps(_mm_sub_ps(zero, half4), _mm_andnot_ps(sign, side))));
            // Past a whole pixel and below none the packing saturates.
            __m128i value = _mm_cvttps_epi32(_mm_add_ps(cover, rounding));
            value = _mm_packs_epi32(value, value);
            value = _mm_packus_epi16(value, value);
            std::int32_t before;
            std::memcpy(&before, bytes + x, 4);
            const std::int32_t after = _mm_cvtsi128_si32(_mm_max_epu8(value, _mm_cvtsi32_si128(before)));
            std::memcpy(bytes + x, &after, 4);
        }
#else
        for (; x <= last; ++x) {
            const float place = float(x);
            const std::uint8_t value = coverageAt(profile, alongRow + place * unitX, acrossRow - place * unitY, length, half, thin);
            bytes[x] = std::max(bytes[x], value);
        }
#endif
        m_blocks[std::size_t(row - m_rowBase)] |= (std::uint64_t(2) << ((x - 1) >> shift)) - (std::uint64_t(1) << (first >> shift));
    }
}

} // namespace swf::raster
