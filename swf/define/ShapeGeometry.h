#pragma once

// A shape as it is drawn: for every style, one path in twips. Built once
// from the edge records and kept by the definition.

#include <optional>
#include <vector>

#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include "swf/define/ShapeRecords.h"
#include "swf/define/Styles.h"

namespace swf {

struct FillPath {
    FillStyle style;
    QPainterPath path;
};

struct StrokePath {
    LineStyle style;
    QPainterPath path;
};

// Styles introduced mid-shape draw above everything drawn before them, and
// within one set every fill lies below every line.
struct ShapeLayer {
    std::vector<FillPath> fills;
    std::vector<StrokePath> strokes;
};

// How far a shape draws: its paths' control points, which bound the curves
// through them, and its lines' reach past them. Both are in twips, but a
// line's width grows with a placement's overall scale rather than along
// each axis, so the two are scaled apart.
struct ShapeReach {
    QRectF paths;
    double lines = 0; // the widest line's half width, to its corners
};

struct ShapeGeometry {
    std::vector<ShapeLayer> layers;

    bool isEmpty() const { return layers.empty(); }
    // Everything the fills cover, one path; masks draw with this.
    QPainterPath coverage() const;
    // None when a line is sized by the stage rather than the shape, whose
    // reach only drawing can tell.
    std::optional<ShapeReach> reach() const;
};

// Takes the drawing moves of a shape record stream (absolute twips) and
// sorts them into per-style paths. Fill edges arrive as boundary pieces
// with a style on either side; each piece is turned so its fill lies on the
// same side and the pieces are joined into closed contours, because shapes
// from the authoring tool rarely list a region's outline in one run.
class ShapeBuilder {
public:
    explicit ShapeBuilder(Qt::FillRule rule = Qt::OddEvenFill);

    // New style arrays: everything after this draws above what came before.
    void setStyles(std::vector<FillStyle> fills, std::vector<LineStyle> lines);
    // 1-based indices into the current arrays; 0 is none.
    void setFill0(std::uint32_t index) { m_fill0 = index; }
    void setFill1(std::uint32_t index) { m_fill1 = index; }
    void setLine(std::uint32_t index) { m_line = index; }

    void moveTo(QPointF point) { m_pen = point; }
    void lineTo(QPointF point);
    void curveTo(QPointF control, QPointF anchor);

    ShapeGeometry finish();

private:
    struct Edge {
        QPointF from;
        QPointF control;
        QPointF to;
        bool curved = false;
    };

    void addEdge(const Edge& edge);
    void closeLayer();
    QPainterPath joinFill(const std::vector<Edge>& edges) const;
    static QPainterPath strokeOf(const std::vector<Edge>& edges, bool close);

    Qt::FillRule m_rule;
    std::vector<FillStyle> m_fillStyles;
    std::vector<LineStyle> m_lineStyles;
    std::vector<std::vector<Edge>> m_fillEdges;
    std::vector<std::vector<Edge>> m_lineEdges;
    std::uint32_t m_fill0 = 0;
    std::uint32_t m_fill1 = 0;
    std::uint32_t m_line = 0;
    QPointF m_pen;
    ShapeGeometry m_geometry;
};

// The geometry of a stored shape: its style arrays and records replayed
// through a ShapeBuilder.
ShapeGeometry buildShapeGeometry(const ShapeWithStyle& shape, Qt::FillRule rule = Qt::OddEvenFill);

} // namespace swf
