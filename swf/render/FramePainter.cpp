#include "swf/render/FramePainter.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "swf/define/VideoStreamDefinition.h"
#include "swf/render/BlendMode.h"
#include "swf/render/Filter.h"
#include "swf/render/FocusRect.h"
#include "swf/render/ShapePainter.h"
#include "swf/render/TextPainter.h"

namespace swf {

namespace {

// Layers alive at once, masks and groups together. Past this a movie that
// nests masks without end draws unmasked rather than taking a target-sized
// image per level.
constexpr int kMaxLayers = 16;
// Filters asking for more room than this around a layer get no more, and
// nothing further than this outside the target is drawn into a layer.
constexpr int kMaxFilterMargin = 1024;
// What one frame may spend on filters, in pixels a filter pass goes over
// for each pixel of the target (at least enough for a small target to show
// a blur), and on working out morph shapes at ratios not cached, in edges.
// Past either the frame is drawn without what did not fit: well under a
// second of work, where real movies spend a few milliseconds.
constexpr double kFilterWorkPerTargetPixel = 200;
constexpr double kMinFilterWorkPerFrame = 16e6;
constexpr std::size_t kMorphEdgesPerFrame = 500'000;
// Pixels of bitmaps not at hand that one frame may decode.
constexpr std::int64_t kDecodedPixelsPerFrame = std::int64_t(64) << 20;

// Pixel passes the filters take over a layer of `area` pixels.
double filterWork(const std::vector<Filter>& filters, double area)
{
    double work = 0;
    for (const Filter& filter : filters) {
        switch (filter.type) {
        case FilterType::ColorMatrix:
            work += area;
            break;
        case FilterType::Convolution:
            work += area * std::max(1, filter.matrixX * filter.matrixY);
            break;
        default:
            // A blur each way per pass, and the composite after.
            work += area * (2.0 * std::max(1, filter.passes) + 1);
            break;
        }
    }
    return work;
}

QMargins clampedMargins(const QMargins& margins)
{
    return QMargins(std::clamp(margins.left(), 0, kMaxFilterMargin), std::clamp(margins.top(), 0, kMaxFilterMargin),
                    std::clamp(margins.right(), 0, kMaxFilterMargin), std::clamp(margins.bottom(), 0, kMaxFilterMargin));
}

QRectF rectOf(const Rect& rect)
{
    return QRectF(rect.xMin, rect.yMin, rect.width(), rect.height());
}

// Masks only need where something is: every colour opaque black.
constexpr ColorTransform kCoverageColor {0, 0, 0, 0, 0, 0, 0, 255};

} // namespace

FramePainter::FramePainter(QImage& target, const RenderList& list, const RenderOptions& options, double stageScale,
                           RenderScratch& scratch)
    : m_target(target)
    , m_list(list)
    , m_options(options)
    , m_stageScale(stageScale)
    , m_scratch(scratch)
{
    m_bitmaps = bitmapsOf({});
    const Dictionary* dictionary = list.dictionary.get();
    m_fonts = [dictionary](std::uint16_t id) { return dictionary ? dictionary->font(id) : nullptr; };
}

BitmapLookup FramePainter::bitmapsOf(const RenderNode& node)
{
    if (!node.dictionary && m_bitmaps)
        return m_bitmaps;
    const Dictionary* dictionary = node.dictionary ? node.dictionary.get() : m_list.dictionary.get();
    return [this, dictionary](std::uint16_t id) -> std::shared_ptr<const BitmapDefinition> {
        auto found = dictionary ? dictionary->find(id) : nullptr;
        if (!found || found->kind() != Character::Kind::Bitmap)
            return nullptr;
        const auto& bitmap = static_cast<const BitmapDefinition&>(*found);
        return affordable(bitmap) ? std::static_pointer_cast<const BitmapDefinition>(std::move(found)) : nullptr;
    };
}

void FramePainter::setClip(const QRect& clip, std::mutex* sharedDrawing)
{
    m_clip = clip.isNull() ? QRect() : (clip & m_target.rect());
    if (!clip.isNull() && m_clip.isNull())
        m_clip = QRect(0, 0, 1, 0); // nothing at all, yet not "no clip"
    m_sharedDrawing = sharedDrawing;
}

std::unique_lock<std::mutex> FramePainter::lockShared() const
{
    return m_sharedDrawing ? std::unique_lock(*m_sharedDrawing) : std::unique_lock<std::mutex>();
}

ShapePaintOptions FramePainter::shapeOptions(bool coverage) const
{
    return {m_options.quality >= Quality::High, coverage, m_stageScale / 20, m_clip, m_sharedDrawing};
}

void FramePainter::paint(const QTransform& toDevice)
{
    m_scratch.edgesThisFrame = 0;
    m_scratch.edgesSkipped = false;
    m_toDevice = toDevice;
    QPainter painter(&m_target);
    prepare(painter);
    if (m_list.rootDrawing)
        paintShape(painter, m_list.rootDrawing->geometry, toDevice, {}, m_bitmaps, shapeOptions(false), m_scratch);
    paintRange(m_target, painter, 0, std::uint32_t(m_list.nodes.size()), toDevice, {}, false);
    if (m_list.focusRect)
        paintFocusRect(painter, *m_list.focusRect, toDevice);
    painter.end();
    if (m_filtersSkipped)
        report("a frame's filters cost more than a frame may spend; some were left out", m_scratch.reportedFilterBudget);
    if (m_morphsSkipped)
        report("a frame's morph shapes cost more than a frame may spend; some were left out", m_scratch.reportedMorphBudget);
    if (m_bitmapsSkipped)
        report("a frame's bitmaps cost more to decode than a frame may spend; some were left out", m_scratch.reportedBitmapBudget);
    if (m_scratch.edgesSkipped)
        report("a frame's shapes have more edges than a frame may draw; some were left out", m_scratch.reportedEdgeBudget);
}

// Whether the bitmap's pixels are at hand or this frame may still decode
// them.
bool FramePainter::affordable(const BitmapDefinition& bitmap)
{
    if (bitmap.hasPixels())
        return true;
    const QSize size = bitmap.claimedSize();
    const std::int64_t pixels = std::int64_t(size.width()) * size.height();
    if (m_decodedPixels > 0 && m_decodedPixels + pixels > kDecodedPixelsPerFrame) {
        m_bitmapsSkipped = true;
        return false;
    }
    m_decodedPixels += pixels;
    return true;
}

void FramePainter::report(const std::string& message, bool& reported)
{
    if (!m_reports || reported || !m_list.diagnostics)
        return;
    reported = true;
    m_list.diagnostics->report(0, -1, message);
}

// The morph's shape at the node's ratio, unless working it out would take
// the frame past what it may spend.
std::shared_ptr<const ShapeGeometry> FramePainter::morphGeometry(const RenderNode& node)
{
    const auto& morph = static_cast<const MorphShapeDefinition&>(*node.character);
    if (auto cached = morph.cachedGeometryAt(node.ratio))
        return cached;
    const std::size_t edges = morph.edgeCount();
    if (m_morphEdges + edges > kMorphEdgesPerFrame && m_morphEdges > 0) {
        m_morphsSkipped = true;
        return nullptr;
    }
    m_morphEdges += edges;
    return morph.geometryAt(node.ratio);
}

// Where the node's pixels can land under `transform`, its filters' reach
// included; empty when it draws nothing.
QRectF FramePainter::deviceBounds(std::uint32_t index, const QTransform& transform) const
{
    const RenderNode& node = m_list.nodes[index];
    if (!node.character && !node.drawing)
        return {};
    QRectF bounds;
    if (node.drawing)
        bounds = transform.mapRect(node.drawing->bounds.adjusted(-1, -1, 1, 1));
    switch (node.character ? node.kind : RenderNode::Kind::Container) {
    case RenderNode::Kind::Shape:
        bounds |= transform.mapRect(rectOf(static_cast<const ShapeDefinition&>(*node.character).bounds));
        break;
    case RenderNode::Kind::MorphShape: {
        const auto& morph = static_cast<const MorphShapeDefinition&>(*node.character);
        bounds = transform.mapRect(rectOf(morph.startBounds) | rectOf(morph.endBounds));
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
        bounds = transform.mapRect(rectOf(static_cast<const StaticTextDefinition&>(*node.character).text.bounds));
        break;
    case RenderNode::Kind::EditText:
        bounds = transform.mapRect(rectOf(node.text ? node.text->bounds : static_cast<const EditTextDefinition&>(*node.character).field.bounds));
        break;
    case RenderNode::Kind::Container:
        for (std::uint32_t at = index + 1; at < node.end; at = m_list.nodes[at].end)
            bounds |= deviceBounds(at, m_list.nodes[at].matrix.toTransform() * transform);
        break;
    }
    if (bounds.isEmpty())
        return {};
    // Lines that do not scale, and antialiasing, reach a little past.
    bounds.adjust(-2, -2, 2, 2);
    if (node.filters)
        bounds = bounds.marginsAdded(clampedMargins(filterMargins(*node.filters, m_stageScale, m_stageScale)));
    return bounds;
}

// Whether a shape reaching `reach` under `transform` lands wholly outside
// the clip, as most of a frame does for each band drawn on its own. Unsure
// is no: the shape's own paths are then cut to the clip as ever.
bool FramePainter::outsideClip(const std::optional<ShapeReach>& reach, const QTransform& transform) const
{
    if (m_clip.isNull() || !reach)
        return false;
    const QRectF paths = transform.mapRect(reach->paths);
    // Lines are as wide as the placement's overall scale makes them; one
    // too thin is drawn a pixel wide, and antialiasing reaches a pixel
    // further.
    const double out = reach->lines * std::sqrt(std::abs(transform.determinant())) + 3;
    const QRectF device = paths.adjusted(-out, -out, out, out);
    if (!std::isfinite(device.left()) || !std::isfinite(device.top()) || !std::isfinite(device.right()) || !std::isfinite(device.bottom()))
        return false;
    return !device.intersects(QRectF(m_clip));
}

void FramePainter::prepare(QPainter& painter) const
{
    painter.setRenderHint(QPainter::Antialiasing, m_options.quality != Quality::Low);
    if (!m_clip.isNull())
        painter.setClipRect(m_clip);
}

namespace {

// Where a coordinate of a nine-slice sprite goes so that, once the sprite's
// own scale is applied, the borders keep their size and the centre takes up
// the rest.
struct GridAxis {
    double low;      // bounds
    double high;
    double gridLow;  // the centre slice
    double gridHigh;
    double scale;    // the sprite's own scale on this axis

    double map(double v) const
    {
        const double newGridLow = low + (gridLow - low) / scale;
        const double newGridHigh = high - (high - gridHigh) / scale;
        if (v <= gridLow)
            return low + (v - low) / scale;
        if (v >= gridHigh)
            return high - (high - v) / scale;
        return newGridLow + (v - gridLow) * (newGridHigh - newGridLow) / (gridHigh - gridLow);
    }
};

QPainterPath mapPath(const QPainterPath& path, const QTransform& toSprite, const GridAxis& x, const GridAxis& y)
{
    QPainterPath mapped = toSprite.map(path);
    for (int i = 0; i < mapped.elementCount(); ++i) {
        const QPainterPath::Element element = mapped.elementAt(i);
        mapped.setElementPositionAt(i, x.map(element.x), y.map(element.y));
    }
    return mapped;
}

} // namespace

// DefineScalingGrid: the sprite's shapes are cut in nine and the slices
// moved apart, instead of the whole being stretched. Only direct child
// shapes take part, and only under a matrix without rotation, as in the
// reference player.
bool FramePainter::paintScaledGrid(QPainter& painter, std::uint32_t index, const QTransform& transform, const ColorTransform& cxform,
                                   bool coverage)
{
    const RenderNode& object = m_list.nodes[index];
    const std::optional<ScalingGrid>& grid = object.scalingGrid;
    const Matrix& own = object.matrix;
    if (!grid || own.b != 0 || own.c != 0 || own.a == 0 || own.d == 0 || (own.a == 1 && own.d == 1))
        return false;
    const Rect& centre = grid->center;
    if (centre.width() <= 0 || centre.height() <= 0)
        return false;

    struct Part {
        const RenderNode* child;
        // Shared: a morph's cache may let go of a geometry while another
        // part is being worked out.
        std::shared_ptr<const ShapeGeometry> geometry;
    };
    std::vector<Part> parts;
    QRectF bounds;
    for (std::uint32_t at = index + 1; at < object.end; at = m_list.nodes[at].end) {
        const RenderNode& child = m_list.nodes[at];
        if (!child.character || !child.visible || child.clipDepth)
            continue;
        std::shared_ptr<const ShapeGeometry> geometry;
        if (child.kind == RenderNode::Kind::Shape)
            geometry = std::shared_ptr<const ShapeGeometry>(child.character, &static_cast<const ShapeDefinition&>(*child.character).geometry);
        else if (child.kind == RenderNode::Kind::MorphShape && !(geometry = morphGeometry(child)))
            continue; // over the frame's budget
        if (!geometry)
            return false; // anything but shapes: draw the sprite plainly
        for (const ShapeLayer& layer : geometry->layers) {
            for (const FillPath& fill : layer.fills)
                bounds |= child.matrix.toTransform().map(fill.path).boundingRect();
            for (const StrokePath& stroke : layer.strokes)
                bounds |= child.matrix.toTransform().map(stroke.path).boundingRect();
        }
        parts.push_back({&child, std::move(geometry)});
    }
    if (parts.empty() || bounds.isEmpty())
        return false;
    const GridAxis x {bounds.left(), bounds.right(), double(centre.xMin), double(centre.xMax), std::abs(own.a)};
    const GridAxis y {bounds.top(), bounds.bottom(), double(centre.yMin), double(centre.yMax), std::abs(own.d)};

    for (const Part& part : parts) {
        const Matrix& childMatrix = part.child->matrix;
        ShapeGeometry sliced = *part.geometry;
        for (ShapeLayer& layer : sliced.layers) {
            for (FillPath& fill : layer.fills) {
                fill.path = mapPath(fill.path, childMatrix.toTransform(), x, y);
                fill.style.matrix = childMatrix * fill.style.matrix;
            }
            for (StrokePath& stroke : layer.strokes) {
                stroke.path = mapPath(stroke.path, childMatrix.toTransform(), x, y);
                if (stroke.style.fill)
                    stroke.style.fill->matrix = childMatrix * stroke.style.fill->matrix;
            }
        }
        const ColorTransform childCxform = cxform * part.child->colorTransform;
        paintShape(painter, sliced, transform, childCxform, m_bitmaps, shapeOptions(coverage), m_scratch);
    }
    return true;
}

QImage FramePainter::blankLayer(QSize size) const
{
    QImage layer(size, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    return layer;
}

// Masks work as a stack: a mask drawn while others are active only
// covers where they do, and the objects up to its clip depth are drawn
// through it. Objects under the same mask share one layer.
void FramePainter::paintRange(QImage& surface, QPainter& painter, std::uint32_t first, std::uint32_t last, const QTransform& transform,
                              const ColorTransform& cxform, bool coverage)
{
    struct ActiveMask {
        int clipDepth;
        QImage coverage;
    };
    std::vector<ActiveMask> masks;
    std::optional<QImage> masked; // objects drawn under masks.back()

    const auto flush = [&] {
        if (!masked)
            return;
        --m_layers;
        {
            QPainter combine(&*masked);
            if (!m_clip.isNull())
                combine.setClipRect(m_clip);
            combine.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            combine.drawImage(0, 0, masks.back().coverage);
        }
        painter.resetTransform();
        painter.drawImage(0, 0, *masked);
        masked.reset();
    };

    for (std::uint32_t index = first; index < last; index = m_list.nodes[index].end) {
        const RenderNode& object = m_list.nodes[index];
        if (object.scriptMask)
            continue; // drawn only as the mask of the object it serves
        const int depth = object.depth;
        while (!masks.empty() && masks.back().clipDepth < depth) {
            flush();
            masks.pop_back();
            --m_layers;
        }
        const int clipDepth = object.clipDepth;
        if (clipDepth > 0) {
            // Within a mask's own drawing, masks nested in it add nothing.
            if (coverage || clipDepth <= depth || m_layers >= kMaxLayers)
                continue;
            flush();
            ++m_layers;
            QImage layer = blankLayer(surface.size());
            {
                QPainter maskPainter(&layer);
                prepare(maskPainter);
                paintObject(layer, maskPainter, index, transform, {}, true);
                if (!masks.empty()) {
                    maskPainter.resetTransform();
                    maskPainter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
                    maskPainter.drawImage(0, 0, masks.back().coverage);
                }
            }
            masks.push_back({clipDepth, std::move(layer)});
            continue;
        }
        if (masks.empty()) {
            paintObject(surface, painter, index, transform, cxform, coverage);
            continue;
        }
        if (!masked) {
            masked = blankLayer(surface.size());
            ++m_layers;
        }
        QPainter layerPainter(&*masked);
        prepare(layerPainter);
        paintObject(*masked, layerPainter, index, transform, cxform, false);
    }
    flush();
    m_layers -= int(masks.size());
}

void FramePainter::paintObject(QImage& surface, QPainter& painter, std::uint32_t index, const QTransform& parentTransform,
                               const ColorTransform& parentCxform, bool coverage)
{
    const RenderNode& object = m_list.nodes[index];
    // Clips script made from nothing have no character, yet hold a
    // drawing and children.
    if (!object.character && object.kind != RenderNode::Kind::Container)
        return;
    if (!object.visible && !coverage)
        return;
    const QTransform transform = object.matrix.toTransform() * parentTransform;
    const ColorTransform cxform = parentCxform * object.colorTransform;
    if (coverage) {
        paintContent(surface, painter, index, transform, cxform, true);
        return;
    }
    if (object.maskIndex != RenderNode::kNoMask && m_layers + 2 <= kMaxLayers) {
        paintScriptMasked(surface, painter, index, transform, cxform);
        return;
    }
    paintPlain(surface, painter, index, transform, cxform);
}

// Drawn straight onto the surface, or through a layer of its own where its
// blend mode or filters need one.
void FramePainter::paintPlain(QImage& surface, QPainter& painter, std::uint32_t index, const QTransform& transform,
                              const ColorTransform& cxform)
{
    const RenderNode& object = m_list.nodes[index];
    const BlendMode mode = object.blendMode ? blendModeFromByte(object.blendMode) : BlendMode::Normal;
    if ((mode != BlendMode::Normal || object.filters) && m_layers < kMaxLayers) {
        paintLayered(surface, painter, index, transform, cxform);
        return;
    }
    paintContent(surface, painter, index, transform, cxform, false);
}

// The object drawn alone into a layer, cut to where its mask covers, and
// laid onto the surface. Within a mask's own drawing, masks set by script
// add nothing, as with clip depths.
void FramePainter::paintScriptMasked(QImage& surface, QPainter& painter, std::uint32_t index, const QTransform& transform,
                                     const ColorTransform& cxform)
{
    const RenderNode& object = m_list.nodes[index];
    const QRect area = deviceBounds(index, transform).toAlignedRect() & surface.rect();
    if (area.isEmpty() || (!m_clip.isNull() && !area.intersects(m_clip)))
        return;
    QImage coverage = blankLayer(surface.size());
    QImage layer = blankLayer(surface.size());
    if (coverage.isNull() || layer.isNull())
        return; // no memory for them: the object is left out of this frame
    m_layers += 2;
    const QTransform toSurface = m_toDevice * QTransform::fromTranslate(-m_surfaceOrigin.x(), -m_surfaceOrigin.y());
    {
        QPainter maskPainter(&coverage);
        prepare(maskPainter);
        paintObject(coverage, maskPainter, object.maskIndex, object.maskParentMatrix.toTransform() * toSurface, {}, true);
    }
    {
        QPainter layerPainter(&layer);
        prepare(layerPainter);
        paintPlain(layer, layerPainter, index, transform, cxform);
        layerPainter.resetTransform();
        layerPainter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        layerPainter.drawImage(0, 0, coverage);
    }
    m_layers -= 2;
    painter.resetTransform();
    painter.drawImage(0, 0, layer);
}

// The object drawn alone into a layer, coloured as a whole, filtered, and
// laid onto the surface by its blend mode. The layer covers only where the
// object's pixels can land, within reach of what the target shows.
void FramePainter::paintLayered(QImage& surface, QPainter& painter, std::uint32_t index, const QTransform& transform,
                                const ColorTransform& cxform)
{
    const RenderNode& object = m_list.nodes[index];
    static const std::vector<Filter> kNoFilters;
    const std::vector<Filter>* filters = object.filters ? object.filters.get() : &kNoFilters;
    QMargins margins = filters->empty() ? QMargins() : clampedMargins(filterMargins(*filters, m_stageScale, m_stageScale));
    // What can reach the target: what it shows, plus how far this layer's
    // filters and those of the layers it is drawn into can carry a pixel.
    const QMargins reach = clampedMargins(m_reach + margins);
    const QRect reachable = QRect(-m_surfaceOrigin, m_target.size()).marginsAdded(reach);
    QRect area = deviceBounds(index, transform).toAlignedRect() & reachable;
    if (area.isEmpty())
        return;
    if (!filters->empty()) {
        const double work = filterWork(*filters, double(area.width()) * area.height());
        const double budget = std::max(kMinFilterWorkPerFrame, kFilterWorkPerTargetPixel * m_target.width() * m_target.height());
        if (m_filterWork + work > budget) {
            // Over budget: the object is drawn as if it had no filters.
            m_filtersSkipped = true;
            filters = &kNoFilters;
            margins = {};
            area = (deviceBounds(index, transform).toAlignedRect() & reachable);
        } else {
            m_filterWork += work;
        }
    }
    // Drawn or not, the layer has had its share of the budget above, so
    // that every part of the frame goes on with the same budget left.
    if (!m_clip.isNull() && !area.intersects(m_clip))
        return;
    QImage layer = blankLayer(area.size());
    if (layer.isNull())
        return; // no memory for it: the object is left out of this frame
    ++m_layers;
    {
        // Filters carry pixels from anywhere in the layer, so it is drawn
        // whole whatever part of the surface is being drawn.
        const QRect outerClip = m_clip;
        m_clip = QRect();
        QPainter layerPainter(&layer);
        prepare(layerPainter);
        const QTransform shifted = transform * QTransform::fromTranslate(-area.left(), -area.top());
        const QPoint origin = m_surfaceOrigin;
        const QMargins outerReach = m_reach;
        m_surfaceOrigin += area.topLeft();
        m_reach = reach;
        paintContent(layer, layerPainter, index, shifted, {}, false);
        m_surfaceOrigin = origin;
        m_reach = outerReach;
        m_clip = outerClip;
    }
    // A group takes its colour transform as a whole, after its parts are drawn.
    --m_layers;
    if (!cxform.isIdentity())
        layer = transformedImage(layer, cxform);
    if (!filters->empty())
        applyFilters(layer, *filters, m_stageScale, m_stageScale);
    BlendMode mode = object.blendMode ? blendModeFromByte(object.blendMode) : BlendMode::Normal;
    if (mode == BlendMode::Layer)
        mode = BlendMode::Normal;
    // The blend reads the surface's pixels, so whatever is being painted on
    // it has to land first.
    painter.end();
    compositeLayer(surface, layer, mode, area.topLeft(), m_clip);
    painter.begin(&surface);
    prepare(painter);
}

void FramePainter::paintContent(QImage& surface, QPainter& painter, std::uint32_t index, const QTransform& transform,
                                const ColorTransform& cxform, bool coverage)
{
    const RenderNode& object = m_list.nodes[index];
    if (object.kind == RenderNode::Kind::Container) {
        if (object.drawing)
            paintShape(painter, object.drawing->geometry, transform, cxform, m_bitmaps, shapeOptions(coverage), m_scratch);
        if (object.scalingGrid && paintScaledGrid(painter, index, transform, cxform, coverage))
            return;
        paintRange(surface, painter, index + 1, object.end, transform, cxform, coverage);
        return;
    }
    const Character& character = *object.character;
    switch (object.kind) {
    case RenderNode::Kind::Shape: {
        const auto& shape = static_cast<const ShapeDefinition&>(character);
        if (outsideClip(shape.reach, transform))
            return;
        paintShape(painter, shape.geometry, transform, cxform, bitmapsOf(object), shapeOptions(coverage), m_scratch);
        return;
    }
    case RenderNode::Kind::MorphShape:
        if (const auto geometry = morphGeometry(object))
            paintShape(painter, *geometry, transform, cxform, bitmapsOf(object), shapeOptions(coverage), m_scratch);
        return;
    case RenderNode::Kind::Bitmap: {
        const auto& bitmap = static_cast<const BitmapDefinition&>(character);
        if (!affordable(bitmap))
            return;
        const QImage image = bitmap.image();
        if (image.isNull())
            return;
        const auto lock = lockShared();
        // Placed on its own, a bitmap is drawn at twenty twips to the pixel.
        painter.setTransform(QTransform::fromScale(20, 20) * transform);
        if (coverage) {
            painter.fillRect(image.rect(), Qt::black);
            return;
        }
        painter.setRenderHint(QPainter::SmoothPixmapTransform, m_options.quality >= Quality::High);
        painter.drawImage(0, 0, transformedImage(image, cxform));
        return;
    }
    case RenderNode::Kind::Video: {
        if (!object.picture || object.picture->isNull())
            return;
        const QImage& picture = *object.picture;
        const QRectF box = rectOf(static_cast<const VideoStreamDefinition&>(character).bounds());
        const auto lock = lockShared();
        // The decoded picture fills the video's own box, whatever size the
        // stream turned out to have.
        painter.setTransform(QTransform::fromScale(box.width() / picture.width(), box.height() / picture.height()) * transform);
        if (coverage) {
            painter.fillRect(picture.rect(), Qt::black);
            return;
        }
        painter.setRenderHint(QPainter::SmoothPixmapTransform, object.smoothing && m_options.quality >= Quality::High);
        painter.drawImage(0, 0, transformedImage(picture, cxform));
        return;
    }
    case RenderNode::Kind::Container:
        return; // drawn above
    case RenderNode::Kind::StaticText: {
        const auto lock = lockShared();
        painter.setTransform(transform);
        const Dictionary* own = object.dictionary.get();
        const FontLookup fonts = own ? FontLookup([own](std::uint16_t id) { return own->font(id); }) : m_fonts;
        paintStaticText(painter, static_cast<const StaticTextDefinition&>(character).text, fonts, coverage ? kCoverageColor : cxform);
        return;
    }
    case RenderNode::Kind::EditText: {
        if (!object.text)
            return;
        const auto lock = lockShared();
        painter.setTransform(transform);
        if (coverage)
            paintEditTextMask(painter, *object.text, kCoverageColor);
        else
            paintEditText(painter, *object.text, cxform);
        return;
    }
    }
}

} // namespace swf
