#include "swf/render/raster/Coverage.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <utility>

#include "swf/render/raster/Cloned.h"
#include "swf/render/raster/Sse2.h"

namespace swf::raster {

void Coverage::begin(const QRect& clip, int firstRow, int endRow)
{
    clear();
    m_clip = clip.isValid() ? clip : QRect();
    // Three spare cells past the right edge take what lands on or beyond it.
    m_stride = m_clip.width() + 3;
    const KeptRows kept = keptRows(m_clip, firstRow, endRow);
    m_rowBase = kept.first;
    m_rowEnd = kept.end;
    const std::size_t rows = std::size_t(m_rowEnd - m_rowBase);
    const std::size_t needed = rows * std::size_t(m_stride);
    if (m_cells.size() < needed)
        m_cells.resize(needed, 0);
    m_blocks.assign(rows, 0);
    m_crossingEdges.assign(rows + 1, 0);
    m_windingBound.assign(rows, 0);
    m_linesSinceCount = 0;
    m_windingsBounded = false;
    m_blockShift = 3;
    while ((m_stride >> m_blockShift) >= 64)
        ++m_blockShift;
    m_top = m_bottom = m_rowBase;
}

// A sweep leaves the store clean; an outline abandoned before its sweep
// must not leak into the next one.
void Coverage::clear()
{
    for (int row = m_top; row < m_bottom; ++row) {
        std::uint64_t blocks = rowBlocks(row);
        std::uint32_t* cells = rowCells(row);
        for (; blocks; blocks &= blocks - 1) {
            const int from = std::countr_zero(blocks) << m_blockShift;
            std::fill(cells + from, cells + std::min(m_stride, from + (1 << m_blockShift)), 0);
        }
        rowBlocks(row) = 0;
    }
    forgetCrossings();
    m_top = m_bottom = m_rowBase;
}

namespace {

// For the non-negative values cells are addressed by; a library call
// where the processor has no rounding instruction to spare.
inline int ceilOf(float value)
{
    const int whole = int(value);
    return float(whole) < value ? whole + 1 : whole;
}

// Cells hold areas in fixed point: kFull is a whole pixel's worth.
constexpr std::uint32_t kFull = 255 << 8;

// Fixed-point area to a coverage byte; without anti-aliasing a pixel is
// in or out by whether the outline covers half of it.
template <bool EvenOdd, bool Aliased>
inline std::uint8_t coverageByte(std::int32_t sum)
{
    std::uint32_t area = sum < 0 ? 0u - std::uint32_t(sum) : std::uint32_t(sum);
    if constexpr (EvenOdd) {
        if (area >= 2 * kFull)
            area %= 2 * kFull;
        if (area > kFull)
            area = 2 * kFull - area;
    }
    if constexpr (Aliased)
        area = area >= kFull / 2 ? kFull : 0;
    return std::uint8_t(area >= kFull ? 255 : area >> 8);
}

#ifdef TVK_RASTER_SSE2
// Four cells' running sum, carried on from `carry` (the sum so far in every
// lane), as four coverage bytes; the cells are left cleared and `carry`
// moves on.
template <bool EvenOdd, bool Aliased>
inline std::uint32_t prefix4(std::uint32_t* cells, __m128i& carry)
{
    const __m128i full = _mm_set1_epi32(int(kFull));
    auto* at = reinterpret_cast<__m128i*>(cells);
    __m128i v = _mm_loadu_si128(at);
    _mm_storeu_si128(at, _mm_setzero_si128());
    v = _mm_add_epi32(v, _mm_slli_si128(v, 4));
    v = _mm_add_epi32(v, _mm_slli_si128(v, 8));
    v = _mm_add_epi32(v, carry);
    carry = _mm_shuffle_epi32(v, _MM_SHUFFLE(3, 3, 3, 3));
    __m128i sign = _mm_srai_epi32(v, 31);
    __m128i area = _mm_sub_epi32(_mm_xor_si128(v, sign), sign);
    if constexpr (EvenOdd) {
        if (_mm_movemask_epi8(_mm_cmpgt_epi32(area, _mm_set1_epi32(int(2 * kFull - 1))))) {
            // Winding past two: rare, done a lane at a time.
            alignas(16) std::int32_t sums[4];
            _mm_store_si128(reinterpret_cast<__m128i*>(sums), v);
            std::uint32_t bytes = 0;
            for (int lane = 0; lane < 4; ++lane)
                bytes |= std::uint32_t(coverageByte<true, Aliased>(sums[lane])) << (8 * lane);
            return bytes;
        }
        // Folded about one: full - |area - full|.
        const __m128i t = _mm_sub_epi32(area, full);
        sign = _mm_srai_epi32(t, 31);
        area = _mm_sub_epi32(full, _mm_sub_epi32(_mm_xor_si128(t, sign), sign));
    }
    if constexpr (Aliased)
        area = _mm_and_si128(_mm_cmpgt_epi32(area, _mm_set1_epi32(int(kFull / 2) - 1)), full);
    area = _mm_srli_epi32(area, 8);
    area = _mm_packs_epi32(area, area);
    area = _mm_packus_epi16(area, area);
    return std::uint32_t(_mm_cvtsi128_si32(area));
}
#endif

// The running sum over cells `from` to `end`, starting from `sum`, as
// coverage bytes; the cells are left cleared. Bytes go out eight at a time,
// so that a later read of eight or fewer from within them finds them in
// one write rather than waiting for several to reach memory.
template <bool EvenOdd, bool Aliased>
inline std::uint32_t prefix(std::uint32_t* cells, std::uint8_t* mask, int from, int end, std::uint32_t sum)
{
    int x = from;
#ifdef TVK_RASTER_SSE2
    __m128i carry = _mm_set1_epi32(int(sum));
    for (; x + 8 <= end; x += 8) {
        const std::uint64_t low = prefix4<EvenOdd, Aliased>(cells + x, carry);
        const std::uint64_t high = prefix4<EvenOdd, Aliased>(cells + x + 4, carry);
        const std::uint64_t bytes = std::endian::native == std::endian::little ? low | high << 32 : high | low << 32;
        std::memcpy(mask + x, &bytes, 8);
    }
    if (x + 4 <= end) {
        const std::uint32_t bytes = prefix4<EvenOdd, Aliased>(cells + x, carry);
        std::memcpy(mask + x, &bytes, 4);
        x += 4;
    }
    sum = std::uint32_t(_mm_cvtsi128_si32(carry));
#endif
    for (; x < end; ++x) {
        sum += cells[x];
        cells[x] = 0;
        mask[x] = coverageByte<EvenOdd, Aliased>(std::int32_t(sum));
    }
    return sum;
}

// `count` bytes of `value`, and perhaps up to 15 more after them.
inline void splat(std::uint8_t* out, std::uint8_t value, int count)
{
#ifdef TVK_RASTER_SSE2
    const __m128i bytes = _mm_set1_epi8(char(value));
    for (int i = 0; i < count; i += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), bytes);
#else
    std::memset(out, value, std::size_t(count));
#endif
}

} // namespace

