#include "swf/Renderer.h"

#include <QColor>

#include <cmath>

#include "swf/render/FramePainter.h"
#include "swf/render/RasterThread.h"

namespace swf {

void Renderer::render(const StageFrame& frame, QImage& target, const RenderOptions& options)
{
    if (!frame.hasMovie || target.isNull())
        return;
    // The stage colour is opaque whatever the tag says: the letterbox and
    // the stage must read as one surface.
    target.fill(QColor(frame.background.r, frame.background.g, frame.background.b));
    if (frame.list.nodes.empty())
        return;
    Header header;
    header.frameSize = frame.frameRect;
    QTransform toTarget = stageTransform(header, target.size(), options.scale);
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
    runOnRasterThread([&] { FramePainter(target, frame.list, options, stageScale, m_scratch).paint(toTarget); });
    if (format != QImage::Format_ARGB32_Premultiplied)
        target.convertTo(format);
}

void Renderer::render(const Player& player, QImage& target, const RenderOptions& options)
{
    player.captureFrame(m_frame);
    render(m_frame, target, options);
}

void render(const Player& player, QImage& target, const RenderOptions& options)
{
    Renderer().render(player, target, options);
}

} // namespace swf
