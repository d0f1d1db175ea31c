#include "swf/render/ShapePainter.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include <QLinearGradient>
#include <QRadialGradient>

#include "swf/define/Definitions.h"
#include "swf/render/GradientRamps.h"
#include "swf/render/RenderScratch.h"
#include "swf/render/raster/Sse2.h"

namespace swf {

namespace {

// Gradients are defined over this square in their own space; the fill
// matrix places it on the shape.
constexpr double kGradientHalfSize = 16384;
constexpr double kMaxPenWidth = 8192;

QColor qcolor(Color color)
{
    return QColor(color.r, color.g, color.b, color.a);
}

QBrush gradientBrush(const FillStyle& fill, const ColorTransform& cxform)
{
    QGradient gradient;
    if (fill.type == FillType::LinearGradient) {
        gradient = QLinearGradient(-kGradientHalfSize, 0, kGradientHalfSize, 0);
    } else {
        const double focal = fill.type == FillType::FocalGradient ? fill.gradient.focalPoint * kGradientHalfSize : 0;
        gradient = QRadialGradient(QPointF(0, 0), kGradientHalfSize, QPointF(focal, 0));
    }
    switch (fill.gradient.spread) {
    case SpreadMode::Reflect:
        gradient.setSpread(QGradient::ReflectSpread);
        break;
    case SpreadMode::Repeat:
        gradient.setSpread(QGradient::RepeatSpread);
        break;
    default:
        gradient.setSpread(QGradient::PadSpread);
        break;
    }
    gradient.setStops(gradientStops(fill.gradient, cxform));
    QBrush brush(gradient);
    brush.setTransform(fill.matrix.toTransform());
    return brush;
}

Qt::PenCapStyle capStyle(CapStyle cap)
{
    switch (cap) {
    case CapStyle::None:
        return Qt::FlatCap;
    case CapStyle::Square:
        return Qt::SquareCap;
    default:
        return Qt::RoundCap;
    }
}

Qt::PenJoinStyle joinStyle(JoinStyle join)
{
    switch (join) {
    case JoinStyle::Bevel:
        return Qt::BevelJoin;
    case JoinStyle::Miter:
        return Qt::SvgMiterJoin;
    default:
        return Qt::RoundJoin;
    }
}

// Flash widens lines by the object's overall scale, the same in every
// direction (or by the stage's alone for lines marked not to scale), and
// never draws one thinner than a device pixel.
double penWidth(const LineStyle& line, const QTransform& toDevice, double stageScale)
{
    const double scale = line.noHScale || line.noVScale ? stageScale : std::sqrt(std::abs(toDevice.determinant()));
    // A hostile matrix can ask for a pen wider than any screen; the stroker
    // would spend minutes on it.
    const double width = line.width * scale;
    return std::isfinite(width) ? std::clamp(width, 1.0, kMaxPenWidth) : 1.0;
}

QPen strokePen(const LineStyle& line, const QTransform& toDevice, const ColorTransform& cxform, const BitmapLookup& bitmaps,
               double stageScale)
{
    // A cosmetic pen is sized in device pixels, as line widths are.
    const double width = penWidth(line, toDevice, stageScale);
    QBrush brush = line.fill ? brushForFill(*line.fill, cxform, bitmaps) : QBrush(qcolor(cxform.apply(line.color)));
    QPen pen(brush, width, Qt::SolidLine, capStyle(line.startCap), joinStyle(line.join));
    pen.setCosmetic(true);
    pen.setMiterLimit(std::max(1.0, line.miterLimit));
    return pen;
}

// A lock on `mutex` when there is one.
std::unique_lock<std::mutex> lockIfShared(std::mutex* mutex)
{
    return mutex ? std::unique_lock(*mutex) : std::unique_lock<std::mutex>();
}

// Shapes land all over the image, so the rows a shape's edges blend over
// are seldom in the cache, and the blend waits on every one. Asked for a
// couple of rows ahead, they arrive while the rows before are worked out.
constexpr int kRowsAhead = 2;

inline void prefetchPixels(const uchar* bits, qsizetype stride, int height, int x, int y, int length)
{
#ifdef TVK_RASTER_SSE2
    if (y >= height)
        return;
    const auto* first = bits + y * stride + qsizetype(x) * 4;
    const auto* end = first + qsizetype(length) * 4;
    for (const uchar* at = first; at < end; at += 64)
        _mm_prefetch(reinterpret_cast<const char*>(at), _MM_HINT_T0);
    _mm_prefetch(reinterpret_cast<const char*>(end - 1), _MM_HINT_T0);
#else
    (void)bits, (void)stride, (void)height, (void)x, (void)y, (void)length;
#endif
}

bool smoothedFill(FillType type)
{
    return type == FillType::RepeatingBitmap || type == FillType::ClippedBitmap;
}

// Shapes drawn straight into the image's pixels by our own rasterizer,
// which costs far less per shape than going through the painter. Bitmap
// fills still go through the painter, on the same pixels.
class DirectPainter {
public:
    DirectPainter(QPainter& painter, QImage& image, const QTransform& toDevice, const ColorTransform& cxform,
                  const BitmapLookup& bitmaps, const ShapePaintOptions& options, RenderScratch& scratch)
        : m_painter(painter)
        , m_image(image)
        , m_toDevice(toDevice)
        , m_cxform(cxform)
        , m_bitmaps(bitmaps)
        , m_options(options)
        , m_antialias(painter.testRenderHint(QPainter::Antialiasing))
        , m_scratch(scratch)
    {
    }

