#include "swf/render/FramePainter.h"

#include <algorithm>
#include <optional>

#include "swf/render/BlendMode.h"
#include "swf/render/Filter.h"
#include "swf/render/ShapePainter.h"
#include "swf/render/TextPainter.h"

namespace swf {

namespace {

// Layers alive at once, masks and groups together. Past this a movie that
// nests masks without end draws unmasked rather than taking a target-sized
// image per level.
constexpr int kMaxLayers = 16;
// Filters asking for more room than this around a layer get no more.
constexpr int kMaxFilterMargin = 1024;

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
    const Dictionary* dictionary = list.dictionary.get();
    m_bitmaps = [dictionary](std::uint16_t id) -> std::shared_ptr<const BitmapDefinition> {
        auto found = dictionary ? dictionary->find(id) : nullptr;
        if (!found || found->kind() != Character::Kind::Bitmap)
            return nullptr;
        return std::static_pointer_cast<const BitmapDefinition>(std::move(found));
    };
    m_fonts = [dictionary](std::uint16_t id) { return dictionary ? dictionary->font(id) : nullptr; };
}

void FramePainter::paint(const QTransform& toDevice)
{
    QPainter painter(&m_target);
    prepare(painter);
    paintRange(m_target, painter, 0, std::uint32_t(m_list.nodes.size()), toDevice, {}, false);
}

void FramePainter::prepare(QPainter& painter) const
{
    painter.setRenderHint(QPainter::Antialiasing, m_options.quality != Quality::Low);
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
        else if (child.kind == RenderNode::Kind::MorphShape)
            geometry = static_cast<const MorphShapeDefinition&>(*child.character).geometryAt(child.ratio);
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
        paintShape(painter, sliced, transform, childCxform, m_bitmaps, {m_options.quality >= Quality::High, coverage, m_stageScale / 20},
                   m_scratch);
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
            combine.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            combine.drawImage(0, 0, masks.back().coverage);
        }
        painter.resetTransform();
        painter.drawImage(0, 0, *masked);
        masked.reset();
    };

    for (std::uint32_t index = first; index < last; index = m_list.nodes[index].end) {
        const RenderNode& object = m_list.nodes[index];
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
    if (!object.character)
        return;
    if (!object.visible && !coverage)
        return;
    const QTransform transform = object.matrix.toTransform() * parentTransform;
    const ColorTransform cxform = parentCxform * object.colorTransform;
    if (!coverage) {
        const BlendMode mode = object.blendMode ? blendModeFromByte(object.blendMode) : BlendMode::Normal;
        const bool grouped = mode != BlendMode::Normal;
        if ((grouped || object.filters) && m_layers < kMaxLayers) {
            paintLayered(surface, painter, index, transform, cxform);
            return;
        }
    }
    paintContent(surface, painter, index, transform, cxform, coverage);
}

void FramePainter::paintLayered(QImage& surface, QPainter& painter, std::uint32_t index, const QTransform& transform,
                                const ColorTransform& cxform)
{
    const RenderNode& object = m_list.nodes[index];
    static const std::vector<Filter> kNoFilters;
    const std::vector<Filter>& filters = object.filters ? *object.filters : kNoFilters;
    QMargins margins = filters.empty() ? QMargins() : filterMargins(filters, m_stageScale, m_stageScale);
    margins = QMargins(std::clamp(margins.left(), 0, kMaxFilterMargin), std::clamp(margins.top(), 0, kMaxFilterMargin),
                       std::clamp(margins.right(), 0, kMaxFilterMargin), std::clamp(margins.bottom(), 0, kMaxFilterMargin));
    QImage layer = blankLayer(surface.size().grownBy(margins));
    ++m_layers;
    {
        QPainter layerPainter(&layer);
        prepare(layerPainter);
        const QTransform shifted = transform * QTransform::fromTranslate(margins.left(), margins.top());
        paintContent(layer, layerPainter, index, shifted, {}, false);
    }
    // A group takes its colour transform as a whole, after its parts are drawn.
    --m_layers;
    if (!cxform.isIdentity())
        layer = transformedImage(layer, cxform);
    if (!filters.empty())
        applyFilters(layer, filters, m_stageScale, m_stageScale);
    if (!margins.isNull())
        layer = layer.copy(margins.left(), margins.top(), surface.width(), surface.height());
    BlendMode mode = object.blendMode ? blendModeFromByte(object.blendMode) : BlendMode::Normal;
    if (mode == BlendMode::Layer)
        mode = BlendMode::Normal;
    // The blend reads the surface's pixels, so whatever is being painted on
    // it has to land first.
    painter.end();
    compositeLayer(surface, layer, mode);
    painter.begin(&surface);
    prepare(painter);
}

void FramePainter::paintContent(QImage& surface, QPainter& painter, std::uint32_t index, const QTransform& transform,
                                const ColorTransform& cxform, bool coverage)
{
    const RenderNode& object = m_list.nodes[index];
    const Character& character = *object.character;
    const ShapePaintOptions shapeOptions {m_options.quality >= Quality::High, coverage, m_stageScale / 20};
    switch (object.kind) {
    case RenderNode::Kind::Shape:
        paintShape(painter, static_cast<const ShapeDefinition&>(character).geometry, transform, cxform, m_bitmaps, shapeOptions,
                   m_scratch);
        return;
    case RenderNode::Kind::MorphShape: {
        const auto geometry = static_cast<const MorphShapeDefinition&>(character).geometryAt(object.ratio);
        paintShape(painter, *geometry, transform, cxform, m_bitmaps, shapeOptions, m_scratch);
        return;
    }
    case RenderNode::Kind::Bitmap: {
        const QImage image = static_cast<const BitmapDefinition&>(character).image();
        if (image.isNull())
            return;
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
    case RenderNode::Kind::Container:
        if (object.scalingGrid && paintScaledGrid(painter, index, transform, cxform, coverage))
            return;
        paintRange(surface, painter, index + 1, object.end, transform, cxform, coverage);
        return;
    case RenderNode::Kind::StaticText:
        painter.setTransform(transform);
        paintStaticText(painter, static_cast<const StaticTextDefinition&>(character).text, m_fonts, coverage ? kCoverageColor : cxform);
        return;
    case RenderNode::Kind::EditText:
        if (!object.text)
            return;
        painter.setTransform(transform);
        paintEditText(painter, static_cast<const EditTextDefinition&>(character).field, *object.text,
                      coverage ? kCoverageColor : cxform);
        return;
    }
}

} // namespace swf
