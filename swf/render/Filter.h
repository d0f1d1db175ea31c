#pragma once

// What bitmap filters do to a layer.

#include <vector>

#include <QImage>
#include <QMargins>

#include "swf/read/FilterRecord.h"

namespace swf {

// How far the filters may draw outside the layer's content, in device
// pixels for the given scale from movie pixels to device pixels.
QMargins filterMargins(const std::vector<Filter>& filters, double scaleX, double scaleY);

// Applies the filters in order to a Format_ARGB32_Premultiplied layer that
// already has filterMargins() of room around its content.
void applyFilters(QImage& layer, const std::vector<Filter>& filters, double scaleX, double scaleY);

} // namespace swf
