#pragma once

// Exact-area anti-aliased coverage. Outlines are added as straight lines
// in device pixels; each line leaves the signed area it sweeps in the cells
// it crosses, and a running sum along every row turns those areas into the
// share of each pixel that the outline covers. Lines past the left edge
// still count for the pixels right of them; nothing outside the clip is
// stored.

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <vector>

#include <QPointF>
#include <QRect>

namespace swf::raster {

enum class Winding { NonZero, EvenOdd };

class Coverage {
public:
    // Everything added until the next sweep is cut to `clip`.
    void begin(const QRect& clip);

    // Closed polygons: the last point joins the first. Polygons of either
    // orientation cover the same pixels, and overlapping ones add up.
    void addPolygon(const QPointF* points, std::size_t count);
    // A closed contour whose orientation counts, as fills need it.
    void addContour(const QPointF* points, std::size_t count);

    bool isEmpty() const { return m_top >= m_bottom; }

    // Calls `span(x, y, length, mask)` for every stretch of covered pixels,
    // rows from top to bottom, `mask[i]` being the coverage of pixel x + i
    // (0 to 255), then leaves the store cleared for the next outline.
    template <typename Span>
    void sweep(Winding winding, bool antialias, Span&& span);

private:
    // Turns the cells of one row from `first` to `end` into coverage
    // bytes, clearing them.
    static void rowCoverage(std::uint32_t* cells, std::uint8_t* mask, int first, int end, bool evenOdd, std::uint32_t threshold);

    void addLine(double x0, double y0, double x1, double y1, double direction);
    void accumulate(float x0, float y0, float x1, float y1, float direction);
    void touch(int row, int first, int last)
    {
        m_first[row] = std::min(m_first[row], first);
        m_last[row] = std::max(m_last[row], last);
    }
    void clear();

    QRect m_clip;
    int m_stride = 0;
    // Rows touched so far, and within each the first and last cell.
    int m_top = 0;
    int m_bottom = 0;
    // Fixed point: kFull is a whole pixel's worth of area.
    static constexpr std::uint32_t kFull = 255 << 8;
    std::vector<std::uint32_t> m_cells; // wrapping sums, read as signed
    std::vector<int> m_first;
    std::vector<int> m_last;
    std::vector<std::uint8_t> m_mask;
};

template <typename Span>
void Coverage::sweep(Winding winding, bool antialias, Span&& span)
{
    const int width = m_clip.width();
    if (m_mask.size() < std::size_t(width))
        m_mask.resize(std::size_t(width));
    std::uint8_t* const mask = m_mask.data();
    const std::uint32_t threshold = antialias ? 0 : kFull / 2;
    for (int row = m_top; row < m_bottom; ++row) {
        const int first = m_first[row];
        const int last = m_last[row];
        if (first > last)
            continue;
        std::uint32_t* cells = m_cells.data() + std::size_t(row) * std::size_t(m_stride);
        const int end = last < width ? last + 1 : width;
        // A running sum along the row, with no branches to mispredict, which
        // beats hopping from touched cell to touched cell.
        rowCoverage(cells, mask, first, end, winding == Winding::EvenOdd, threshold);
        for (int x = end; x <= last; ++x)
            cells[x] = 0;
        m_first[row] = m_stride;
        m_last[row] = -1;
        // Trim what the edges' soft sides left uncovered.
        int from = first;
        int to = end;
        while (from < to && mask[from] == 0)
            ++from;
        while (to > from && mask[to - 1] == 0)
            --to;
        if (from < to)
            span(m_clip.left() + from, m_clip.top() + row, to - from, mask + from);
    }
    m_top = m_bottom = 0;
}

} // namespace swf::raster