template <bool EvenOdd, bool Aliased>
TVK_RASTER_CLONED void Coverage::rowCoverage(std::uint32_t* cells, std::uint8_t* mask, int first, int end, std::uint64_t blocks) const
{
    const int shift = m_blockShift; // not read again after each byte laid
    std::uint32_t sum = 0;
    for (int x = first; x < end;) {
        // Blocks are taken a run at a time: touched ones summed, untouched
        // ones laid with the sum so far. A row has at most 64 blocks.
        const int block = x >> shift;
        const std::uint64_t ahead = blocks >> block;
        if (ahead & 1) {
            const int runEnd = std::min(end, (block + std::countr_one(ahead)) << shift);
            sum = prefix<EvenOdd, Aliased>(cells, mask, x, runEnd, sum);
            x = runEnd;
        } else {
            const int runEnd = ahead ? std::min(end, (block + std::countr_zero(ahead)) << shift) : end;
            splat(mask + x, coverageByte<EvenOdd, Aliased>(std::int32_t(sum)), runEnd - x);
            x = runEnd;
        }
    }
}

Coverage::RowCoverage Coverage::rowCoverageFor(Winding winding, bool antialias)
{
    if (winding == Winding::EvenOdd)
        return antialias ? &Coverage::rowCoverage<true, false> : &Coverage::rowCoverage<true, true>;
    return antialias ? &Coverage::rowCoverage<false, false> : &Coverage::rowCoverage<false, true>;
}

