#pragma once

#include <QRect>

namespace platform {

// Window geometry is designed in twips, 1/1440 inch; at the logical 96 dpi
// that is 15 twips to the pixel.
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kLogicalDpi = 96;

constexpr int twipsToPixels(int twips)
{
    // Round half away from zero, so that negative positions mirror positive ones.
    const int scaled = twips * kLogicalDpi;
    return scaled >= 0 ? (scaled + kTwipsPerInch / 2) / kTwipsPerInch : -((-scaled + kTwipsPerInch / 2) / kTwipsPerInch);
}

constexpr int pixelsToTwips(int pixels)
{
    return pixels * kTwipsPerInch / kLogicalDpi;
}

constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

} // namespace platform
