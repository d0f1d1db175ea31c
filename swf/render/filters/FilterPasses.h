#pragma once

// One function per filter type, each transforming a premultiplied layer in
// place; applyFilters() picks among them.

#include <QImage>

#include "swf/render/Filter.h"

namespace swf::filters {

void applyBlur(QImage& layer, const Filter& filter, double scaleX, double scaleY);
void applyDropShadow(QImage& layer, const Filter& filter, double scaleX, double scaleY);
void applyGlow(QImage& layer, const Filter& filter, double scaleX, double scaleY);
void applyBevel(QImage& layer, const Filter& filter, double scaleX, double scaleY);
void applyGradientGlow(QImage& layer, const Filter& filter, double scaleX, double scaleY);
void applyGradientBevel(QImage& layer, const Filter& filter, double scaleX, double scaleY);
void applyColorMatrix(QImage& layer, const Filter& filter);
void applyConvolution(QImage& layer, const Filter& filter);

} // namespace swf::filters