    void fill(const FillPath& fill)
    {
        if (m_options.coverageOnly) {
            draw(fill.path, areaFor(fill.path, 0), 0, nullptr, raster::Paint::solid(0xff000000));
            return;
        }
        if (fill.style.isBitmap()) {
            const auto lock = lockIfShared(m_options.sharedDrawing);
            m_painter.setTransform(m_toDevice);
            m_painter.setPen(Qt::NoPen);
            m_painter.setBrush(brushForFill(fill.style, m_cxform, m_bitmaps));
            m_painter.setRenderHint(QPainter::SmoothPixmapTransform, m_options.smoothBitmaps && smoothedFill(fill.style.type));
            m_painter.drawPath(fill.path);
            return;
        }
        // Whether anything shows is cheaper to tell than what to paint it with.
        if (const QRect area = areaFor(fill.path, 0); !area.isEmpty())
            draw(fill.path, area, 0, nullptr, paintFor(fill.style));
    }

    void stroke(const StrokePath& stroke)
    {
        const LineStyle& line = stroke.style;
        if (line.fill && line.fill->isBitmap()) {
            const auto lock = lockIfShared(m_options.sharedDrawing);
            m_painter.setTransform(m_toDevice);
            m_painter.setBrush(Qt::NoBrush);
            m_painter.setPen(strokePen(line, m_toDevice, m_cxform, m_bitmaps, m_options.stageScale));
            m_painter.drawPath(stroke.path);
            return;
        }
        const raster::Pen pen {penWidth(line, m_toDevice, m_options.stageScale), line.startCap, line.endCap, line.join,
                               std::max(1.0, line.miterLimit), line.noClose};
        const double reach = pen.width / 2 + 2;
        const QRect area = areaFor(stroke.path, reach);
        if (area.isEmpty())
            return;
        const raster::Paint paint = line.fill ? paintFor(*line.fill) : raster::Paint::solid(premultiplied(m_cxform.apply(line.color)));
        draw(stroke.path, area, reach, &pen, paint);
    }

private:
    static std::uint32_t premultiplied(Color color) { return qPremultiply(qRgba(color.r, color.g, color.b, color.a)); }

    raster::Paint paintFor(const FillStyle& style) const
    {
        if (!style.isGradient())
            return raster::Paint::solid(premultiplied(m_cxform.apply(style.color)));
        const raster::GradientShape shape = style.type == FillType::LinearGradient ? raster::GradientShape::Linear
            : style.type == FillType::FocalGradient                                ? raster::GradientShape::Focal
                                                                                   : raster::GradientShape::Radial;
        const raster::GradientSpread spread = style.gradient.spread == SpreadMode::Reflect ? raster::GradientSpread::Reflect
            : style.gradient.spread == SpreadMode::Repeat                                   ? raster::GradientSpread::Repeat
                                                                                            : raster::GradientSpread::Pad;
        return raster::Paint::gradient(m_scratch.ramps.rampFor(style.gradient, m_cxform), shape, spread, style.gradient.focalPoint,
                                       style.matrix.toTransform() * m_toDevice);
    }

