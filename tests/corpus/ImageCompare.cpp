#include "ImageCompare.h"

#include <QPainter>

#include <algorithm>

namespace {

QImage opaque(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    return flat;
}

} // namespace

ImageComparison compareImages(const QImage& rendered, const QImage& reference, int tolerance)
{
    ImageComparison result;
    if (rendered.size() != reference.size() || reference.isNull())
        return result;
    result.sameSize = true;
    const QImage ren = opaque(rendered);
    const QImage ref = opaque(reference);
    const int w = ref.width();
    const int h = ref.height();
    qint64 bad = 0;
    for (int y = 0; y < h; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(ren.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb got = line[x];
            const QRgb want = ref.pixel(x, y);
            const int channelsGot[3] = {qRed(got), qGreen(got), qBlue(got)};
            const int channelsWant[3] = {qRed(want), qGreen(want), qBlue(want)};
            bool good = true;
            for (int c = 0; c < 3 && good; ++c) {
                if (std::abs(channelsGot[c] - channelsWant[c]) <= tolerance)
                    continue;
                int lo = 255;
                int hi = 0;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        const QRgb n = ref.pixel(std::clamp(x + dx, 0, w - 1), std::clamp(y + dy, 0, h - 1));
                        const int v = c == 0 ? qRed(n) : c == 1 ? qGreen(n) : qBlue(n);
                        lo = std::min(lo, v);
                        hi = std::max(hi, v);
                    }
                }
                good = channelsGot[c] >= lo - tolerance && channelsGot[c] <= hi + tolerance;
            }
            bad += good ? 0 : 1;
        }
    }
    result.badFraction = double(bad) / double(qint64(w) * h);
    return result;
}
