#include "swf/media/AlphaPlane.h"

#include <algorithm>

#include "swf/media/Inflate.h"

namespace swf {

namespace {

// The exporter stores the colour already multiplied by the plane's alpha
// (in the reference player a half-transparent red over blue comes out near
// (128,0,128), not (64,0,128)); a channel above its alpha is held to it.
int heldTo(int channel, int alpha) { return std::min(channel, alpha); }

} // namespace

Result<QImage> applyAlphaPlane(QImage opaque, std::span<const std::uint8_t> compressed)
{
    if (compressed.empty())
        return opaque;
    const std::size_t width = std::size_t(opaque.width());
    auto plane = inflateExactly(compressed, width * std::size_t(opaque.height()));
    if (!plane)
        return Result<QImage>::failure("alpha plane: " + plane.error());
    QImage image = opaque.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return Result<QImage>::failure("alpha plane: no memory for the pixels");
    for (int y = 0; y < image.height(); ++y) {
        const std::uint8_t* alpha = plane.value().data() + std::size_t(y) * width;
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (std::size_t x = 0; x < width; ++x) {
            const int a = alpha[x];
            const QRgb p = row[x];
            row[x] = qRgba(heldTo(qRed(p), a), heldTo(qGreen(p), a), heldTo(qBlue(p), a), a);
        }
    }
    return image;
}

} // namespace swf
