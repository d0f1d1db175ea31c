#pragma once

// Coverage of lines with round joins and round ends, worked out from each
// pixel's place relative to the line rather than from the outline of the
// area the line covers. Along a piece a pixel is covered as by two straight
// edges half the line's width either side, which has a closed form at any
// angle; past a piece's ends, as by one edge at that distance from the end.
// Where pieces meet, each pixel takes the piece that covers more of it.
// Each piece costs only the few pixels either side of it in each row it
// reaches, where an outline of the covered area crosses every row four
// times and is summed all along it.

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

#include <QPointF>
#include <QRect>

#include "swf/render/raster/KeptRows.h"
#include "swf/render/raster/MaskTrim.h"

namespace swf::raster {

class LineCoverage {
public:
    // Everything added until the next sweep is cut to `clip`; of its rows
    // only those from `firstRow` up to `endRow` (device rows) are kept.
    void begin(const QRect& clip, int firstRow = INT_MIN, int endRow = INT_MAX);

    // A line `width` pixels wide through the points, back to the first
    // when `closed`. A lone point is a dot as wide as the line.
    void addLine(const QPointF* points, std::size_t count, bool closed, double width);

    // Calls `span(x, y, length, mask)` for every stretch of covered pixels,
    // rows from top to bottom, `mask[i]` being the coverage of pixel x + i
    // (0 to 255), then leaves the store cleared for the next line. Pixels
    // are in or out by whether half of them is covered without `antialias`.
    template <typename Span>
    void sweep(bool antialias, Span&& span);

private:
    void addPiece(QPointF a, QPointF b, float half);
    void clear();

    std::uint8_t* rowBytes(int row) { return m_bytes.data() + std::ptrdiff_t(row - m_rowBase) * m_stride; }

    QRect m_clip;
    int m_stride = 0;
    int m_rowBase = 0;
    int m_rowEnd = 0;
    int m_top = 0;
    int m_bottom = 0;
    std::vector<std::uint8_t> m_bytes;
    // For every row, one bit per block of 2^m_blockShift bytes a piece
    // wrote to; at most 64 blocks a row.
    std::vector<std::uint64_t> m_blocks;
    int m_blockShift = 3;
};

template <typename Span>
void LineCoverage::sweep(bool antialias, Span&& span)
{
    const int width = m_clip.width();
    for (int row = m_top; row < m_bottom; ++row) {
        std::uint64_t blocks = m_blocks[std::size_t(row - m_rowBase)];
        if (!blocks)
            continue;
        m_blocks[std::size_t(row - m_rowBase)] = 0;
        std::uint8_t* bytes = rowBytes(row);
        // Each run of blocks written to is a stretch of its own: a line
        // round a shape leaves its middle alone.
        while (blocks) {
            const int firstBlock = std::countr_zero(blocks);
            const int endBlock = firstBlock + std::countr_one(blocks >> firstBlock);
            blocks = endBlock >= 64 ? 0 : blocks & (~std::uint64_t(0) << endBlock);
            const int runFirst = firstBlock << m_blockShift;
            const int runEnd = endBlock << m_blockShift;
            int from = runFirst;
            int to = std::min(width, runEnd);
            if (!antialias)
                for (int x = from; x < to; ++x)
                    bytes[x] = bytes[x] >= 128 ? 255 : 0;
            trimMask(bytes, from, to);
            if (from < to)
                span(m_clip.left() + from, m_clip.top() + row, to - from, bytes + from);
            // Whole blocks, eight bytes a store: rows are a whole number of
            // blocks long.
            for (int x = runFirst; x < runEnd; x += 8)
                std::memset(bytes + x, 0, 8);
        }
    }
    m_top = m_bottom = m_rowBase;
}

} // namespace swf::raster
