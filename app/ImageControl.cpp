#include "app/ImageControl.h"

#include <QMouseEvent>

namespace app {

ImageControl::ImageControl(const QPixmap& picture, QWidget* parent)
    : QLabel(parent)
{
    setPixmap(picture);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setMouseTracking(true);
}

void ImageControl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Click();
    QLabel::mouseReleaseEvent(event);
}

void ImageControl::mouseMoveEvent(QMouseEvent* event)
{
    emit MouseMove();
    QLabel::mouseMoveEvent(event);
}

void ImageControl::enterEvent(QEnterEvent* event)
{
    emit MouseMove();
    QLabel::enterEvent(event);
}

} // namespace app
