#pragma once

// What script draws into a movie clip with moveTo, lineTo, curveTo and the
// fill and line styles: kept as the same geometry stored shapes draw with,
// shown below the clip's children. Each fill begun starts a new layer, so
// that it covers the lines drawn before it, as in the reference player.

#include <cstddef>
#include <memory>
#include <optional>

#include <QPointF>
#include <QRectF>

#include "swf/define/ShapeGeometry.h"

namespace swf {

// A drawing as frames draw it: shared with every frame drawn from it and
// never changed once made.
struct DrawnShape {
    ShapeGeometry geometry;
    // Twips, widened by half the widest line.
    QRectF bounds;
};

class ClipDrawing {
public:
    // A script drawing without end stops adding edges here; real drawings
    // stay far below.
    static constexpr std::size_t kMaxEdges = 1 << 20;

    void clear();
    // Lines drawn from now on; none draws no line.
    void setLineStyle(std::optional<LineStyle> style);
    // The current line's colour replaced by a gradient; no line, no effect.
    void setLineFill(const FillStyle& fill);
    // Closes any fill still open and fills what is drawn from the pen on;
    // none leaves what follows unfilled.
    void beginFill(std::optional<FillStyle> fill);
    // Closes the fill back to where it started, with a line where a line
    // style is set.
    void endFill();

    // Twips, in the clip's own space.
    void moveTo(QPointF point);
    void lineTo(QPointF point);
    void curveTo(QPointF control, QPointF anchor);

    bool isEmpty() const { return m_layers.empty(); }
    // What every edge drawn covers, twips, filled or stroked or neither,
    // as the clip's size counts it; none before the first edge.
    const std::optional<QRectF>& edgeBounds() const { return m_edgeBounds; }
    QPointF pen() const { return m_pen; }
    // The drawing so far, made again only after a change; null when empty.
    std::shared_ptr<const DrawnShape> shape() const;

private:
    ShapeLayer& layer();
    StrokePath* stroke();
    void closeContour(bool stroked);
    bool spend();
    void touched() { m_shape.reset(); }
    void cover(QPointF point);

    std::vector<ShapeLayer> m_layers;
    std::optional<LineStyle> m_line;
    bool m_lineStarted = false; // the current line has its StrokePath
    bool m_filling = false;     // the last layer's first fill is open
    QPointF m_pen;
    QPointF m_contourStart;
    std::size_t m_edges = 0;
    std::optional<QRectF> m_edgeBounds;
    mutable std::shared_ptr<const DrawnShape> m_shape;
};

} // namespace swf
