#include "swf/render/BlendMode.h"

#include <algorithm>
#include <cstdlib>

namespace swf {

namespace {

// Channels are premultiplied 0..255. A separable mode is written as the
// term αs·αb·B(Cb, Cs) of the general rule
//     co = cs·(1 − αb) + cb·(1 − αs) + αs·αb·B(Cb, Cs)
// in 255² units, so that each stays in integers without unpremultiplying.
using Term = int (*)(int cs, int cb, int as, int ab);

int normalTerm(int cs, int, int, int ab) { return cs * ab; }
int multiplyTerm(int cs, int cb, int, int) { return cs * cb; }
int screenTerm(int cs, int cb, int as, int ab) { return cs * ab + cb * as - cs * cb; }
int lightenTerm(int cs, int cb, int as, int ab) { return std::max(cs * ab, cb * as); }
int darkenTerm(int cs, int cb, int as, int ab) { return std::min(cs * ab, cb * as); }
int differenceTerm(int cs, int cb, int as, int ab) { return std::abs(cs * ab - cb * as); }
int subtractTerm(int cs, int cb, int as, int ab) { return std::max(0, cb * as - cs * ab); }

// Multiply where `decider` is dark, screen (of doubled values) where it is light.
int hardLightOf(int cs, int cb, int as, int ab, bool darkSide)
{
    if (darkSide)
        return 2 * cs * cb;
    return as * ab - 2 * (ab - cb) * (as - cs);
}
int overlayTerm(int cs, int cb, int as, int ab) { return hardLightOf(cs, cb, as, ab, 2 * cb <= ab); }
int hardLightTerm(int cs, int cb, int as, int ab) { return hardLightOf(cs, cb, as, ab, 2 * cs <= as); }

Term termFor(BlendMode mode)
{
    switch (mode) {
    case BlendMode::Multiply: return multiplyTerm;
    case BlendMode::Screen: return screenTerm;
    case BlendMode::Lighten: return lightenTerm;
    case BlendMode::Darken: return darkenTerm;
    case BlendMode::Difference: return differenceTerm;
    case BlendMode::Subtract: return subtractTerm;
    case BlendMode::Overlay: return overlayTerm;
    case BlendMode::HardLight: return hardLightTerm;
    case BlendMode::Normal:
    case BlendMode::Layer:
    case BlendMode::Alpha:
    case BlendMode::Erase:
    case BlendMode::Add:
    case BlendMode::Invert:
        break;
    }
    return normalTerm;
}

inline int divide255(int value) { return (value + 127) / 255; }

inline QRgb scaled(QRgb pixel, int factor)
{
    return qRgba(divide255(qRed(pixel) * factor), divide255(qGreen(pixel) * factor), divide255(qBlue(pixel) * factor),
                 divide255(qAlpha(pixel) * factor));
}

QRgb blend(QRgb source, QRgb backdrop, Term term)
{
    const int as = qAlpha(source);
    const int ab = qAlpha(backdrop);
    const int ao = as + ab - divide255(as * ab);
    const auto channel = [&](int cs, int cb) {
        const int value = cs * (255 - ab) + cb * (255 - as) + term(cs, cb, as, ab);
        return std::clamp(divide255(value), 0, ao);
    };
    return qRgba(channel(qRed(source), qRed(backdrop)), channel(qGreen(source), qGreen(backdrop)),
                 channel(qBlue(source), qBlue(backdrop)), ao);
}

// Add sums the premultiplied pixels outright: half-covered colours reach
// full strength together instead of stopping at their combined coverage.
// Coverage sums too, which keeps every colour within its alpha.
QRgb add(QRgb source, QRgb backdrop)
{
    const auto sum = [](int a, int b) { return std::min(255, a + b); };
    return qRgba(sum(qRed(source), qRed(backdrop)), sum(qGreen(source), qGreen(backdrop)),
                 sum(qBlue(source), qBlue(backdrop)), sum(qAlpha(source), qAlpha(backdrop)));
}

// The object's colour plays no part; its coverage decides how far the
// backdrop turns to its complement. The complement is taken of the
// premultiplied value, so a see-through backdrop turns white.
QRgb invert(QRgb source, QRgb backdrop)
{
    const int as = qAlpha(source);
    const int ab = qAlpha(backdrop);
    const auto channel = [as](int cb) { return divide255(cb * (255 - as) + (255 - cb) * as); };
    return qRgba(channel(qRed(backdrop)), channel(qGreen(backdrop)), channel(qBlue(backdrop)),
                 as + ab - divide255(as * ab));
}

QImage premultipliedCopy(const QImage& image)
{
    return image.format() == QImage::Format_ARGB32_Premultiplied
               ? image
               : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

BlendMode blendModeFromByte(std::uint8_t value)
{
    // 0 and anything past the last known mode draw as normal.
    if (value < std::uint8_t(BlendMode::Normal) || value > std::uint8_t(BlendMode::HardLight))
        return BlendMode::Normal;
    return BlendMode(value);
}

void compositeLayer(QImage& dest, const QImage& layer, BlendMode mode, QPoint at)
{
    if (dest.isNull() || layer.isNull())
        return;
    if (dest.format() != QImage::Format_ARGB32_Premultiplied)
        dest.convertTo(QImage::Format_ARGB32_Premultiplied);
    const QImage source = premultipliedCopy(layer);
    const QRect overlap = QRect(at, source.size()) & dest.rect();
    if (mode == BlendMode::Alpha) {
        // Where the layer has nothing, its alpha is 0, and so becomes the
        // backdrop's.
        for (int y = 0; y < dest.height(); ++y) {
            auto* out = reinterpret_cast<QRgb*>(dest.scanLine(y));
            const bool rowInside = y >= overlap.top() && y <= overlap.bottom();
            for (int x = 0; x < dest.width(); ++x)
                if (!rowInside || x < overlap.left() || x > overlap.right())
                    out[x] = 0;
        }
    }
    if (overlap.isEmpty())
        return;
    const Term term = termFor(mode);
    for (int y = overlap.top(); y <= overlap.bottom(); ++y) {
        auto* out = reinterpret_cast<QRgb*>(dest.scanLine(y)) + overlap.left();
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y - at.y())) + (overlap.left() - at.x());
        for (int x = 0; x < overlap.width(); ++x) {
            const QRgb s = in[x];
            const int as = qAlpha(s);
            switch (mode) {
            case BlendMode::Alpha:
                out[x] = scaled(out[x], as);
                break;
            case BlendMode::Erase:
                out[x] = scaled(out[x], 255 - as);
                break;
            case BlendMode::Add:
                out[x] = add(s, out[x]);
                break;
            case BlendMode::Invert:
                if (as != 0)
                    out[x] = invert(s, out[x]);
                break;
            case BlendMode::Normal:
            case BlendMode::Layer:
                if (as == 255)
                    out[x] = s;
                else if (as != 0)
                    out[x] = blend(s, out[x], term);
                break;
            default:
                // An uncovered pixel leaves the backdrop as it is in every mode.
                if (as != 0)
                    out[x] = blend(s, out[x], term);
                break;
            }
        }
    }
}

} // namespace swf
