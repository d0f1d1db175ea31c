#include "app/Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace app::artwork {

namespace {

const QColor kDeep(0x20, 0x28, 0x70);
const QColor kBlue(0x80, 0x80, 0xFF);
const QColor kPale(0xD8, 0xDC, 0xFF);
const QColor kLit(0xFF, 0xC8, 0x40);

void fillVertical(QPainter& p, QSize size, const QColor& top, const QColor& bottom)
{
    QLinearGradient gradient(0, 0, 0, size.height());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    p.fillRect(QRect(QPoint(0, 0), size), gradient);
}

void fillHorizontal(QPainter& p, QSize size, const QColor& left, const QColor& right)
{
    QLinearGradient gradient(0, 0, size.width(), 0);
    gradient.setColorAt(0, left);
    gradient.setColorAt(1, right);
    p.fillRect(QRect(QPoint(0, 0), size), gradient);
}

void drawBanner(QPainter& p, QSize size)
{
    fillHorizontal(p, size, kDeep, kBlue);
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setBold(true);
    // The window's controls cover the lower half; the lettering stays above them.
    const QRect band(12, 0, size.width() / 2, size.height() / 2);
    font.setPixelSize(band.height() * 3 / 4);
    p.setFont(font);
    p.drawText(band, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("T V K"));
    font.setPixelSize(band.height() / 3);
    font.setBold(false);
    p.setFont(font);
    p.drawText(band.adjusted(band.height() * 3, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Tovimark movie player"));
}

// A round button face with a glyph; lit faces glow.
void drawButton(QPainter& p, QSize size, bool lit, const QPainterPath& glyph)
{
    const QRectF face = QRectF(QPointF(0, 0), size).adjusted(2, 2, -2, -2);
    QRadialGradient shine(face.center() - QPointF(face.width() / 5, face.height() / 5), face.width() * 0.7);
    shine.setColorAt(0, lit ? kLit.lighter(130) : kPale);
    shine.setColorAt(1, lit ? kLit.darker(120) : kBlue.darker(140));
    p.setPen(QPen(kDeep, 1.5));
    p.setBrush(shine);
    p.drawEllipse(face);
    p.setPen(Qt::NoPen);
    p.setBrush(lit ? kDeep : Qt::white);
    p.drawPath(glyph);
}

QPainterPath playGlyph(QSizeF s)
{
    QPainterPath path;
    path.moveTo(s.width() * 0.40, s.height() * 0.30);
    path.lineTo(s.width() * 0.70, s.height() * 0.50);
    path.lineTo(s.width() * 0.40, s.height() * 0.70);
    path.closeSubpath();
    return path;
}

QPainterPath stopGlyph(QSizeF s)
{
    QPainterPath path;
    path.addRect(QRectF(s.width() * 0.35, s.height() * 0.35, s.width() * 0.30, s.height() * 0.30));
    return path;
}

QPainterPath rewindGlyph(QSizeF s)
{
    QPainterPath path;
    for (qreal x : {0.30, 0.50}) {
        path.moveTo(s.width() * (x + 0.20), s.height() * 0.32);
        path.lineTo(s.width() * x, s.height() * 0.50);
        path.lineTo(s.width() * (x + 0.20), s.height() * 0.68);
        path.closeSubpath();
    }
    return path;
}

QPainterPath forwardGlyph(QSizeF s)
{
    QPainterPath path;
    for (qreal x : {0.30, 0.50}) {
        path.moveTo(s.width() * x, s.height() * 0.32);
        path.lineTo(s.width() * (x + 0.20), s.height() * 0.50);
        path.lineTo(s.width() * x, s.height() * 0.68);
        path.closeSubpath();
    }
    return path;
}

} // namespace

QPixmap draw(Piece piece, QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QSizeF s(size);
    switch (piece) {
    case Piece::Banner: drawBanner(p, size); break;
    case Piece::BottomPanel: fillVertical(p, size, kBlue, kDeep); break;
    case Piece::LeftBar: fillHorizontal(p, size, kDeep, kBlue); break;
    case Piece::RightBar: fillHorizontal(p, size, kBlue, kDeep); break;
    case Piece::Divider: fillHorizontal(p, size, kBlue, kPale); break;
    case Piece::FileStrip:
        fillVertical(p, size, kPale, kBlue);
        p.setPen(kDeep);
        p.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, QStringLiteral("Movies"));
        break;
    case Piece::HiddenStrip: fillHorizontal(p, size, kDeep, kPale); break;
    case Piece::PlayButton: drawButton(p, size, false, playGlyph(s)); break;
    case Piece::PlayButtonLit: drawButton(p, size, true, playGlyph(s)); break;
    case Piece::StopButton: drawButton(p, size, false, stopGlyph(s)); break;
    case Piece::StopButtonLit: drawButton(p, size, true, stopGlyph(s)); break;
    case Piece::Button3: drawButton(p, size, false, rewindGlyph(s)); break;
    case Piece::Button3Lit: drawButton(p, size, true, rewindGlyph(s)); break;
    case Piece::Button4: drawButton(p, size, false, forwardGlyph(s)); break;
    case Piece::Button4Lit: drawButton(p, size, true, forwardGlyph(s)); break;
    }
    return pixmap;
}

QIcon windowIcon()
{
    QIcon icon;
    for (int side : {16, 32, 48, 64})
        icon.addPixmap(draw(Piece::PlayButton, QSize(side, side)));
    return icon;
}

QImage iconImage(int side)
{
    return draw(Piece::PlayButton, QSize(side, side)).toImage();
}

} // namespace app::artwork
