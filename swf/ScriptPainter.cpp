#include "swf/ScriptPainter.h"

#include <algorithm>

#include "swf/render/Filter.h"
#include "swf/render/FramePainter.h"
#include "swf/runtime/RenderList.h"
#include "swf/runtime/Stage.h"
#include "swf/script/StageHost.h"

namespace swf {

namespace {

// A colour transform over premultiplied pixels.
void transformPixels(QImage& image, const ColorTransform& cxform)
{
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb plain = qUnpremultiply(line[x]);
            const Color c = cxform.apply({std::uint8_t(qRed(plain)), std::uint8_t(qGreen(plain)), std::uint8_t(qBlue(plain)),
                                          std::uint8_t(qAlpha(plain))});
            line[x] = qPremultiply(qRgba(c.r, c.g, c.b, c.a));
        }
    }
}

bool drawClip(const Stage& stage, const SpriteInstance& clip, QImage& target, const QTransform& toTarget, const ColorTransform& cxform,
              bool smoothing)
{
    RenderList list;
    buildClipRenderList(stage, clip, list);
    RenderScratch scratch;
    RenderOptions options;
    options.quality = smoothing ? Quality::Best : Quality::High;
    if (cxform.isIdentity()) {
        FramePainter painter(target, list, options, 1, scratch);
        painter.setReports(false);
        painter.paint(toTarget);
        return true;
    }
    // The transform applies to the clip drawn whole, as to a layer.
    QImage layer(target.size(), QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull())
        return false;
    layer.fill(Qt::transparent);
    FramePainter painter(layer, list, options, 1, scratch);
    painter.setReports(false);
    painter.paint(toTarget);
    transformPixels(layer, cxform);
    QPainter onto(&target);
    onto.drawImage(0, 0, layer);
    return true;
}

} // namespace

void installScriptPainter(script::StageHost& host, const Stage& stage)
{
    script::StageHost::Painter painter;
    painter.drawClip = [&stage](const SpriteInstance& clip, QImage& target, const QTransform& toTarget, const ColorTransform& cxform,
                                bool smoothing) { return drawClip(stage, clip, target, toTarget, cxform, smoothing); };
    painter.applyFilter = [](QImage& layer, const Filter& filter) {
        applyFilters(layer, {filter}, 1, 1);
        return true;
    };
    host.setPainter(std::move(painter));
}

} // namespace swf
