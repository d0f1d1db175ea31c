#pragma once

// A path taken to device pixels with its curves cut into straight pieces
// short enough that no piece strays from the curve by more than a fraction
// of a pixel.

#include <cstddef>
#include <vector>

#include <QPainterPath>
#include <QPointF>
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

// Replaces `out` with `path` under `toDevice`.
void flatten(const QPainterPath& path, const QTransform& toDevice, Outline& out);

} // namespace swf::raster
