#include <algorithm>
#include <cstdint>

#include "swf/render/Filter.h"
#include "swf/render/filters/Blur.h"
#include "swf/render/filters/Effect.h"
#include "swf/render/filters/FilterPasses.h"

namespace swf {

namespace {

// The reference player turns filters off for a layer past these, and so
// do we: it bounds what a frame can cost.
constexpr int kMaxLayerSide = 8191;
constexpr std::int64_t kMaxLayerPixels = 16'777'215;

int capped(int margin) { return std::min(margin, kMaxLayerSide); }

QMargins marginsOf(const Filter& filter, double scaleX, double scaleY)
{
    using namespace filters;
    const BlurSize blur = blurSize(filter, scaleX, scaleY);
    const int spreadX = blurSpreadX(blur);
    const int spreadY = blurSpreadY(blur);
    switch (filter.type) {
    case FilterType::Blur:
        return {spreadX, spreadY, spreadX, spreadY};
    case FilterType::DropShadow:
    case FilterType::Glow:
    case FilterType::GradientGlow: {
        if (placementOf(filter) == Placement::Inner)
            return {};
        // A glow's record has no offset, whatever a script put in the struct.
        const QPoint offset = filter.type == FilterType::Glow ? QPoint() : effectOffset(filter, scaleX, scaleY);
        return {std::max(0, spreadX - offset.x()), std::max(0, spreadY - offset.y()),
                std::max(0, spreadX + offset.x()), std::max(0, spreadY + offset.y())};
    }
    case FilterType::Bevel:
    case FilterType::GradientBevel: {
        if (placementOf(filter) == Placement::Inner)
            return {};
        // Highlight and shadow are offset in opposite directions.
        const QPoint offset = effectOffset(filter, scaleX, scaleY);
        const int x = spreadX + std::abs(offset.x());
        const int y = spreadY + std::abs(offset.y());
        return {x, y, x, y};
    }
    case FilterType::Convolution:
    case FilterType::ColorMatrix:
        break;
    }
    return {};
}

} // namespace

QMargins filterMargins(const std::vector<Filter>& filters, double scaleX, double scaleY)
{
    // Each filter works on what the previous ones drew, so the reaches add.
    QMargins total;
    for (const Filter& filter : filters) {
        const QMargins m = marginsOf(filter, scaleX, scaleY);
        total = QMargins(capped(total.left() + m.left()), capped(total.top() + m.top()),
                         capped(total.right() + m.right()), capped(total.bottom() + m.bottom()));
    }
    return total;
}

void applyFilters(QImage& layer, const std::vector<Filter>& filters, double scaleX, double scaleY)
{
    using namespace filters;
    if (layer.isNull() || filters.empty() || layer.width() > kMaxLayerSide || layer.height() > kMaxLayerSide
        || std::int64_t(layer.width()) * layer.height() > kMaxLayerPixels)
        return;
    if (layer.format() != QImage::Format_ARGB32_Premultiplied)
        layer.convertTo(QImage::Format_ARGB32_Premultiplied);
    for (const Filter& filter : filters) {
        switch (filter.type) {
        case FilterType::DropShadow:
            applyDropShadow(layer, filter, scaleX, scaleY);
            break;
        case FilterType::Blur:
            applyBlur(layer, filter, scaleX, scaleY);
            break;
        case FilterType::Glow:
            applyGlow(layer, filter, scaleX, scaleY);
            break;
        case FilterType::Bevel:
            applyBevel(layer, filter, scaleX, scaleY);
            break;
        case FilterType::GradientGlow:
            applyGradientGlow(layer, filter, scaleX, scaleY);
            break;
        case FilterType::Convolution:
            applyConvolution(layer, filter);
            break;
        case FilterType::ColorMatrix:
            applyColorMatrix(layer, filter);
            break;
        case FilterType::GradientBevel:
            applyGradientBevel(layer, filter, scaleX, scaleY);
            break;
        }
    }
}

} // namespace swf
