#include "swf/media/LosslessDecoder.h"

#include <algorithm>
#include <array>
#include <string>

#include "swf/media/BitmapDecoder.h"
#include "swf/media/Inflate.h"
#include "swf/read/ByteReader.h"

namespace swf {

namespace {

enum Format : std::uint8_t {
    ColorMapped = 3,
    Pix15 = 4,
    Pix24 = 5,
};

Result<QImage> refuse(std::string reason) { return Result<QImage>::failure("lossless bitmap: " + std::move(reason)); }

// Lossless2 colours are stored premultiplied already. A channel above its
// alpha cannot come from a real premultiplied source and would overflow
// when composited, so it is held to the alpha.
QRgb premultiplied(unsigned r, unsigned g, unsigned b, unsigned a)
{
    return qRgba(int(std::min(r, a)), int(std::min(g, a)), int(std::min(b, a)), int(a));
}

unsigned widen5(unsigned v) { return (v << 3) | (v >> 2); }

std::size_t paddedRow(std::size_t bytes) { return (bytes + 3) & ~std::size_t(3); }

} // namespace

Result<QImage> decodeLossless(std::span<const std::uint8_t> body, LosslessAlpha alpha)
{
    ByteReader reader(body);
    const auto format = reader.u8();
    const auto width = reader.u16();
    const auto height = reader.u16();
    if (!format || !width || !height)
        return refuse("header is cut short");
    const bool hasAlpha = alpha == LosslessAlpha::Premultiplied;
    std::size_t tableEntries = 0;
    std::size_t pixelBytes = 0;
    switch (*format) {
    case ColorMapped: {
        const auto last = reader.u8();
        if (!last)
            return refuse("colour table size is missing");
        tableEntries = std::size_t(*last) + 1;
        pixelBytes = 1;
        break;
    }
    case Pix15:
        if (hasAlpha)
            return refuse("15-bit pixels have no alpha form");
        pixelBytes = 2;
        break;
    case Pix24:
        pixelBytes = 4;
        break;
    default:
        return refuse("unknown format " + std::to_string(*format));
    }
    if (!bitmapSizeAllowed(*width, *height))
        return refuse("size " + std::to_string(*width) + "x" + std::to_string(*height) + " is refused");

    const std::size_t entryBytes = hasAlpha ? 4 : 3;
    const std::size_t tableBytes = tableEntries * entryBytes;
    const std::size_t rowBytes = paddedRow(*width * pixelBytes);
    auto inflated = inflateExactly(reader.rest(), tableBytes + rowBytes * *height);
    if (!inflated)
        return refuse(inflated.error());
    const std::uint8_t* const data = inflated.value().data();

    // Indices past the table's end show nothing.
    std::array<QRgb, 256> palette {};
    for (std::size_t i = 0; i < tableEntries; ++i) {
        const std::uint8_t* e = data + i * entryBytes;
        palette[i] = hasAlpha ? premultiplied(e[0], e[1], e[2], e[3]) : qRgb(e[0], e[1], e[2]);
    }

    QImage image(*width, *height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return refuse("no memory for the pixels");
    const int w = *width;
    for (int y = 0; y < image.height(); ++y) {
        const std::uint8_t* src = data + tableBytes + std::size_t(y) * rowBytes;
        QRgb* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        switch (*format) {
        case ColorMapped:
            for (int x = 0; x < w; ++x)
                dst[x] = palette[src[x]];
            break;
        case Pix15:
            for (int x = 0; x < w; ++x, src += 2) {
                const unsigned v = unsigned(src[0]) << 8 | src[1];
                dst[x] = qRgb(int(widen5((v >> 10) & 31)), int(widen5((v >> 5) & 31)), int(widen5(v & 31)));
            }
            break;
        case Pix24:
            for (int x = 0; x < w; ++x, src += 4)
                dst[x] = hasAlpha ? premultiplied(src[1], src[2], src[3], src[0]) : qRgb(src[1], src[2], src[3]);
            break;
        }
    }
    return image;
}

} // namespace swf
