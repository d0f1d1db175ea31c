#include "swf/render/FramePainter.h"

#include <algorithm>
#include <optional>

#include "swf/render/BlendMode.h"
#include "swf/render/Filter.h"
#include "swf/render/ShapePainter.h"
#include "swf/render/TextPainter.h"

namespace swf {

namespace {

// Past the runtime's own nesting cap nothing more can be on stage; this
// only guards against a list built some other way.
constexpr int kMaxPaintNesting = Clip::kMaxNesting + 2;
// Layers alive at once, masks and groups together. Past this a movie that
// nests masks without end draws unmasked rather than taking a target-sized
// image per level.
constexpr int kMaxLayers = 16;
// Filters asking for more room than this around a layer get no more.
constexpr int kMaxFilterMargin = 1024;

// Masks only need where something is: every colour opaque black.
constexpr ColorTransform kCoverageColor {0, 0, 0, 0, 0, 0, 0, 255};

} // namespace

FramePainter::FramePainter(QImage& target, const Dictionary& dictionary, const RenderOptions& options, double stageScale)
    : m_target(target)
    , m_dictionary(dictionary)
    , m_options(options)
    , m_stageScale(stageScale)
{
}

void FramePainter::paint(const DisplayList& list, const QTransform& toDevice)
{
    QPainter painter(&m_target);
    prepare(painter);
    paintRange(m_target, painter, list.begin(), list.end(), toDevice, {}, 0, false);
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
bool FramePainter::paintScaledGrid(QPainter& painter, const DisplayObject& object, const QTransform& transform,
                                   const ColorTransform& cxform, bool coverage)
{
    const ScalingGrid* grid = m_dictionary.scalingGrid(object.placement.characterId);
    const Matrix& own = object.placement.matrix;
    if (!grid || own.b != 0 || own.c != 0 || own.a == 0 || own.d == 0 || (own.a == 1 && own.d == 1))
        return false;
    const Rect& centre = grid->center;
    if (centre.width() <= 0 || centre.height() <= 0)
        return false;

    struct Part {
        const DisplayObject* child;
        const ShapeGeometry* geometry;
    };
    std::vector<Part> parts;
    QRectF bounds;
    for (const auto& [depth, child] : object.clip->displayList()) {
        if (!child.character || !child.placement.visible || child.placement.clipDepth)
            continue;
        const ShapeGeometry* geometry = nullptr;
        if (child.character->kind() == Character::Kind::Shape)
            geometry = &static_cast<const ShapeDefinition&>(*child.character).geometry;
        else if (child.character->kind() == Character::Kind::MorphShape)
            geometry = &static_cast<const MorphShapeDefinition&>(*child.character).geometryAt(child.placement.ratio);
        if (!geometry)
            return false; // anything but shapes: draw the sprite plainly
        parts.push_back({&child, geometry});
        for (const ShapeLayer& layer : geometry->layers) {
            for (const FillPath& fill : layer.fills)
                bounds |= child.placement.matrix.toTransform().map(fill.path).boundingRect();
            for (const StrokePath& stroke : layer.strokes)
                bounds |= child.placement.matrix.toTransform().map(stroke.path).boundingRect();
        }
    }
    if (parts.empty() || bounds.isEmpty())
        return false;
    const GridAxis x {bounds.left(), bounds.right(), double(centre.xMin), double(centre.xMax), std::abs(own.a)};
    const GridAxis y {bounds.top(), bounds.bottom(), double(centre.yMin), double(centre.yMax), std::abs(own.d)};

    const BitmapLookup bitmaps = [this](std::uint16_t id) -> const BitmapDefinition* {
        const auto found = m_dictionary.find(id);
        return found && found->kind() == Character::Kind::Bitmap ? static_cast<const BitmapDefinition*>(found.get()) : nullptr;
    };
    for (const Part& part : parts) {
        const Matrix& childMatrix = part.child->placement.matrix;
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
        const ColorTransform childCxform = cxform * part.child->placement.colorTransform;
        paintShape(painter, sliced, transform, childCxform, bitmaps, {m_options.quality >= Quality::High, coverage, m_stageScale / 20});
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
void FramePainter::paintRange(QImage& surface, QPainter& painter, Iterator first, Iterator last, const QTransform& transform,
                              const ColorTransform& cxform, int nesting, bool coverage)
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

    for (Iterator it = first; it != last; ++it) {
        const auto& [depth, object] = *it;
        while (!masks.empty() && masks.back().clipDepth < depth) {
            flush();
            masks.pop_back();
            --m_layers;
        }
        const int clipDepth = object.placement.clipDepth;
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
                paintObject(layer, maskPainter, object, transform, {}, nesting, true);
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
            paintObject(surface, painter, object, transform, cxform, nesting, coverage);
            continue;
        }
        if (!masked) {
            masked = blankLayer(surface.size());
            ++m_layers;
        }
        QPainter layerPainter(&*masked);
        prepare(layerPainter);
        paintObject(*masked, layerPainter, object, transform, cxform, nesting, false);
    }
    flush();
    m_layers -= int(masks.size());
}

void FramePainter::paintObject(QImage& surface, QPainter& painter, const DisplayObject& object, const QTransform& parentTransform,
                               const ColorTransform& parentCxform, int nesting, bool coverage)
{
    if (!object.character || nesting > kMaxPaintNesting)
        return;
    if (!object.placement.visible && !coverage)
        return;
    const QTransform transform = object.placement.matrix.toTransform() * parentTransform;
    ColorTransform cxform = parentCxform * object.placement.colorTransform;
    if (object.character->kind() == Character::Kind::Button)
        if (const ColorTransform* own = m_dictionary.buttonColorTransform(object.placement.characterId))
            cxform = cxform * *own;
    if (!coverage) {
        const BlendMode mode = object.placement.blendMode ? blendModeFromByte(object.placement.blendMode) : BlendMode::Normal;
        const bool grouped = mode != BlendMode::Normal;
        if ((grouped || !object.placement.filters.empty()) && m_layers < kMaxLayers) {
            paintLayered(surface, painter, object, transform, cxform, nesting);
            return;
        }
    }
    paintContent(surface, painter, object, transform, cxform, nesting, coverage);
}

void FramePainter::paintLayered(QImage& surface, QPainter& painter, const DisplayObject& object, const QTransform& transform,
                                const ColorTransform& cxform, int nesting)
{
    const std::vector<Filter>& filters = object.placement.filters;
    QMargins margins = filters.empty() ? QMargins() : filterMargins(filters, m_stageScale, m_stageScale);
    margins = QMargins(std::clamp(margins.left(), 0, kMaxFilterMargin), std::clamp(margins.top(), 0, kMaxFilterMargin),
                       std::clamp(margins.right(), 0, kMaxFilterMargin), std::clamp(margins.bottom(), 0, kMaxFilterMargin));
    QImage layer = blankLayer(surface.size().grownBy(margins));
    ++m_layers;
    {
        QPainter layerPainter(&layer);
        prepare(layerPainter);
        const QTransform shifted = transform * QTransform::fromTranslate(margins.left(), margins.top());
        paintContent(layer, layerPainter, object, shifted, {}, nesting, false);
    }
    // A group takes its colour transform as a whole, after its parts are drawn.
    --m_layers;
    if (!cxform.isIdentity())
        layer = transformedImage(layer, cxform);
    if (!filters.empty())
        applyFilters(layer, filters, m_stageScale, m_stageScale);
    if (!margins.isNull())
        layer = layer.copy(margins.left(), margins.top(), surface.width(), surface.height());
    BlendMode mode = object.placement.blendMode ? blendModeFromByte(object.placement.blendMode) : BlendMode::Normal;
    if (mode == BlendMode::Layer)
        mode = BlendMode::Normal;
    // The blend reads the surface's pixels, so whatever is being painted on
    // it has to land first.
    painter.end();
    compositeLayer(surface, layer, mode);
    painter.begin(&surface);
    prepare(painter);
}

void FramePainter::paintContent(QImage& surface, QPainter& painter, const DisplayObject& object, const QTransform& transform,
                                const ColorTransform& cxform, int nesting, bool coverage)
{
    const Character& character = *object.character;
    const BitmapLookup bitmaps = [this](std::uint16_t id) -> const BitmapDefinition* {
        const auto found = m_dictionary.find(id);
        return found && found->kind() == Character::Kind::Bitmap ? static_cast<const BitmapDefinition*>(found.get()) : nullptr;
    };
    const FontLookup fonts = [this](std::uint16_t id) { return m_dictionary.font(id); };
    const ShapePaintOptions shapeOptions {m_options.quality >= Quality::High, coverage, m_stageScale / 20};
    switch (character.kind()) {
    case Character::Kind::Shape:
        paintShape(painter, static_cast<const ShapeDefinition&>(character).geometry, transform, cxform, bitmaps, shapeOptions);
        return;
    case Character::Kind::MorphShape:
        paintShape(painter, static_cast<const MorphShapeDefinition&>(character).geometryAt(object.placement.ratio), transform,
                   cxform, bitmaps, shapeOptions);
        return;
    case Character::Kind::Bitmap: {
        const QImage& image = static_cast<const BitmapDefinition&>(character).image();
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
    case Character::Kind::Sprite:
    case Character::Kind::Button:
        if (object.clip && paintScaledGrid(painter, object, transform, cxform, coverage))
            return;
        if (object.clip) {
            const DisplayList& children = object.clip->displayList();
            paintRange(surface, painter, children.begin(), children.end(), transform, cxform, nesting + 1, coverage);
        }
        return;
    case Character::Kind::StaticText:
        painter.setTransform(transform);
        paintStaticText(painter, static_cast<const StaticTextDefinition&>(character).text, fonts, coverage ? kCoverageColor : cxform);
        return;
    case Character::Kind::EditText:
        painter.setTransform(transform);
        paintEditText(painter, static_cast<const EditTextDefinition&>(character).field, fonts, coverage ? kCoverageColor : cxform);
        return;
    case Character::Kind::Font:
        return;
    }
}

} // namespace swf
