#include "swf/runtime/BitmapCanvas.h"

#include <algorithm>

#include "swf/define/Definitions.h"
#include "swf/runtime/DisplayObject.h"
#include "swf/runtime/Stage.h"

namespace swf {

BitmapCanvas::BitmapCanvas(int width, int height, bool transparent, std::uint32_t fill)
    : m_transparent(transparent)
{
    if (width <= 0 || height <= 0)
        return;
    m_pixels = QImage(width, height, QImage::Format_ARGB32);
    // Out of memory leaves a null image, which callers refuse.
    if (!m_pixels.isNull())
        m_pixels.fill(transparent ? fill : (fill | 0xFF000000u));
}

BitmapCanvas::BitmapCanvas(QImage pixels, bool transparent)
    : m_pixels(pixels.convertToFormat(QImage::Format_ARGB32))
    , m_transparent(transparent)
{
}

BitmapCanvas::~BitmapCanvas()
{
    if (m_budget)
        m_budget->release(*this);
}

bool BitmapCanvas::chargeTo(std::shared_ptr<MemoryBudget> budget)
{
    if (!budget || !budget->charge(*this, bytes()))
        return false;
    m_budget = std::move(budget);
    return true;
}

void BitmapCanvas::dispose()
{
    m_pixels = QImage();
    if (m_budget)
        m_budget->release(*this);
    m_budget.reset();
    changed();
}

void BitmapCanvas::changed()
{
    m_snapshot.reset();
    std::erase_if(m_viewers, [](const std::weak_ptr<DisplayObject>& viewer) { return viewer.expired(); });
    for (const auto& viewer : m_viewers) {
        if (const auto shown = viewer.lock())
            shown->stage().markChanged();
    }
}

std::shared_ptr<const BitmapDefinition> BitmapCanvas::snapshot() const
{
    if (m_pixels.isNull())
        return nullptr;
    if (!m_snapshot)
        m_snapshot = std::make_shared<const BitmapDefinition>(m_pixels.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    return m_snapshot;
}

void BitmapCanvas::addViewer(const std::shared_ptr<DisplayObject>& viewer)
{
    m_viewers.push_back(viewer);
}

} // namespace swf
