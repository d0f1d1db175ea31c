#include "swf/render/StageTransform.h"

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

constexpr double kTwipsPerPixel = 20.0;

struct Placement {
    double scaleX = 1;
    double scaleY = 1;
    QRectF rect;
};

Placement place(const Header& header, QSizeF target, ScaleMode mode)
{
    const double width = header.frameSize.width() / kTwipsPerPixel;
    const double height = header.frameSize.height() / kTwipsPerPixel;
    Placement placement;
    // A stage without area (or a movie that claims a negative one) cannot
    // be fitted; it is shown at its natural size instead of dividing by 0.
    if (width > 0 && height > 0 && mode != ScaleMode::NoScale) {
        const double fitX = target.width() / width;
        const double fitY = target.height() / height;
        switch (mode) {
        case ScaleMode::ShowAll:
            placement.scaleX = placement.scaleY = std::min(fitX, fitY);
            break;
        case ScaleMode::NoBorder:
            placement.scaleX = placement.scaleY = std::max(fitX, fitY);
            break;
        case ScaleMode::ExactFit:
            placement.scaleX = fitX;
            placement.scaleY = fitY;
            break;
        case ScaleMode::NoScale:
            break;
        }
    }
    const double placedWidth = width * placement.scaleX;
    const double placedHeight = height * placement.scaleY;
    placement.rect = QRectF((target.width() - placedWidth) / 2, (target.height() - placedHeight) / 2, placedWidth, placedHeight);
    return placement;
}

} // namespace

QRectF stageRect(const Header& header, QSizeF target, ScaleMode mode)
{
    return place(header, target, mode).rect;
}

QTransform stageTransform(const Header& header, QSizeF target, ScaleMode mode)
{
    const Placement placement = place(header, target, mode);
    const double m11 = placement.scaleX / kTwipsPerPixel;
    const double m22 = placement.scaleY / kTwipsPerPixel;
    return QTransform(m11, 0, 0, m22,
        placement.rect.left() - header.frameSize.xMin * m11,
        placement.rect.top() - header.frameSize.yMin * m22);
}

QTransform viewTransform(const Header& header, QSizeF target, const RenderOptions& options)
{
    QTransform toTarget = stageTransform(header, target, options.scale);
    if (options.zoom != 1 && std::isfinite(options.zoom) && options.zoom > 0) {
        const QPointF centre(target.width() / 2.0, target.height() / 2.0);
        toTarget *= QTransform::fromTranslate(-centre.x(), -centre.y()) * QTransform::fromScale(options.zoom, options.zoom)
            * QTransform::fromTranslate(centre.x(), centre.y());
    }
    return toTarget;
}

QSize fitRenderSize(QSizeF wanted)
{
    double width = std::isfinite(wanted.width()) ? std::max(wanted.width(), 1.0) : 1.0;
    double height = std::isfinite(wanted.height()) ? std::max(wanted.height(), 1.0) : 1.0;
    double scale = std::min({1.0, kMaxRenderSide / width, kMaxRenderSide / height});
    scale = std::min(scale, std::sqrt(double(kMaxRenderPixels) / (width * height)));
    width = std::max(1.0, std::floor(width * scale));
    height = std::max(1.0, std::floor(height * scale));
    return QSize(int(std::min(width, double(kMaxRenderSide))), int(std::min(height, double(kMaxRenderSide))));
}

} // namespace swf
