#pragma once

// Draws what a render list holds onto an image: objects in depth order,
// masks over the depths they cover, and blend modes and filters through
// layers. Plain objects draw straight onto the target.

#include <mutex>
#include <optional>

#include <QImage>
#include <QPainter>
#include <QTransform>

#include "swf/ColorTransform.h"
#include "swf/render/RenderOptions.h"
#include "swf/render/RenderScratch.h"
#include "swf/render/ShapePainter.h"
#include "swf/render/TextPainter.h"
#include "swf/runtime/RenderList.h"

namespace swf {

class FramePainter {
public:
    // `target` must be Format_ARGB32_Premultiplied. `stageScale` is device
    // pixels per movie pixel, which filters are measured in.
    FramePainter(QImage& target, const RenderList& list, const RenderOptions& options, double stageScale, RenderScratch& scratch);

    // Draws only the target's pixels within `clip`, leaving the rest as
    // they are; each comes out as a draw of the whole target leaves it, so
    // that parts drawn apart (on several threads at once, or the parts of a
    // frame that changed) make up the very same image. `sharedDrawing` is
    // held while Qt draws from what the definitions share, when other
    // painters draw the same list at the same time.
    void setClip(const QRect& clip, std::mutex* sharedDrawing = nullptr);
    // Whether this painter tells the list's diagnostics what it left out:
    // one of the painters of a frame is enough.
    void setReports(bool reports) { m_reports = reports; }

    void paint(const QTransform& toDevice);

    // Whether the frame went without something over its budget, which the
    // next frame may afford.
    bool leftOut() const { return m_filtersSkipped || m_morphsSkipped || m_bitmapsSkipped || m_scratch.edgesSkipped; }

private:
    void paintRange(QImage& surface, QPainter& painter, std::uint32_t first, std::uint32_t last, const QTransform& transform,
                    const ColorTransform& cxform, bool coverage);
    void paintObject(QImage& surface, QPainter& painter, std::uint32_t index, const QTransform& parentTransform,
                     const ColorTransform& parentCxform, bool coverage);
    void paintLayered(QImage& surface, QPainter& painter, std::uint32_t index, const QTransform& transform,
                      const ColorTransform& cxform);
    void paintPlain(QImage& surface, QPainter& painter, std::uint32_t index, const QTransform& transform,
                    const ColorTransform& cxform);
    void paintScriptMasked(QImage& surface, QPainter& painter, std::uint32_t index, const QTransform& transform,
                           const ColorTransform& cxform);
    void paintContent(QImage& surface, QPainter& painter, std::uint32_t index, const QTransform& transform,
                      const ColorTransform& cxform, bool coverage);

    bool paintScaledGrid(QPainter& painter, std::uint32_t index, const QTransform& transform, const ColorTransform& cxform,
                         bool coverage);
    QRectF deviceBounds(std::uint32_t index, const QTransform& transform) const;
    bool outsideClip(const std::optional<ShapeReach>& reach, const QTransform& transform) const;
    std::shared_ptr<const ShapeGeometry> morphGeometry(const RenderNode& node);
    bool affordable(const BitmapDefinition& bitmap);
    void report(const std::string& message, bool& reported);
    QImage blankLayer(QSize size) const;
    void prepare(QPainter& painter) const;
    ShapePaintOptions shapeOptions(bool coverage) const;
    std::unique_lock<std::mutex> lockShared() const;
    // The bitmaps a node's shapes fill with: those of its own movie.
    BitmapLookup bitmapsOf(const RenderNode& node);

    QImage& m_target;
    const RenderList& m_list;
    RenderOptions m_options;
    double m_stageScale;
    RenderScratch& m_scratch;
    BitmapLookup m_bitmaps;
    FontLookup m_fonts;
    int m_layers = 0;
    // In the coordinates of the surface being drawn on; null: all of it.
    QRect m_clip;
    std::mutex* m_sharedDrawing = nullptr;
    bool m_reports = true;
    // Where the surface being drawn on sits in the target's pixels, and how
    // far the filters of the layers it is in can carry a pixel onto it.
    QPoint m_surfaceOrigin;
    QMargins m_reach;
    // Where the main movie's coordinates land on the target.
    QTransform m_toDevice;
    // What this frame has spent so far, and whether it went without.
    double m_filterWork = 0;
    std::size_t m_morphEdges = 0;
    std::int64_t m_decodedPixels = 0;
    bool m_filtersSkipped = false;
    bool m_morphsSkipped = false;
    bool m_bitmapsSkipped = false;
};

} // namespace swf
