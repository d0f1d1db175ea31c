#pragma once

#include <QImage>

// The corpus rule for comparing a rendered frame with its reference: a pixel
// matches when each of R, G, B lies within `tolerance` of the reference
// pixel, or within `tolerance` of the range the reference takes in that
// pixel's 3x3 neighbourhood (so a shifted anti-aliased edge still matches,
// while missing or wrongly coloured content does not). An image passes when
// the sizes agree and at most `maxBadFraction` of its pixels fail.
struct ImageComparison {
    bool sameSize = false;
    double badFraction = 1.0;
    bool passes(double maxBadFraction = 0.001) const { return sameSize && badFraction <= maxBadFraction; }
};

// Both images are taken as opaque RGB; a reference with alpha is laid over white first.
ImageComparison compareImages(const QImage& rendered, const QImage& reference, int tolerance = 3);
