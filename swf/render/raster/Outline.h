#pragma once

// A path taken to device pixels with its curves cut into straight pieces
// short enough that no piece strays from the curve by more than a fraction
// of a pixel.

#include <cstddef>
#include <vector>

#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QTransform>

namespace swf::raster {

struct Outline {
    struct Run {
        std::size_t first = 0;
        std::size_t count = 0;
        bool closed = false; // ends where it began
    };

    std::vector<QPointF> points;
    std::vector<Run> runs;

    void clear()
    {
        points.clear();
        runs.clear();
    }
};

// Replaces `out` with `path` under `toDevice`. Curves wholly to one side of
// `view` (device pixels) are not cut up: there a straight piece between
// their ends counts the same.
void flatten(const QPainterPath& path, const QTransform& toDevice, const QRectF& view, Outline& out);

// Whether `outline` is a single run whose y turns back only twice on the
// way round (once at its top, once at its bottom): a level line then
// crosses it at most twice, once going each way, so nothing is wound more
// than once and the even-odd rule covers just what the nonzero rule does.
bool windsAtMostOnce(const Outline& outline);

// The box of `path`'s points, control points included, which holds its
// curves; null for an empty path. Read from the elements, not from the
// bounds Qt caches lazily in the path: paths are shared by threads drawing
// at once.
QRectF controlBounds(const QPainterPath& path);

} // namespace swf::raster
