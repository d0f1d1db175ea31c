#pragma once

// The yellow rectangle drawn round the object that has keyboard focus:
// a band of fixed width just inside the object's bounds, over everything
// the stage shows.

#include <QPainter>
#include <QRectF>
#include <QTransform>

namespace swf {

// `stageRect` in the main movie's twips, which `toDevice` maps onto the
// painter's target.
void paintFocusRect(QPainter& painter, const QRectF& stageRect, const QTransform& toDevice);

} // namespace swf
