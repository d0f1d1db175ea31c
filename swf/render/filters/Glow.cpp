#include "swf/render/filters/FilterPasses.h"

namespace swf::filters {

// A glow is a shadow that stays where the object is.
void applyGlow(QImage& layer, const Filter& filter, double scaleX, double scaleY)
{
    Filter unmoved = filter;
    unmoved.distance = 0;
    applyDropShadow(layer, unmoved, scaleX, scaleY);
}

} // namespace swf::filters
