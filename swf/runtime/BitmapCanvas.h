#pragma once

// The pixels of a bitmap script made (BitmapData): unpremultiplied ARGB,
// as script reads and writes them. What shows on stage is a snapshot taken
// once per change, so that a frame drawn on another thread never sees a
// half-done edit and a thousand setPixel calls cost one conversion.

#include <cstdint>
#include <memory>
#include <vector>

#include <QImage>

#include "swf/define/MemoryBudget.h"

namespace swf {

class BitmapDefinition;
class DisplayObject;

class BitmapCanvas final : public MemoryBudget::Entry {
public:
    // A null canvas when the pixels cannot be had.
    BitmapCanvas(int width, int height, bool transparent, std::uint32_t fill);
    explicit BitmapCanvas(QImage pixels, bool transparent);
    ~BitmapCanvas() override;
    BitmapCanvas(const BitmapCanvas&) = delete;
    BitmapCanvas& operator=(const BitmapCanvas&) = delete;

    // Counts the pixels against `budget` while the canvas holds them;
    // false, with nothing counted, when they do not fit.
    bool chargeTo(std::shared_ptr<MemoryBudget> budget);
    // Script's pixels cannot be decoded again: they stay.
    bool tryRelease() override { return false; }

    bool isNull() const { return m_pixels.isNull(); }
    int width() const { return m_pixels.width(); }
    int height() const { return m_pixels.height(); }
    bool transparent() const { return m_transparent; }
    std::size_t bytes() const { return std::size_t(m_pixels.sizeInBytes()); }

    // Format_ARGB32. Whoever writes through it calls changed() after.
    QImage& pixels() { return m_pixels; }
    const QImage& pixels() const { return m_pixels; }
    std::uint32_t pixel(int x, int y) const { return reinterpret_cast<const std::uint32_t*>(m_pixels.constScanLine(y))[x]; }
    void setPixel(int x, int y, std::uint32_t argb) { reinterpret_cast<std::uint32_t*>(m_pixels.scanLine(y))[x] = argb; }

    // Lets go of the pixels, as dispose() does.
    void dispose();
    // Tells the stages showing the canvas to draw it again.
    void changed();
    // The pixels as a bitmap character, premultiplied; null once disposed.
    std::shared_ptr<const BitmapDefinition> snapshot() const;
    // `viewer` shows this canvas from now on.
    void addViewer(const std::shared_ptr<DisplayObject>& viewer);

private:
    QImage m_pixels;
    bool m_transparent;
    std::shared_ptr<MemoryBudget> m_budget;
    mutable std::shared_ptr<const BitmapDefinition> m_snapshot;
    std::vector<std::weak_ptr<DisplayObject>> m_viewers;
};

} // namespace swf
