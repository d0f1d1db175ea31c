#include "swf/render/FocusRect.h"

#include <algorithm>

#include <QPainterPath>

namespace swf {

namespace {

// Three pixels of the movie, as the reference player draws it.
constexpr double kBandTwips = 60;
constexpr QRgb kFocusYellow = 0xffffff00;

} // namespace

void paintFocusRect(QPainter& painter, const QRectF& stageRect, const QTransform& toDevice)
{
    const QRectF outer = stageRect.normalized();
    if (outer.isEmpty())
        return;
    // A band wider than half the object fills it.
    const double band = std::min({kBandTwips, outer.width() / 2, outer.height() / 2});
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addRect(outer);
    path.addRect(outer.adjusted(band, band, -band, -band));
    painter.save();
    painter.setTransform(toDevice);
    painter.fillPath(path, QColor::fromRgba(kFocusYellow));
    painter.restore();
}

} // namespace swf
