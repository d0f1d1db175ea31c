#include "about/AboutArtwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace about::artwork {

namespace {

const QColor kDeep(0x20, 0x28, 0x70);
const QColor kBlue(0x80, 0x80, 0xFF);
const QColor kPale(0xD8, 0xDC, 0xFF);

// Fingertip of the hand, in cursor pixels.
constexpr QPoint kHotSpot(10, 1);

} // namespace

QPixmap picture()
{
    QPixmap pixmap(kPictureSize);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    const QRectF film(8, 10, kPictureSize.width() - 16, kPictureSize.height() - 20);
    QLinearGradient shade(film.topLeft(), film.bottomRight());
    shade.setColorAt(0, kDeep);
    shade.setColorAt(1, kBlue);
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawRoundedRect(film, 6, 6);

    // Sprocket holes along both edges.
    p.setBrush(Qt::white);
    for (qreal x = film.left() + 6; x + 6 < film.right(); x += 11) {
        p.drawRect(QRectF(x, film.top() + 4, 6, 6));
        p.drawRect(QRectF(x, film.bottom() - 10, 6, 6));
    }

    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(26);
    p.setFont(font);
    p.setPen(kPale);
    p.drawText(film, Qt::AlignCenter, QStringLiteral("TVK"));
    return pixmap;
}

QCursor linkCursor()
{
    QPixmap pixmap(kCursorSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    QPainterPath hand;
    hand.addRoundedRect(QRectF(8, 0.5, 5, 16), 2.5, 2.5);    // pointing finger
    hand.addRoundedRect(QRectF(8, 12, 16, 14), 4, 4);        // palm and folded fingers
    hand.addRoundedRect(QRectF(3, 14, 7, 5), 2.5, 2.5);      // thumb
    hand.setFillRule(Qt::WindingFill);
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(Qt::white);
    p.drawPath(hand.simplified());
    p.end();
    return QCursor(pixmap, kHotSpot.x(), kHotSpot.y());
}

} // namespace about::artwork
