#include "swf/render/ShapePainter.h"

#include <algorithm>
#include <cmath>

#include <QLinearGradient>
#include <QRadialGradient>

#include "swf/define/Definitions.h"

namespace swf {

namespace {

// Gradients are defined over this square in their own space; the fill
// matrix places it on the shape.
constexpr double kGradientHalfSize = 16384;
constexpr double kMaxPenWidth = 8192;
// Stops added between two stored ones to follow linear-light blending.
constexpr int kLinearSteps = 8;

QColor qcolor(Color color)
{
    return QColor(color.r, color.g, color.b, color.a);
}

double toLinear(double channel)
{
    channel /= 255.0;
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double fromLinear(double channel)
{
    const double value = channel <= 0.0031308 ? channel * 12.92 : 1.055 * std::pow(channel, 1 / 2.4) - 0.055;
    return std::clamp(value * 255.0, 0.0, 255.0);
}

QGradientStops gradientStops(const Gradient& gradient, const ColorTransform& cxform)
{
    QGradientStops stops;
    double last = -1;
    for (const GradientRecord& record : gradient.records) {
        // Two stops at one ratio make a hard edge; Qt keeps both only if
        // they differ in position.
        double position = std::max(record.ratio / 255.0, last + 1e-6);
        position = std::min(position, 1.0);
        last = position;
        stops.append({position, qcolor(cxform.apply(record.color))});
    }
    if (gradient.interpolation != InterpolationMode::Linear || stops.size() < 2)
        return stops;
    QGradientStops linear;
    for (qsizetype i = 0; i + 1 < stops.size(); ++i) {
        const auto& [p0, c0] = stops[i];
        const auto& [p1, c1] = stops[i + 1];
        for (int step = 0; step < kLinearSteps; ++step) {
            const double t = double(step) / kLinearSteps;
            const auto mixChannel = [t](int a, int b) {
                return int(std::lround(fromLinear(toLinear(a) + (toLinear(b) - toLinear(a)) * t)));
            };
            linear.append({p0 + (p1 - p0) * t,
                           QColor(mixChannel(c0.red(), c1.red()), mixChannel(c0.green(), c1.green()),
                                  mixChannel(c0.blue(), c1.blue()), int(std::lround(c0.alpha() + (c1.alpha() - c0.alpha()) * t)))});
        }
    }
    linear.append(stops.back());
    return linear;
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

QPen strokePen(const LineStyle& line, const QTransform& toDevice, const ColorTransform& cxform, const BitmapLookup& bitmaps,
               double stageScale)
{
    // Flash widens lines by the object's overall scale, the same in every
    // direction (or by the stage's alone for lines marked not to scale),
    // and never draws one thinner than a device pixel. A
    // cosmetic pen is sized in device pixels, which says exactly that.
    const double scale = line.noHScale || line.noVScale ? stageScale : std::sqrt(std::abs(toDevice.determinant()));
    // A hostile matrix can ask for a pen wider than any screen; the stroker
    // would spend minutes on it.
    const double width = std::clamp(line.width * scale, 1.0, kMaxPenWidth);
    QBrush brush = line.fill ? brushForFill(*line.fill, cxform, bitmaps) : QBrush(qcolor(cxform.apply(line.color)));
    QPen pen(brush, width, Qt::SolidLine, capStyle(line.startCap), joinStyle(line.join));
    pen.setCosmetic(true);
    pen.setMiterLimit(std::max(1.0, line.miterLimit));
    return pen;
}

bool smoothedFill(FillType type)
{
    return type == FillType::RepeatingBitmap || type == FillType::ClippedBitmap;
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
        const BitmapDefinition* bitmap = bitmaps ? bitmaps(fill.bitmapId) : nullptr;
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
                const BitmapLookup& bitmaps, const ShapePaintOptions& options)
{
    painter.setTransform(toDevice);
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