    // The image's pixels the path can touch, `reach` pixels beyond its own
    // bounds at most; empty when none, or none within the clip. The clip
    // only picks which pixels are laid: the outline and its coverage are
    // worked out over the same area as without it, so the pixels inside
    // come out the same to the bit.
    QRect areaFor(const QPainterPath& path, double reach) const
    {
        if (path.isEmpty())
            return {};
        const QRectF bounds = m_toDevice.mapRect(raster::controlBounds(path)).adjusted(-reach - 1, -reach - 1, reach + 1, reach + 1);
        if (!bounds.isValid() || !std::isfinite(bounds.width()) || !std::isfinite(bounds.height()))
            return {};
        const QRectF visible = bounds.intersected(QRectF(m_image.rect()));
        if (visible.isEmpty())
            return {};
        const QRect area = visible.toAlignedRect().intersected(m_image.rect());
        if (!m_options.clip.isNull() && !area.intersects(m_options.clip))
            return {};
        return area;
    }

    // `pen` null fills the path; otherwise strokes it.
    void draw(const QPainterPath& path, const QRect& area, double reach, const raster::Pen* pen, const raster::Paint& paint)
    {
        if (paint.isInvisible() || area.isEmpty() || m_scratch.edgesSkipped)
            return;
        const QRect& clip = m_options.clip;
        const bool clipped = !clip.isNull();
        raster::Outline& outline = m_scratch.outline;
        raster::Coverage& coverage = m_scratch.coverage;
        // A stroke reaches its half width beyond the curve it follows.
        raster::flatten(path, m_toDevice, QRectF(area).adjusted(-reach - 1, -reach - 1, reach + 1, reach + 1), outline);
        // A frame may sweep only so many edges; what comes after is left
        // out of it (the frame painter says so).
        m_scratch.edgesThisFrame += outline.points.size();
        if (m_scratch.edgesThisFrame > RenderScratch::kEdgesPerFrame) {
            m_scratch.edgesSkipped = true;
            return;
        }
        const int keptFirst = clipped ? clip.top() : INT_MIN;
        const int keptEnd = clipped ? clip.bottom() + 1 : INT_MAX;
        if (pen && raster::coveredByDistance(*pen)) {
            raster::LineCoverage& lines = m_scratch.lines;
            lines.begin(area, keptFirst, keptEnd);
            for (const raster::Outline::Run& run : outline.runs)
                lines.addLine(outline.points.data() + run.first, run.count, run.closed, pen->width);
            lay(paint, [&](auto&& span) { lines.sweep(m_antialias, span); });
            return;
        }
        coverage.begin(area, keptFirst, keptEnd);
        if (pen) {
            raster::stroke(outline, *pen, coverage, m_scratch.stroke);
        } else {
            for (const raster::Outline::Run& run : outline.runs)
                coverage.addContour(outline.points.data() + run.first, run.count);
        }
        // The even-odd rule folds every sum; most fills are simple enough
        // that it cannot matter.
        const raster::Winding winding = pen || path.fillRule() == Qt::WindingFill || raster::windsAtMostOnce(outline)
            ? raster::Winding::NonZero
            : raster::Winding::EvenOdd;
        lay(paint, [&](auto&& span) { coverage.sweep(winding, m_antialias, span); });
    }

    // Lays `paint` over every span `sweep` hands its callback.
    template <typename Sweep>
    void lay(const raster::Paint& paint, Sweep&& sweep)
    {
        uchar* const bits = m_image.bits();
        const qsizetype stride = m_image.bytesPerLine();
        const int height = m_image.height();
        const QRect& clip = m_options.clip;
        if (clip.isNull()) {
            sweep([&](int x, int y, int length, const std::uint8_t* mask) {
                prefetchPixels(bits, stride, height, x, y + kRowsAhead, length);
                paint.blend(reinterpret_cast<std::uint32_t*>(bits + y * stride) + x, x, y, length, mask);
            });
            return;
        }
        const int clipLeft = clip.left();
        const int clipEnd = clip.right() + 1;
        sweep([&](int x, int y, int length, const std::uint8_t* mask) {
            prefetchPixels(bits, stride, height, x, y + kRowsAhead, length);
            auto* row = reinterpret_cast<std::uint32_t*>(bits + y * stride) + x;
            if (x >= clipLeft && x + length <= clipEnd)
                paint.blend(row, x, y, length, mask);
            else
                paint.blend(row, x, y, length, mask, clipLeft - x, clipEnd - x);
        });
    }