namespace {

// Between two counts no row takes more than kLinesPerCount crossings, and
// after a count none is left bounded above kRebaseAbove windings, so no
// sum ever passes 32,768 whole windings: 2,139,095,040, inside an int32.
constexpr int kLinesPerCount = 16'384;
constexpr std::int32_t kRebaseAbove = 16'384;
// Far enough out that the nonzero rule sees a whole pixel whatever happens
// to the sum before the sweep short of an outline that undoes thousands of
// windings, which no drawing does.
constexpr std::int32_t kRebasedWindings = 8'192;

// A sum past kRebasedWindings windings either way moved back towards zero
// by whole double windings: the nonzero rule still sees a covered pixel,
// and the even-odd rule, which only sees the sum modulo two windings, sees
// the very same coverage.
std::int32_t rebased(std::int32_t sum)
{
    constexpr std::int64_t kLimit = std::int64_t(kRebasedWindings) * kFull;
    constexpr std::int64_t kTwo = 2 * std::int64_t(kFull);
    std::int64_t value = sum;
    if (value > kLimit)
        value -= kTwo * ((value - kLimit + kTwo - 1) / kTwo);
    else if (value < -kLimit)
        value += kTwo * ((-kLimit - value + kTwo - 1) / kTwo);
    return std::int32_t(value);
}

} // namespace

// Rows outside those kept count at the nearest kept edge, so that every kept
// row sees the very crossings it would with the whole clip kept.
void Coverage::countCrossing(int firstRow, int lastRow)
{
    ++m_crossingEdges[std::size_t(std::clamp(firstRow, m_rowBase, m_rowEnd) - m_rowBase)];
    --m_crossingEdges[std::size_t(std::clamp(lastRow, m_rowBase, m_rowEnd) - m_rowBase)];
    if (++m_linesSinceCount == kLinesPerCount)
        boundWindings();
}

void Coverage::boundWindings()
{
    std::int32_t crossing = 0;
    for (int row = m_top; row < m_bottom; ++row) {
        crossing += m_crossingEdges[std::size_t(row - m_rowBase)];
        m_crossingEdges[std::size_t(row - m_rowBase)] = 0;
        std::int32_t& bound = m_windingBound[std::size_t(row - m_rowBase)];
        bound += crossing;
        if (bound > kRebaseAbove) {
            rebase(row);
            bound = kRebasedWindings;
        }
    }
    m_crossingEdges[std::size_t(m_bottom - m_rowBase)] = 0;
    m_linesSinceCount = 0;
    m_windingsBounded = true;
}

// The row's running sums, each rebased, written back as differences. A
// rebased sum changes only where the sum does, so no cell that was zero
// stops being zero and the row's block bits still hold.
void Coverage::rebase(int row)
{
    std::uint32_t* cells = rowCells(row);
    std::uint32_t sum = 0;
    std::int32_t previous = 0;
    for (int x = 0; x < m_clip.width(); ++x) {
        sum += cells[x];
        const std::int32_t kept = rebased(std::int32_t(sum));
        cells[x] = std::uint32_t(kept) - std::uint32_t(previous);
        previous = kept;
    }
}

void Coverage::forgetCrossings()
{
    if (m_top == m_bottom) {
        // Lines that missed the kept rows are counted, but left nothing.
        m_linesSinceCount = 0;
        return;
    }
    std::fill(m_crossingEdges.begin() + (m_top - m_rowBase), m_crossingEdges.begin() + (m_bottom - m_rowBase) + 1, 0);
    if (m_windingsBounded)
        std::fill(m_windingBound.begin() + (m_top - m_rowBase), m_windingBound.begin() + (m_bottom - m_rowBase), 0);
    m_windingsBounded = false;
    m_linesSinceCount = 0;
}

void Coverage::addPolygon(const QPointF* points, std::size_t count)
{
    if (count < 3)
        return;
    double area = 0;
    for (std::size_t i = 0, j = count - 1; i < count; j = i++)
        area += points[j].x() * points[i].y() - points[i].x() * points[j].y();
    const double direction = area < 0 ? -1 : 1;
    for (std::size_t i = 0, j = count - 1; i < count; j = i++)
        addLine(points[j].x(), points[j].y(), points[i].x(), points[i].y(), direction);
}

void Coverage::addContour(const QPointF* points, std::size_t count)
{
    if (count < 2)
        return;
    for (std::size_t i = 0, j = count - 1; i < count; j = i++)
        addLine(points[j].x(), points[j].y(), points[i].x(), points[i].y(), 1);
}

