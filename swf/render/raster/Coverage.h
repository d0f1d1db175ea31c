#pragma once

// Exact-area anti-aliased coverage. Outlines are added as straight lines
// in device pixels; each line leaves the signed area it sweeps in the cells
// it crosses, and a running sum along every row turns those areas into the
// share of each pixel that the outline covers. Lines past the left edge
// still count for the pixels right of them; nothing outside the clip is
// stored. A store may also keep only some of the clip's rows: the lines are
// worked out exactly as for the whole clip, so the rows it keeps come out
// the same to the bit, whoever draws the rest.

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <vector>

#include <QPointF>
#include <QRect>

#include "swf/render/raster/KeptRows.h"
#include "swf/render/raster/MaskTrim.h"

namespace swf::raster {

enum class Winding { NonZero, EvenOdd };

class Coverage {
public:
    // Everything added until the next sweep is cut to `clip`; of its rows
    // only those from `firstRow` up to `endRow` (device rows) are kept.
    void begin(const QRect& clip, int firstRow = INT_MIN, int endRow = INT_MAX);

    // Closed polygons: the last point joins the first. Polygons of either
    // orientation cover the same pixels, and overlapping ones add up.
    void addPolygon(const QPointF* points, std::size_t count);
    // A closed contour whose orientation counts, as fills need it.
    void addContour(const QPointF* points, std::size_t count);

    // Calls `span(x, y, length, mask)` for every stretch of covered pixels,
    // rows from top to bottom, `mask[i]` being the coverage of pixel x + i
    // (0 to 255), then leaves the store cleared for the next outline.
    template <typename Span>
    void sweep(Winding winding, bool antialias, Span&& span);

private:
    // Turns the cells of one row from `first` to `end` into coverage
    // bytes, clearing them. Blocks of cells that no edge touched are not
    // summed: the coverage is the same all across them. `mask` has room
    // for 16 bytes past `end`.
    template <bool EvenOdd, bool Aliased>
    void rowCoverage(std::uint32_t* cells, std::uint8_t* mask, int first, int end, std::uint64_t blocks) const;
    using RowCoverage = void (Coverage::*)(std::uint32_t*, std::uint8_t*, int, int, std::uint64_t) const;
    // The rowCoverage() for a rule, picked once a sweep rather than each row.
    static RowCoverage rowCoverageFor(Winding winding, bool antialias);

    void addLine(double x0, double y0, double x1, double y1, double direction);
    void accumulate(float x0, float y0, float x1, float y1, float direction);
    void clear();

    // A row's sums stay exact while fewer than 32,896 lines have crossed
    // it; a hostile outline can walk one square far more often than that.
    // Lines are counted per row as they come, and a row that nears the
    // limit has its sums brought back towards zero (see rebase()).
    void countCrossing(int firstRow, int lastRow);
    void boundWindings();
    void rebase(int row);
    void forgetCrossings();

    std::uint32_t* rowCells(int row) { return m_cells.data() + std::ptrdiff_t(row - m_rowBase) * m_stride; }
    std::uint64_t& rowBlocks(int row) { return m_blocks[std::size_t(row - m_rowBase)]; }

    QRect m_clip;
    int m_stride = 0;
    // The clip's rows kept, counted from the clip's top: the stores below
    // start at m_rowBase.
    int m_rowBase = 0;
    int m_rowEnd = 0;
    // Rows touched so far.
    int m_top = 0;
    int m_bottom = 0;
    std::vector<std::uint32_t> m_cells; // wrapping sums, read as signed
    // For every row, one bit per block of 2^m_blockShift cells that an
    // edge touched; at most 64 blocks a row.
    std::vector<std::uint64_t> m_blocks;
    int m_blockShift = 3;
    std::vector<std::uint8_t> m_mask;
    // Lines starting (+1) and ending (-1) at each row since the last count;
    // one entry more than there are rows.
    std::vector<std::int32_t> m_crossingEdges;
    // For every row, the most whole windings its sums can hold: what the
    // counts so far add up to.
    std::vector<std::int32_t> m_windingBound;
    int m_linesSinceCount = 0;
    bool m_windingsBounded = false;
};

template <typename Span>
void Coverage::sweep(Winding winding, bool antialias, Span&& span)
{
    const int width = m_clip.width();
    if (m_mask.size() < std::size_t(width) + 16)
        m_mask.resize(std::size_t(width) + 16);
    std::uint8_t* const mask = m_mask.data();
    const RowCoverage rowCoverage = rowCoverageFor(winding, antialias);
    for (int row = m_top; row < m_bottom; ++row) {
        const std::uint64_t blocks = rowBlocks(row);
        if (!blocks)
            continue;
        rowBlocks(row) = 0;
        std::uint32_t* cells = rowCells(row);
        const int first = std::countr_zero(blocks) << m_blockShift;
        const int end = std::min(width, (64 - std::countl_zero(blocks)) << m_blockShift);
        // A running sum along the row, with no branches to mispredict, which
        // beats hopping from touched cell to touched cell.
        (this->*rowCoverage)(cells, mask, first, end, blocks);
        // What lies right of the clip is only there to be cleared.
        cells[width] = cells[width + 1] = cells[width + 2] = 0;
        // Trim what the edges' soft sides left uncovered.
        int from = first;
        int to = end;
        trimMask(mask, from, to);
        if (from < to)
            span(m_clip.left() + from, m_clip.top() + row, to - from, mask + from);
    }
    forgetCrossings();
    m_top = m_bottom = 0;
}

} // namespace swf::raster
