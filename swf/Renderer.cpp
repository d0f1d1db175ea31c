#include "swf/Renderer.h"

#include <QColor>

#include <cmath>

#include "swf/render/FramePainter.h"
#include "swf/render/RasterThread.h"

namespace swf {

void render(const Player& player, QImage& target, const RenderOptions& options)
{
    if (!player.hasMovie() || target.isNull())
        return;
    const Color background = player.backgroundColor();
    // The stage colour is opaque whatever the tag says: the letterbox and
    // the stage must read as one surface.
    target.fill(QColor(background.r, background.g, background.b));

    const DisplayList* list = player.displayList();
    const Dictionary* dictionary = player.dictionary();
    if (!list || list->empty() || !dictionary)
        return;
    QTransform toTarget = stageTransform(*player.header(), target.size(), options.scale);
    if (options.zoom != 1 && std::isfinite(options.zoom) && options.zoom > 0) {
        const QPointF centre(target.width() / 2.0, target.height() / 2.0);
        toTarget *= QTransform::fromTranslate(-centre.x(), -centre.y()) * QTransform::fromScale(options.zoom, options.zoom)
            * QTransform::fromTranslate(centre.x(), centre.y());
    }
    // Blending reads back premultiplied pixels; for the usual opaque
    // targets the change of format costs no copy.
    const QImage::Format format = target.format();
    if (format != QImage::Format_ARGB32_Premultiplied)
        target.convertTo(QImage::Format_ARGB32_Premultiplied);
    const double stageScale = std::sqrt(std::abs(toTarget.determinant())) * 20;
    runOnRasterThread([&] { FramePainter(target, *dictionary, options, stageScale).paint(*list, toTarget); });
    if (format != QImage::Format_ARGB32_Premultiplied)
        target.convertTo(format);
}

} // namespace swf