void Coverage::addLine(double x0, double y0, double x1, double y1, double direction)
{
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1) || y0 == y1)
        return;
    x0 -= m_clip.left();
    x1 -= m_clip.left();
    y0 -= m_clip.top();
    y1 -= m_clip.top();
    const double width = m_clip.width();
    const double height = m_clip.height();
    if (y0 > y1) {
        std::swap(x0, x1);
        std::swap(y0, y1);
        direction = -direction;
    }
    if (y1 <= 0 || y0 >= height)
        return;
    // Cut at the clip's top and bottom by the share of the height, which
    // stays between 0 and 1 however far out a hostile point lies.
    const double topShare = y0 < 0 ? (0 - y0) / (y1 - y0) : 0;
    const double bottomShare = y1 > height ? (height - y0) / (y1 - y0) : 1;
    const double dx = x1 - x0;
    x1 = x0 + dx * bottomShare;
    x0 = x0 + dx * topShare;
    y0 = std::max(y0, 0.0);
    y1 = std::min(y1, height);
    if (y0 >= y1 || !std::isfinite(x0) || !std::isfinite(x1))
        return;

    if (x0 >= 0 && x0 <= width && x1 >= 0 && x1 <= width) {
        accumulate(float(x0), float(y0), float(x1), float(y1), float(direction));
        return;
    }
    // Pieces left of the clip still count for every pixel right of them:
    // they become vertical lines on its edge. Pieces right of it count for
    // nothing visible and land in the spare cells past the row's end.
    double cuts[4] = {0, 1, 1, 1};
    int cutCount = 1;
    if (x0 != x1) {
        for (const double edge : {0.0, width}) {
            const double t = (edge - x0) / (x1 - x0);
            if (t > 0 && t < 1)
                cuts[cutCount++] = t;
        }
        if (cutCount == 3 && cuts[1] > cuts[2])
            std::swap(cuts[1], cuts[2]);
    }
    cuts[cutCount] = 1;
    for (int i = 0; i < cutCount; ++i) {
        const double t0 = cuts[i];
        const double t1 = cuts[i + 1];
        const double ya = y0 + (y1 - y0) * t0;
        const double yb = i + 1 == cutCount ? y1 : y0 + (y1 - y0) * t1;
        const double xa = std::clamp(x0 + (x1 - x0) * t0, 0.0, width);
        const double xb = std::clamp(i + 1 == cutCount ? x1 : x0 + (x1 - x0) * t1, 0.0, width);
        if (yb > ya)
            accumulate(float(xa), float(ya), float(xb), float(yb), float(direction));
    }
}

namespace {

// The blocks of `shift` bits from the one holding cell `first` to the one
// holding cell `last`; `last` is within the row's 64 blocks.
inline std::uint64_t blockSpan(int first, int last, int shift)
{
    return (std::uint64_t(2) << (last >> shift)) - (std::uint64_t(1) << (first >> shift));
}

// Crossings narrower than this are taken as upright lines through their
// middle; the area that misses is under 1/500 of a pixel.
constexpr float kUpright = 1.0f / 64;

// The share of a row that a line crosses from x `low` to x `high` (the
// line may run either way): `d` is the height crossed, in fixed point, and
// the cells it is spread over add up to exactly its whole part.
// `inverseWidth` is 1 / (high - low) when the caller knows it, else 0.
inline void crossRow(std::uint32_t* cells, std::uint64_t& blocks, int shift, float low, float high, float d, float inverseWidth)
{
    const std::int32_t total = std::int32_t(d);
    const float width = high - low;
    if (!(width >= kUpright)) {
        // Split by where the line crosses on average.
        const float middle = 0.5f * (low + high);
        const int cell = int(middle);
        const auto right = std::int32_t(d * (middle - float(cell)));
        cells[cell] += std::uint32_t(total - right);
        cells[cell + 1] += std::uint32_t(right);
        blocks |= blockSpan(cell, cell + 1, shift);
        return;
    }
    if (inverseWidth == 0)
        inverseWidth = 1.0f / width;
    const int leftCell = int(low);
    if (width <= 1) {
        // The crossing reaches at most one pixel edge, at leftCell + 1: the
        // triangle left of it goes to the first cell and the one right of
        // it to the third, or with no edge crossed the whole trapezoid to
        // the first; no branch on which it is.
        const float edge = float(leftCell + 1);
        const float before = edge - low;
        const float past = high - edge;
        const float inside = std::max(-past, 0.0f);
        const float beyond = std::max(past, 0.0f);
        const float half = 0.5f * d * inverseWidth;
        const auto first = std::int32_t(half * (before * before - inside * inside));
        const auto last = std::int32_t(half * beyond * beyond);
        cells[leftCell] += std::uint32_t(first);
        cells[leftCell + 1] += std::uint32_t(total - first - last);
        cells[leftCell + 2] += std::uint32_t(last);
        blocks |= blockSpan(leftCell, leftCell + 1 + int(last != 0), shift);
        return;
    }
    // Across several pixels: a triangle in the first and last cells and an
    // equal share in each whole pixel between.
    const float slope = inverseWidth;
    const float leftEdge = float(leftCell);
    const int rightCell = ceilOf(high);
    const float leftFraction = 1 - (low - leftEdge);
    const float firstArea = 0.5f * slope * leftFraction * leftFraction;
    const float rightFraction = high - float(rightCell) + 1;
    const auto first = std::int32_t(d * firstArea);
    const auto last = std::int32_t(d * (0.5f * slope * rightFraction * rightFraction));
    cells[leftCell] += std::uint32_t(first);
    if (rightCell == leftCell + 2) {
        cells[leftCell + 1] += std::uint32_t(total - first - last);
    } else {
        const auto second = std::int32_t(d * (slope * (leftFraction + 0.5f) - firstArea));
        cells[leftCell + 1] += std::uint32_t(second);
        const auto step = std::uint32_t(std::int32_t(d * slope));
        for (int cell = leftCell + 2; cell < rightCell - 1; ++cell)
            cells[cell] += step;
        cells[rightCell - 1] += std::uint32_t(total - first - second - last) - step * std::uint32_t(rightCell - leftCell - 3);
    }
    cells[rightCell] += std::uint32_t(last);
    blocks |= blockSpan(leftCell, rightCell, shift);
}

} // namespace

