#pragma once

// Draws a display list onto an image: objects in depth order, masks over
// the depths they cover, and blend modes and filters through layers. Plain
// objects draw straight onto the target.

#include <QImage>
#include <QPainter>
#include <QTransform>

#include "swf/ColorTransform.h"
#include "swf/render/RenderOptions.h"
#include "swf/define/Dictionary.h"
#include "swf/runtime/Clip.h"

namespace swf {

class FramePainter {
public:
    // `target` must be Format_ARGB32_Premultiplied. `stageScale` is device
    // pixels per movie pixel, which filters are measured in.
    FramePainter(QImage& target, const Dictionary& dictionary, const RenderOptions& options, double stageScale);

    void paint(const DisplayList& list, const QTransform& toDevice);

private:
    using Iterator = DisplayList::const_iterator;

    void paintRange(QImage& surface, QPainter& painter, Iterator first, Iterator last, const QTransform& transform,
                    const ColorTransform& cxform, int nesting, bool coverage);
    void paintObject(QImage& surface, QPainter& painter, const DisplayObject& object, const QTransform& parentTransform,
                     const ColorTransform& parentCxform, int nesting, bool coverage);
    void paintLayered(QImage& surface, QPainter& painter, const DisplayObject& object, const QTransform& transform,
                      const ColorTransform& cxform, int nesting);
    void paintContent(QImage& surface, QPainter& painter, const DisplayObject& object, const QTransform& transform,
                      const ColorTransform& cxform, int nesting, bool coverage);

    bool paintScaledGrid(QPainter& painter, const DisplayObject& object, const QTransform& transform, const ColorTransform& cxform,
                         bool coverage);
    QImage blankLayer(QSize size) const;
    void prepare(QPainter& painter) const;

    QImage& m_target;
    const Dictionary& m_dictionary;
    RenderOptions m_options;
    double m_stageScale;
    int m_layers = 0;
};

} // namespace swf
