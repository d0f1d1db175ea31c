#include "swf/define/ShapeGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <unordered_map>

namespace swf {

namespace {

// Edge ends meet when they agree to a sixty-fourth of a twip: exact for
// stored shapes, forgiving of rounding in interpolated morphs.
std::uint64_t pointKey(QPointF point)
{
    const auto x = std::uint32_t(std::int32_t(std::llround(point.x() * 64)));
    const auto y = std::uint32_t(std::int32_t(std::llround(point.y() * 64)));
    return (std::uint64_t(x) << 32) | y;
}

} // namespace

QPainterPath ShapeGeometry::coverage() const
{
    QPainterPath all;
    all.setFillRule(Qt::WindingFill);
    for (const ShapeLayer& layer : layers) {
        for (const FillPath& fill : layer.fills)
            all.addPath(fill.path.simplified());
    }
    return all;
}

std::optional<ShapeReach> ShapeGeometry::reach() const
{
    double left = HUGE_VAL;
    double top = HUGE_VAL;
    double right = -HUGE_VAL;
    double bottom = -HUGE_VAL;
    const auto add = [&](const QPainterPath& path) {
        if (path.isEmpty())
            return;
        const QRectF box = path.controlPointRect();
        left = std::min(left, box.left());
        top = std::min(top, box.top());
        right = std::max(right, box.right());
        bottom = std::max(bottom, box.bottom());
    };
    ShapeReach reach;
    for (const ShapeLayer& layer : layers) {
        for (const FillPath& fill : layer.fills)
            add(fill.path);
        for (const StrokePath& stroke : layer.strokes) {
            const LineStyle& line = stroke.style;
            if (line.noHScale || line.noVScale)
                return std::nullopt;
            add(stroke.path);
            // A square cap's corner lies half a width out each way; a mitre
            // runs out to its limit before it is cut, counted here in whole
            // widths as Qt's pens count it, the more cautious reading.
            const double corner = std::max(std::numbers::sqrt2, line.join == JoinStyle::Miter ? 2 * line.miterLimit : 0.0);
            reach.lines = std::max(reach.lines, line.width / 2.0 * corner);
        }
    }
    if (left <= right && top <= bottom)
        reach.paths = QRectF(QPointF(left, top), QPointF(right, bottom));
    return reach;
}

ShapeBuilder::ShapeBuilder(Qt::FillRule rule)
    : m_rule(rule)
{
}

void ShapeBuilder::setStyles(std::vector<FillStyle> fills, std::vector<LineStyle> lines)
{
    closeLayer();
    m_fillStyles = std::move(fills);
    m_lineStyles = std::move(lines);
    m_fillEdges.assign(m_fillStyles.size(), {});
    m_lineEdges.assign(m_lineStyles.size(), {});
    m_fill0 = m_fill1 = m_line = 0;
}

void ShapeBuilder::lineTo(QPointF point)
{
    addEdge({m_pen, m_pen, point, false});
    m_pen = point;
}

void ShapeBuilder::curveTo(QPointF control, QPointF anchor)
{
    addEdge({m_pen, control, anchor, true});
    m_pen = anchor;
}

void ShapeBuilder::addEdge(const Edge& edge)
{
    // The fill on the right (fill0) is on the left once the edge is turned round.
    if (m_fill0 >= 1 && m_fill0 <= m_fillEdges.size())
        m_fillEdges[m_fill0 - 1].push_back({edge.to, edge.control, edge.from, edge.curved});
    if (m_fill1 >= 1 && m_fill1 <= m_fillEdges.size())
        m_fillEdges[m_fill1 - 1].push_back(edge);
    if (m_line >= 1 && m_line <= m_lineEdges.size())
        m_lineEdges[m_line - 1].push_back(edge);
}

void ShapeBuilder::closeLayer()
{
    ShapeLayer layer;
    for (std::size_t i = 0; i < m_fillEdges.size(); ++i) {
        if (!m_fillEdges[i].empty())
            layer.fills.push_back({m_fillStyles[i], joinFill(m_fillEdges[i])});
    }
    for (std::size_t i = 0; i < m_lineEdges.size(); ++i) {
        if (!m_lineEdges[i].empty())
            layer.strokes.push_back({m_lineStyles[i], strokeOf(m_lineEdges[i], !m_lineStyles[i].noClose)});
    }
    if (!layer.fills.empty() || !layer.strokes.empty())
        m_geometry.layers.push_back(std::move(layer));
    m_fillEdges.assign(m_fillStyles.size(), {});
    m_lineEdges.assign(m_lineStyles.size(), {});
}

QPainterPath ShapeBuilder::joinFill(const std::vector<Edge>& edges) const
{
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> startingAt;
    for (std::size_t i = edges.size(); i-- > 0;)
        startingAt[pointKey(edges[i].from)].push_back(i);
    std::vector<bool> used(edges.size(), false);

    const auto takeFrom = [&](std::uint64_t key) -> std::optional<std::size_t> {
        const auto found = startingAt.find(key);
        if (found == startingAt.end())
            return std::nullopt;
        auto& candidates = found->second;
        while (!candidates.empty()) {
            const std::size_t index = candidates.back();
            candidates.pop_back();
            if (!used[index])
                return index;
        }
        return std::nullopt;
    };

    QPainterPath path;
    path.setFillRule(m_rule);
    for (std::size_t first = 0; first < edges.size(); ++first) {
        if (used[first])
            continue;
        const std::uint64_t startKey = pointKey(edges[first].from);
        path.moveTo(edges[first].from);
        std::optional<std::size_t> next = first;
        while (next) {
            used[*next] = true;
            const Edge& edge = edges[*next];
            if (edge.curved)
                path.quadTo(edge.control, edge.to);
            else
                path.lineTo(edge.to);
            const std::uint64_t endKey = pointKey(edge.to);
            if (endKey == startKey)
                break;
            next = takeFrom(endKey);
        }
        path.closeSubpath();
    }
    return path;
}

QPainterPath ShapeBuilder::strokeOf(const std::vector<Edge>& edges, bool close)
{
    QPainterPath path;
    QPointF subpathStart;
    QPointF last;
    bool open = false;
    const auto endSubpath = [&] {
        // A run that comes back to where it began is an outline, joined all
        // round rather than capped at one corner.
        if (open && close && pointKey(last) == pointKey(subpathStart))
            path.closeSubpath();
        open = false;
    };
    for (const Edge& edge : edges) {
        if (!open || pointKey(edge.from) != pointKey(last)) {
            endSubpath();
            path.moveTo(edge.from);
            subpathStart = edge.from;
            open = true;
        }
        if (edge.curved)
            path.quadTo(edge.control, edge.to);
        else
            path.lineTo(edge.to);
        last = edge.to;
    }
    endSubpath();
    return path;
}

ShapeGeometry buildShapeGeometry(const ShapeWithStyle& shape, Qt::FillRule rule)
{
    ShapeBuilder builder(rule);
    builder.setStyles(shape.fillStyles, shape.lineStyles);
    QPointF pen;
    for (const ShapeRecord& record : shape.records) {
        if (const auto* change = std::get_if<StyleChange>(&record)) {
            if (change->newStyles)
                builder.setStyles(change->fillStyles, change->lineStyles);
            if (change->moveTo) {
                pen = QPointF(change->moveTo->first, change->moveTo->second);
                builder.moveTo(pen);
            }
            if (change->fill0)
                builder.setFill0(*change->fill0);
            if (change->fill1)
                builder.setFill1(*change->fill1);
            if (change->line)
                builder.setLine(*change->line);
        } else if (const auto* line = std::get_if<StraightEdge>(&record)) {
            pen += QPointF(line->dx, line->dy);
            builder.lineTo(pen);
        } else if (const auto* curve = std::get_if<CurvedEdge>(&record)) {
            const QPointF control = pen + QPointF(curve->controlDx, curve->controlDy);
            pen = control + QPointF(curve->anchorDx, curve->anchorDy);
            builder.curveTo(control, pen);
        }
    }
    return builder.finish();
}

ShapeGeometry ShapeBuilder::finish()
{
    closeLayer();
    return std::move(m_geometry);
}

} // namespace swf
