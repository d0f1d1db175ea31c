#pragma once

// Where two frames of a movie can differ on the target. A frame's outline
// (`FrameOutline`) keeps, for every object it shows, what its drawing
// depends on and where on the target its pixels can land; comparing the
// outline of what a target holds with the outline of the frame to come
// gives the areas to draw again, the rest of the target being right as it
// is. Objects are matched by their identity, so an object that moved
// damages where it was and where it is, and one that stayed put costs
// nothing however much moved around it.

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include <QRect>
#include <QRegion>
#include <QTransform>

#include "swf/Color.h"
#include "swf/ColorTransform.h"
#include "swf/Matrix.h"
#include "swf/runtime/RenderList.h"

namespace swf {

// What a frame drawn onto a target was drawn with, beyond its objects.
struct OutlineSetting {
    QSize size;
    QTransform toTarget;
    double stageScale = 1;
    int quality = 0;
    Color background;
    const Dictionary* dictionary = nullptr;
    std::size_t characters = 0;

    bool operator==(const OutlineSetting&) const = default;
};

struct FrameOutline {
    struct Entry {
        std::uint64_t objectId = 0;
        std::uint64_t parentId = 0;
        int depth = 0;
        // Everything of the object's own that its pixels depend on.
        const Character* character = nullptr;
        const void* filters = nullptr;
        // Held, so that a later layout or drawing cannot take its address
        // and pass for it.
        std::shared_ptr<const void> text;
        std::shared_ptr<const void> drawing;
        Matrix matrix;
        ColorTransform colorTransform;
        std::uint16_t ratio = 0;
        std::uint16_t clipDepth = 0;
        std::uint8_t blendMode = 0;
        bool visible = true;
        bool scalingGrid = false;
        // Script's masks: the mask this object is drawn through, and
        // whether it serves as one. A mask that moves or changes damages
        // its own bounds, the only place where what it masks can change.
        std::uint64_t maskId = 0;
        bool scriptMask = false;
        // Where its pixels, and those of what it holds, can land.
        QRect bounds;
    };

    OutlineSetting setting;
    std::vector<Entry> entries; // in drawing order
    // The frame drawn from it went without something over its budget: the
    // next frame may draw it where nothing changed.
    bool leftOut = false;
    // Where the focus rectangle's pixels can land; empty for none.
    QRect focusRect;
};

class FrameDamage {
public:
    // The outline of `list` drawn under `setting`.
    std::shared_ptr<FrameOutline> outline(const RenderList& list, const OutlineSetting& setting);

    struct Damage {
        bool whole = false;
        std::vector<QRect> rects; // within the target; none: nothing changed
    };
    // Where a target holding `before` must be drawn again to show `after`,
    // in at most `maxRects` rectangles: the whole target when the two were
    // drawn under different settings.
    static Damage between(const FrameOutline& before, const FrameOutline& after, int maxRects);

    // At most `maxRects` rectangles within `target` covering `rects`,
    // merged where that adds the least area, for drawing each apart.
    static std::vector<QRect> coveringRects(std::vector<QRect> rects, const QRect& target, int maxRects);

private:
    struct Extent {
        QRectF box; // twips
        double scalingLine = 0;    // widest line that scales, twips
        double fixedLine = 0;      // widest line that does not, twips
        double miter = 1;          // the largest share of a line's width a join reaches
    };
    static Extent extentFrom(const ShapeGeometry& geometry);
    // A shape definition's, kept.
    const Extent& extentOf(std::shared_ptr<const void> owner, const ShapeGeometry& geometry);
    QRectF linedBounds(const QTransform& transform, const QRectF& box, double scalingLine, double fixedLine, double miter) const;
    QRectF subtree(const RenderList& list, std::uint32_t index, std::uint64_t parentId, const QTransform& transform,
                   const QMargins& reach, FrameOutline& outline);

    OutlineSetting m_setting;
    // Shapes' extents from their geometry, which may reach past the bounds
    // the file gives; the geometry is held while its extent is.
    struct Cached {
        std::shared_ptr<const void> owner; // what keeps the geometry
        Extent extent;
    };
    std::unordered_map<const ShapeGeometry*, Cached> m_extents;
    const Dictionary* m_extentsOf = nullptr;
};

} // namespace swf
