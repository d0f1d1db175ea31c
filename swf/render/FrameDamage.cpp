#include "swf/render/FrameDamage.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "swf/define/Definitions.h"
#include "swf/define/VideoStreamDefinition.h"
#include "swf/render/BlendMode.h"
#include "swf/render/Filter.h"
#include "swf/render/raster/Outline.h"

namespace swf {

namespace {

// As the painter takes them: filters reach no further than this.
constexpr int kMaxFilterMargin = 1024;
// The painter lets lines and anti-aliasing reach this far past bounds.
constexpr double kEdge = 3;
// Pens are never thinner than a pixel nor wider than this.
constexpr double kMaxPenWidth = 8192;
// Text may stray past the bounds its record gives by this share of their
// height (descenders, device fonts a little wider than the embedded ones).
constexpr double kTextSlack = 0.25;

QRectF rectOf(const Rect& rect)
{
    return QRectF(rect.xMin, rect.yMin, rect.width(), rect.height());
}

QMargins clamped(const QMargins& margins)
{
    return QMargins(std::clamp(margins.left(), 0, kMaxFilterMargin), std::clamp(margins.top(), 0, kMaxFilterMargin),
                    std::clamp(margins.right(), 0, kMaxFilterMargin), std::clamp(margins.bottom(), 0, kMaxFilterMargin));
}

// The box of a path's control points, never empty, so that a straight
// line still counts.
QRectF controlBox(const QPainterPath& path)
{
    if (path.elementCount() == 0)
        return {};
    const QRectF box = raster::controlBounds(path);
    return QRectF(box.topLeft(), QSizeF(std::max(box.width(), 1e-9), std::max(box.height(), 1e-9)));
}

QRectF grown(const QRectF& rect, double by)
{
    return rect.adjusted(-by, -by, by, by);
}

bool sameState(const FrameOutline::Entry& a, const FrameOutline::Entry& b)
{
    return a.parentId == b.parentId && a.depth == b.depth && a.character == b.character && a.filters == b.filters && a.text == b.text
        && a.matrix == b.matrix && a.colorTransform == b.colorTransform && a.ratio == b.ratio && a.clipDepth == b.clipDepth
        && a.blendMode == b.blendMode && a.visible == b.visible && a.scalingGrid == b.scalingGrid && a.drawing == b.drawing
        && a.maskId == b.maskId && a.scriptMask == b.scriptMask && a.bounds == b.bounds;
}

std::int64_t areaOf(const QRect& rect)
{
    return rect.isEmpty() ? 0 : std::int64_t(rect.width()) * rect.height();
}

} // namespace

FrameDamage::Extent FrameDamage::extentFrom(const ShapeGeometry& geometry)
{
    Extent extent;
    for (const ShapeLayer& layer : geometry.layers) {
        for (const FillPath& fill : layer.fills)
            if (!fill.path.isEmpty())
                extent.box |= controlBox(fill.path);
        for (const StrokePath& stroke : layer.strokes) {
            if (stroke.path.isEmpty())
                continue;
            extent.box |= controlBox(stroke.path);
            const LineStyle& line = stroke.style;
            double& widest = line.noHScale || line.noVScale ? extent.fixedLine : extent.scalingLine;
            widest = std::max(widest, double(line.width));
            // Square caps reach out by half the width's diagonal, miters
            // by their limit.
            extent.miter = std::max({extent.miter, 1.5, line.join == JoinStyle::Miter ? double(line.miterLimit) : 1.0});
        }
    }
    return extent;
}

const FrameDamage::Extent& FrameDamage::extentOf(std::shared_ptr<const void> owner, const ShapeGeometry& geometry)
{
    const auto found = m_extents.find(&geometry);
    if (found != m_extents.end())
        return found->second.extent;
    return m_extents.emplace(&geometry, Cached {std::move(owner), extentFrom(geometry)}).first->second.extent;
}

// A box on the target, widened by the lines drawn along it.
QRectF FrameDamage::linedBounds(const QTransform& transform, const QRectF& box, double scalingLine, double fixedLine, double miter) const
{
    QRectF device = transform.mapRect(box);
    if (scalingLine > 0 || fixedLine > 0) {
        const double scale = std::sqrt(std::abs(transform.determinant()));
        const double width = std::max(scalingLine * scale, fixedLine * m_setting.stageScale / 20);
        device = grown(device, std::clamp(std::isfinite(width) ? width : kMaxPenWidth, 1.0, kMaxPenWidth) / 2 * miter);
    }
    return device;
}

QRectF FrameDamage::subtree(const RenderList& list, std::uint32_t index, std::uint64_t parentId, const QTransform& parentTransform,
                            const QMargins& reach, FrameOutline& outline)
{
    const RenderNode& node = list.nodes[index];
    const std::size_t at = outline.entries.size();
    {
        FrameOutline::Entry& entry = outline.entries.emplace_back();
        entry.objectId = node.objectId;
        entry.parentId = parentId;
        entry.depth = node.depth;
        entry.character = node.character.get();
        entry.filters = node.filters.get();
        entry.text = node.text;
        entry.drawing = node.drawing;
        // A video's new picture is a new object: its bounds are damaged.
        if (node.picture)
            entry.drawing = node.picture;
        entry.matrix = node.matrix;
        entry.colorTransform = node.colorTransform;
        entry.ratio = node.ratio;
        entry.clipDepth = node.clipDepth;
        entry.blendMode = node.blendMode;
        entry.visible = node.visible;
        entry.scalingGrid = node.scalingGrid.has_value();
        entry.maskId = node.maskIndex == RenderNode::kNoMask ? 0 : list.nodes[node.maskIndex].objectId;
        entry.scriptMask = node.scriptMask;
    }
    const QTransform transform = node.matrix.toTransform() * parentTransform;
    const auto withLines = [&](const QRectF& box, double scalingLine, double fixedLine, double miter) {
        return linedBounds(transform, box, scalingLine, fixedLine, miter);
    };
    QMargins childReach = reach;
    if (node.filters)
        childReach = clamped(childReach + clamped(filterMargins(*node.filters, m_setting.stageScale, m_setting.stageScale)));

    QRectF bounds;
    if (node.drawing) {
        const Extent extent = extentFrom(node.drawing->geometry);
        bounds = withLines(extent.box, extent.scalingLine, extent.fixedLine, extent.miter);
    }
    if (node.character || node.kind == RenderNode::Kind::Container) {
        switch (node.kind) {
        case RenderNode::Kind::Shape: {
            const Character& character = *node.character;
            const Extent& extent = extentOf(node.character, static_cast<const ShapeDefinition&>(character).geometry);
            bounds = withLines(extent.box | rectOf(static_cast<const ShapeDefinition&>(character).bounds), extent.scalingLine,
                               extent.fixedLine, extent.miter);
            break;
        }
        case RenderNode::Kind::MorphShape: {
            // Each point of the shape at a ratio lies between its places at
            // the two ends.
            const auto& morph = static_cast<const MorphShapeDefinition&>(*node.character);
            double widest = 0;
            for (const auto& line : morph.lines)
                widest = std::max({widest, double(line.start.width), double(line.end.width)});
            bounds = withLines(rectOf(morph.startBounds) | rectOf(morph.endBounds), widest, widest, 1.5);
            // Morph geometries come and go with their ratios: not kept.
            if (const auto geometry = morph.cachedGeometryAt(node.ratio)) {
                const Extent extent = extentFrom(*geometry);
                bounds |= withLines(extent.box, extent.scalingLine, extent.fixedLine, extent.miter);
            }
            break;
        }
        case RenderNode::Kind::Bitmap: {
            const QSize size = static_cast<const BitmapDefinition&>(*node.character).claimedSize();
            bounds = transform.mapRect(QRectF(0, 0, size.width() * 20.0, size.height() * 20.0));
            break;
        }
        case RenderNode::Kind::Video:
            bounds = transform.mapRect(rectOf(static_cast<const VideoStreamDefinition&>(*node.character).bounds()));
            break;
        case RenderNode::Kind::StaticText:
        case RenderNode::Kind::EditText: {
            const Character& character = *node.character;
            const Rect& rect = node.kind == RenderNode::Kind::StaticText ? static_cast<const StaticTextDefinition&>(character).text.bounds
                : node.text                                             ? node.text->bounds
                                                                        : static_cast<const EditTextDefinition&>(character).field.bounds;
            const QRectF box = rectOf(rect);
            bounds = transform.mapRect(box.adjusted(0, -box.height() * kTextSlack, 0, box.height() * kTextSlack));
            bounds = grown(bounds, bounds.height() * kTextSlack);
            break;
        }
        case RenderNode::Kind::Container:
            for (std::uint32_t child = index + 1; child < node.end; child = list.nodes[child].end)
                bounds |= subtree(list, child, node.objectId, transform, childReach, outline);
            break;
        }
    }
    if (!bounds.isEmpty() && node.filters)
        bounds = bounds.marginsAdded(clamped(filterMargins(*node.filters, m_setting.stageScale, m_setting.stageScale)));
    if (!bounds.isEmpty())
        bounds = grown(bounds, kEdge);

    QRect device = bounds.isEmpty() || !bounds.isValid() ? QRect() : bounds.marginsAdded(QMarginsF(reach)).toAlignedRect();
    if (node.blendMode && blendModeFromByte(node.blendMode) == BlendMode::Alpha)
        device = QRect(QPoint(0, 0), m_setting.size); // clears the layer it is drawn into, all of it
    outline.entries[at].bounds = device;
    if (node.scalingGrid) {
        // Its shapes are cut and moved apart by what all of them cover: any
        // change among them moves them all, within the sprite's own bounds.
        for (std::size_t inside = at + 1; inside < outline.entries.size(); ++inside)
            outline.entries[inside].bounds = device;
    }
    return bounds;
}

std::shared_ptr<FrameOutline> FrameDamage::outline(const RenderList& list, const OutlineSetting& setting)
{
    // A movie's shapes stay while it plays; another movie's take their place.
    constexpr std::size_t kMaxExtents = 1 << 16;
    if (setting.dictionary != m_extentsOf || m_extents.size() > kMaxExtents) {
        m_extents.clear();
        m_extentsOf = setting.dictionary;
    }
    m_setting = setting;
    auto outline = std::make_shared<FrameOutline>();
    outline->setting = setting;
    outline->entries.reserve(list.nodes.size() + 1);
    if (list.rootDrawing) {
        // What script drew into the main movie counts as one more object.
        FrameOutline::Entry& entry = outline->entries.emplace_back();
        entry.objectId = list.rootId;
        entry.drawing = list.rootDrawing;
        const Extent extent = extentFrom(list.rootDrawing->geometry);
        const QRectF bounds = grown(linedBounds(setting.toTarget, extent.box, extent.scalingLine, extent.fixedLine, extent.miter), kEdge);
        entry.bounds = bounds.isValid() && !bounds.isEmpty() ? bounds.toAlignedRect() : QRect();
    }
    for (std::uint32_t index = 0; index < list.nodes.size(); index = list.nodes[index].end)
        subtree(list, index, 0, setting.toTarget, {}, *outline);
    if (list.focusRect)
        outline->focusRect = grown(setting.toTarget.mapRect(*list.focusRect), kEdge).toAlignedRect();
    return outline;
}

FrameDamage::Damage FrameDamage::between(const FrameOutline& before, const FrameOutline& after, int maxRects)
{
    const QRect target(QPoint(0, 0), after.setting.size);
    Damage damage;
    if (!(before.setting == after.setting) || before.leftOut) {
        damage.whole = true;
        return damage;
    }
    std::vector<QRect> rects;
    const auto add = [&](const QRect& rect) {
        const QRect visible = rect & target;
        if (!visible.isEmpty())
            rects.push_back(visible);
    };
    // Lists are mostly in the same order from frame to frame: walk both,
    // and look objects up by identity only where they part.
    std::vector<bool> matched(before.entries.size(), false);
    std::unordered_map<std::uint64_t, std::size_t> index;
    std::size_t next = 0;
    for (const FrameOutline::Entry& entry : after.entries) {
        std::size_t found = before.entries.size();
        if (next < before.entries.size() && before.entries[next].objectId == entry.objectId) {
            found = next++;
        } else {
            if (index.empty())
                for (std::size_t i = 0; i < before.entries.size(); ++i)
                    index.emplace(before.entries[i].objectId, i);
            if (const auto it = index.find(entry.objectId); it != index.end()) {
                found = it->second;
                next = found + 1;
            }
        }
        if (found == before.entries.size() || matched[found]) {
            add(entry.bounds);
            continue;
        }
        matched[found] = true;
        const FrameOutline::Entry& old = before.entries[found];
        if (!sameState(old, entry)) {
            add(old.bounds);
            add(entry.bounds);
        }
    }
    for (std::size_t i = 0; i < before.entries.size(); ++i)
        if (!matched[i])
            add(before.entries[i].bounds);
    if (before.focusRect != after.focusRect) {
        add(before.focusRect);
        add(after.focusRect);
    }
    damage.rects = coveringRects(rects, target, maxRects);
    return damage;
}

std::vector<QRect> FrameDamage::coveringRects(std::vector<QRect> rects, const QRect& target, int maxRects)
{
    if (rects.empty())
        return rects;
    // Many rectangles are first brought to the tiles they touch, rows of
    // touched tiles becoming one rectangle each.
    constexpr int kTile = 32;
    constexpr std::size_t kManyRects = 64;
    if (rects.size() > kManyRects) {
        const int columns = (target.width() + kTile - 1) / kTile;
        const int rows = (target.height() + kTile - 1) / kTile;
        std::vector<std::uint8_t> touched(std::size_t(columns) * std::size_t(rows), 0);
        for (const QRect& rect : rects)
            for (int row = rect.top() / kTile; row <= rect.bottom() / kTile; ++row)
                std::fill_n(touched.begin() + std::ptrdiff_t(row) * columns + rect.left() / kTile, rect.right() / kTile - rect.left() / kTile + 1,
                            std::uint8_t(1));
        rects.clear();
        for (int row = 0; row < rows; ++row) {
            for (int column = 0; column < columns;) {
                if (!touched[std::size_t(row) * std::size_t(columns) + std::size_t(column)]) {
                    ++column;
                    continue;
                }
                const int first = column;
                while (column < columns && touched[std::size_t(row) * std::size_t(columns) + std::size_t(column)])
                    ++column;
                rects.push_back(QRect(first * kTile, row * kTile, (column - first) * kTile, kTile) & target);
            }
        }
    }
    if (rects.size() > kManyRects) {
        QRect all;
        for (const QRect& rect : rects)
            all |= rect;
        return {all};
    }
    // Then merged two at a time, the pair whose bounding rectangle adds the
    // least area past what the two cover first, while there are too many or
    // a merge adds little: going over the list again for another rectangle
    // costs more than a few pixels drawn twice.
    const auto cost = [](const QRect& a, const QRect& b) { return areaOf(a | b) - areaOf(a) - areaOf(b) + areaOf(a & b); };
    while (rects.size() > 1) {
        std::size_t bestA = 0;
        std::size_t bestB = 0;
        std::int64_t best = -1;
        for (std::size_t a = 0; a < rects.size() && best != 0; ++a) {
            for (std::size_t b = a + 1; b < rects.size(); ++b) {
                const std::int64_t added = cost(rects[a], rects[b]);
                if (best < 0 || added < best) {
                    best = added;
                    bestA = a;
                    bestB = b;
                    if (best == 0)
                        break;
                }
            }
        }
        if (best * 4 > areaOf(rects[bestA] | rects[bestB]) && rects.size() <= std::size_t(maxRects))
            break;
        rects[bestA] |= rects[bestB];
        rects.erase(rects.begin() + std::ptrdiff_t(bestB));
    }
    return rects;
}

} // namespace swf