    QPainter& m_painter;
    QImage& m_image;
    const QTransform& m_toDevice;
    const ColorTransform& m_cxform;
    const BitmapLookup& m_bitmaps;
    const ShapePaintOptions& m_options;
    bool m_antialias;
    RenderScratch& m_scratch;
};

// The painter's own pixels, when nothing it would do differs from laying
// colours over them.
QImage* directTarget(QPainter& painter, bool clipped)
{
    QPaintDevice* device = painter.device();
    if (!painter.isActive() || !device || device->devType() != QInternal::Image)
        return nullptr;
    auto* image = static_cast<QImage*>(device);
    const QImage::Format format = image->format();
    if (format != QImage::Format_ARGB32_Premultiplied && format != QImage::Format_RGB32)
        return nullptr;
    if (painter.compositionMode() != QPainter::CompositionMode_SourceOver || (painter.hasClipping() && !clipped) || painter.opacity() != 1.0
        || painter.deviceTransform() != painter.worldTransform() || image->devicePixelRatio() != 1.0)
        return nullptr;
    return image;
}

} // namespace

QImage transformedImage(const QImage& image, const ColorTransform& cxform)
{
    if (cxform.isIdentity())
        return image;
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            const QRgb pixel = line[x];
            const Color out = cxform.apply({std::uint8_t(qRed(pixel)), std::uint8_t(qGreen(pixel)),
                                            std::uint8_t(qBlue(pixel)), std::uint8_t(qAlpha(pixel))});
            line[x] = qRgba(out.r, out.g, out.b, out.a);
        }
    }
    return result.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QBrush brushForFill(const FillStyle& fill, const ColorTransform& cxform, const BitmapLookup& bitmaps)
{
    if (fill.isGradient())
        return gradientBrush(fill, cxform);
    if (fill.isBitmap()) {
        const std::shared_ptr<const BitmapDefinition> bitmap = fill.bitmap ? fill.bitmap : bitmaps ? bitmaps(fill.bitmapId) : nullptr;
        if (!bitmap || bitmap->image().isNull())
            return Qt::NoBrush;
        // A clipped fill shows the edge pixels past the bitmap's edge, not
        // the far side of the bitmap as a tiled texture would when smoothed.
        const bool clipped = fill.type == FillType::ClippedBitmap || fill.type == FillType::ClippedBitmapHard;
        QBrush brush(transformedImage(clipped ? bitmap->edgePaddedImage() : bitmap->image(), cxform));
        brush.setTransform(clipped ? QTransform::fromTranslate(-1, -1) * fill.matrix.toTransform() : fill.matrix.toTransform());
        return brush;
    }
    return QBrush(qcolor(cxform.apply(fill.color)));
}

void paintShape(QPainter& painter, const ShapeGeometry& geometry, const QTransform& toDevice, const ColorTransform& cxform,
                const BitmapLookup& bitmaps, const ShapePaintOptions& options, RenderScratch& scratch)
{
    // The painter's transform is set only for what it draws itself: on the
    // direct way a shape that shows nothing costs a few comparisons.
    if (QImage* image = directTarget(painter, !options.clip.isNull())) {
        DirectPainter direct(painter, *image, toDevice, cxform, bitmaps, options, scratch);
        for (const ShapeLayer& layer : geometry.layers) {
            for (const FillPath& fill : layer.fills)
                direct.fill(fill);
            if (options.coverageOnly)
                continue;
            for (const StrokePath& stroke : layer.strokes)
                direct.stroke(stroke);
        }
        return;
    }
    painter.setTransform(toDevice);
    const auto lock = lockIfShared(options.sharedDrawing);
    for (const ShapeLayer& layer : geometry.layers) {
        painter.setPen(Qt::NoPen);
        for (const FillPath& fill : layer.fills) {
            if (options.coverageOnly) {
                painter.setBrush(Qt::black);
            } else {
                painter.setBrush(brushForFill(fill.style, cxform, bitmaps));
                painter.setRenderHint(QPainter::SmoothPixmapTransform, options.smoothBitmaps && smoothedFill(fill.style.type));
            }
            painter.drawPath(fill.path);
        }
        if (options.coverageOnly)
            continue;
        painter.setBrush(Qt::NoBrush);
        for (const StrokePath& stroke : layer.strokes) {
            painter.setPen(strokePen(stroke.style, toDevice, cxform, bitmaps, options.stageScale));
            painter.drawPath(stroke.path);
        }
    }
}

} // namespace swf
