#include "swf/ScriptPainter.h"

#include <algorithm>

#include "swf/render/Filter.h"
#include "swf/render/FramePainter.h"
#include "swf/runtime/HitTest.h"
#include "swf/runtime/RenderList.h"
#include "swf/runtime/Stage.h"
#include "swf/script/StageHost.h"

namespace swf {

namespace {

// A colour transform over premultiplied pixels; its offsets colour only
// what the clip covers.
void transformPixels(QImage& image, const ColorTransform& cxform)
{
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) == 0)
                continue;
            const QRgb plain = qUnpremultiply(line[x]);
            const Color c = cxform.apply({std::uint8_t(qRed(plain)), std::uint8_t(qGreen(plain)), std::uint8_t(qBlue(plain)),
                                          std::uint8_t(qAlpha(plain))});
            line[x] = qPremultiply(qRgba(c.r, c.g, c.b, c.a));
        }
    }
}

// The clip's own mask, set by script, cuts what is drawn as it cuts the
// clip on the stage: placed where it stands relative to the clip.
bool applyOwnMask(const Stage& stage, const SpriteInstance& clip, QImage& layer, const QTransform& toTarget, const RenderOptions& options,
                  RenderScratch& scratch)
{
    const auto* mask = dynamic_cast<const SpriteInstance*>(clip.scriptMask());
    if (!mask)
        return true;
    QImage coverage(layer.size(), QImage::Format_ARGB32_Premultiplied);
    if (coverage.isNull())
        return false;
    coverage.fill(Qt::transparent);
    const QTransform clipToStage = stageMatrix(clip).toTransform();
    const QTransform maskToTarget = stageMatrix(*mask).toTransform() * clipToStage.inverted() * toTarget;
    RenderList list;
    buildClipRenderList(stage, *mask, list);
    FramePainter painter(coverage, list, options, 1, scratch);
    painter.setReports(false);
    painter.paint(maskToTarget);
    QPainter cut(&layer);
    cut.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    cut.drawImage(0, 0, coverage);
    return true;
}

bool drawClip(const Stage& stage, const SpriteInstance& clip, QImage& target, const QTransform& toTarget, const ColorTransform& cxform,
              bool smoothing)
{
    // A clip serving as another's mask is never drawn itself, here as on
    // the stage.
    if (clip.isScriptMask())
        return true;
    RenderList list;
    buildClipRenderList(stage, clip, list);
    RenderScratch scratch;
    RenderOptions options;
    options.quality = smoothing ? Quality::Best : Quality::High;
    if (cxform.isIdentity() && !clip.scriptMask()) {
        FramePainter painter(target, list, options, 1, scratch);
        painter.setReports(false);
        painter.paint(toTarget);
        return true;
    }
    // The transform and the mask apply to the clip drawn whole, as to a
    // layer.
    QImage layer(target.size(), QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull())
        return false;
    layer.fill(Qt::transparent);
    FramePainter painter(layer, list, options, 1, scratch);
    painter.setReports(false);
    painter.paint(toTarget);
    if (!cxform.isIdentity())
        transformPixels(layer, cxform);
    if (!applyOwnMask(stage, clip, layer, toTarget, options, scratch))
        return false;
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
