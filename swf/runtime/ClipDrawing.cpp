#include "swf/runtime/ClipDrawing.h"

#include <algorithm>

namespace swf {

void ClipDrawing::clear()
{
    // Everything goes, the line style and the pen's place with it.
    *this = ClipDrawing();
}

void ClipDrawing::setLineStyle(std::optional<LineStyle> style)
{
    m_line = std::move(style);
    m_lineStarted = false;
}

void ClipDrawing::setLineFill(const FillStyle& fill)
{
    if (!m_line)
        return;
    m_line->fill = fill;
    m_lineStarted = false;
}

void ClipDrawing::beginFill(std::optional<FillStyle> fill)
{
    endFill();
    if (!fill)
        return;
    ShapeLayer& added = m_layers.emplace_back();
    added.fills.push_back({std::move(*fill), QPainterPath(m_pen)});
    m_lineStarted = false;
    m_filling = true;
    m_contourStart = m_pen;
    touched();
}

void ClipDrawing::endFill()
{
    if (!m_filling)
        return;
    closeContour(true);
    m_filling = false;
}

void ClipDrawing::closeContour(bool stroked)
{
    if (m_pen == m_contourStart)
        return;
    if (stroked) {
        lineTo(m_contourStart);
        return;
    }
    if (spend()) {
        m_layers.back().fills.front().path.lineTo(m_contourStart);
        touched();
    }
}

void ClipDrawing::moveTo(QPointF point)
{
    if (m_filling) {
        // A fill's outline is closed before the pen leaves it.
        closeContour(false);
        m_layers.back().fills.front().path.moveTo(point);
        m_contourStart = point;
    }
    m_pen = point;
}

void ClipDrawing::lineTo(QPointF point)
{
    if (!spend())
        return;
    cover(m_pen);
    cover(point);
    if (m_filling)
        m_layers.back().fills.front().path.lineTo(point);
    if (StrokePath* line = stroke())
        line->path.lineTo(point);
    m_pen = point;
    touched();
}

void ClipDrawing::curveTo(QPointF control, QPointF anchor)
{
    if (!spend())
        return;
    cover(m_pen);
    cover(control);
    cover(anchor);
    if (m_filling)
        m_layers.back().fills.front().path.quadTo(control, anchor);
    if (StrokePath* line = stroke())
        line->path.quadTo(control, anchor);
    m_pen = anchor;
    touched();
}

ShapeLayer& ClipDrawing::layer()
{
    if (m_layers.empty())
        m_layers.emplace_back();
    return m_layers.back();
}

// The stroke the pen draws into now, its subpath starting at the pen.
StrokePath* ClipDrawing::stroke()
{
    if (!m_line)
        return nullptr;
    ShapeLayer& current = layer();
    if (!m_lineStarted) {
        current.strokes.push_back({*m_line, QPainterPath()});
        m_lineStarted = true;
    }
    QPainterPath& path = current.strokes.back().path;
    if (path.elementCount() == 0 || path.currentPosition() != m_pen)
        path.moveTo(m_pen);
    return &current.strokes.back();
}

void ClipDrawing::cover(QPointF point)
{
    if (!m_edgeBounds)
        m_edgeBounds = QRectF(point, point);
    m_edgeBounds->setLeft(std::min(m_edgeBounds->left(), point.x()));
    m_edgeBounds->setRight(std::max(m_edgeBounds->right(), point.x()));
    m_edgeBounds->setTop(std::min(m_edgeBounds->top(), point.y()));
    m_edgeBounds->setBottom(std::max(m_edgeBounds->bottom(), point.y()));
}

bool ClipDrawing::spend()
{
    if (m_edges >= kMaxEdges)
        return false;
    ++m_edges;
    return true;
}

std::shared_ptr<const DrawnShape> ClipDrawing::shape() const
{
    if (m_shape || m_layers.empty())
        return m_shape;
    auto made = std::make_shared<DrawnShape>();
    made->geometry.layers = m_layers;
    for (const ShapeLayer& each : m_layers) {
        for (const FillPath& fill : each.fills)
            if (fill.path.elementCount() > 1)
                made->bounds |= fill.path.controlPointRect();
        // The reference player pads a drawn line's bounds by its whole
        // width on every side, not the half the ink takes.
        for (const StrokePath& line : each.strokes) {
            const double pad = line.style.width;
            made->bounds |= line.path.controlPointRect().adjusted(-pad, -pad, pad, pad);
        }
    }
    m_shape = std::move(made);
    return m_shape;
}

} // namespace swf