// The line runs down from (x0, y0) to (x1, y1), inside the clip. Rows not
// kept are passed over, but every row kept is worked out as it would be
// with all of them kept: the same steps, the same grouping of four.
TVK_RASTER_CLONED void Coverage::accumulate(float x0, float y0, float x1, float y1, float direction)
{
    // A point a hair above the clip's bottom can land on it in single
    // precision; its row is still the last one.
    const int firstRow = std::min(int(y0), m_clip.height() - 1);
    const int lastRow = std::min(ceilOf(y1), m_clip.height());
    countCrossing(firstRow, lastRow);
    const int keptFirst = std::max(firstRow, m_rowBase);
    const int keptLast = std::min(lastRow, m_rowEnd);
    if (keptFirst >= keptLast)
        return;
    if (m_top == m_bottom) {
        m_top = keptFirst;
        m_bottom = keptLast;
    } else {
        m_top = std::min(m_top, keptFirst);
        m_bottom = std::max(m_bottom, keptLast);
    }
    // Held in locals: every store to a cell could otherwise be a store to
    // the members, which would be read again after it.
    const int shift = m_blockShift;
    const int rowBase = m_rowBase;
    const int rowEnd = m_rowEnd;
    const std::ptrdiff_t stride = m_stride;
    std::uint32_t* const cellData = m_cells.data();
    std::uint64_t* const blockData = m_blocks.data();
    const auto cellsOf = [=](int row) { return cellData + std::ptrdiff_t(row - rowBase) * stride; };
    const auto blocksOf = [=](int row) -> std::uint64_t& { return blockData[row - rowBase]; };
    const auto kept = [=](int row) { return row >= rowBase && row < rowEnd; };
    const float unit = direction * float(kFull);
    const float xMin = std::min(x0, x1);
    const float xMax = std::max(x0, x1);
    if (lastRow - firstRow <= 1) {
        crossRow(cellsOf(firstRow), blocksOf(firstRow), shift, xMin, xMax, (y1 - y0) * unit, 0);
        return;
    }
    // Where the line meets a row's edge, kept within its own ends: a line
    // too flat for its slope to be a number lands on its left end.
    const float dxdy = (x1 - x0) / (y1 - y0);
    const auto at = [=](int row) {
        const float x = x0 + dxdy * (float(row) - y0);
        const float low = xMin < x ? x : xMin;
        return low < xMax ? low : xMax;
    };
    // The first and last rows may be crossed in part; those between, whole,
    // each over the same stretch of x. Each row's ends are worked out from
    // the start: adding the step up would drift on long lines.
    float x = at(firstRow + 1);
    if (kept(firstRow))
        crossRow(cellsOf(firstRow), blocksOf(firstRow), shift, std::min(x0, x), std::max(x0, x), (float(firstRow + 1) - y0) * unit, 0);
    const int lastWhole = y1 < float(lastRow) ? lastRow - 1 : lastRow;
    const float wholeSlope = std::abs(dxdy) >= kUpright ? 1 / std::abs(dxdy) : 0;
    int row = firstRow + 1;
#ifdef TVK_RASTER_SSE2
    if (wholeSlope >= 1 && lastWhole - row >= 4) {
        // Steep lines cross each whole row within two pixels: four rows at
        // a time, worked out as the rows one by one below would be.
        const __m128 lowest = _mm_set1_ps(xMin);
        const __m128 highest = _mm_set1_ps(xMax);
        const __m128 zero = _mm_setzero_ps();
        const __m128 one = _mm_set1_ps(1);
        const __m128 half = _mm_set1_ps(0.5f * unit * wholeSlope);
        const auto edgeAt = [&](__m128 rows) {
            const __m128 along = _mm_add_ps(_mm_set1_ps(x0), _mm_mul_ps(_mm_set1_ps(dxdy), _mm_sub_ps(rows, _mm_set1_ps(y0))));
            return _mm_min_ps(_mm_max_ps(along, lowest), highest);
        };
        const std::int32_t total = std::int32_t(unit);
        // Groups wholly above the rows kept are skipped, a whole number of
        // groups, so those kept are grouped as ever.
        if (rowBase > row)
            row += std::min((rowBase - row) / 4, (lastWhole - row) / 4) * 4;
        alignas(16) std::int32_t lefts[4];
        alignas(16) std::int32_t firsts[4];
        alignas(16) std::int32_t lasts[4];
        for (; row + 4 <= lastWhole && row < rowEnd; row += 4) {
            const __m128 rows = _mm_setr_ps(float(row), float(row + 1), float(row + 2), float(row + 3));
            const __m128 top = edgeAt(rows);
            const __m128 bottom = edgeAt(_mm_add_ps(rows, one));
            const __m128 low = _mm_min_ps(top, bottom);
            const __m128 high = _mm_max_ps(top, bottom);
            const __m128i left = _mm_cvttps_epi32(low);
            const __m128 edge = _mm_add_ps(_mm_cvtepi32_ps(left), one);
            const __m128 before = _mm_sub_ps(edge, low);
            const __m128 past = _mm_sub_ps(high, edge);
            const __m128 inside = _mm_max_ps(_mm_sub_ps(zero, past), zero);
            const __m128 beyond = _mm_max_ps(past, zero);
            const __m128 first = _mm_mul_ps(half, _mm_sub_ps(_mm_mul_ps(before, before), _mm_mul_ps(inside, inside)));
            const __m128 last = _mm_mul_ps(half, _mm_mul_ps(beyond, beyond));
            _mm_store_si128(reinterpret_cast<__m128i*>(lefts), left);
            _mm_store_si128(reinterpret_cast<__m128i*>(firsts), _mm_cvttps_epi32(first));
            _mm_store_si128(reinterpret_cast<__m128i*>(lasts), _mm_cvttps_epi32(last));
            for (int lane = 0; lane < 4; ++lane) {
                if (!kept(row + lane))
                    continue;
                std::uint32_t* cells = cellsOf(row + lane);
                const int leftCell = lefts[lane];
                cells[leftCell] += std::uint32_t(firsts[lane]);
                cells[leftCell + 1] += std::uint32_t(total - firsts[lane] - lasts[lane]);
                cells[leftCell + 2] += std::uint32_t(lasts[lane]);
                blocksOf(row + lane) |= blockSpan(leftCell, leftCell + 1 + int(lasts[lane] != 0), shift);
            }
        }
        if (row + 4 <= lastWhole)
            return; // past the rows kept
        x = at(row);
    }
#endif
    if (row < rowBase) {
        row = std::min(rowBase, lastWhole);
        x = at(row);
    }
    const int wholeEnd = std::min(lastWhole, rowEnd);
    for (; row < wholeEnd; ++row) {
        const float next = at(row + 1);
        crossRow(cellsOf(row), blocksOf(row), shift, std::min(x, next), std::max(x, next), unit, wholeSlope);
        x = next;
    }
    if (lastWhole < lastRow && kept(lastWhole)) {
        if (row != lastWhole)
            x = at(lastWhole);
        crossRow(cellsOf(lastWhole), blocksOf(lastWhole), shift, std::min(x, x1), std::max(x, x1), (y1 - float(lastWhole)) * unit, 0);
    }
}

} // namespace swf::raster
