#pragma once

// What the stage shows at one moment, copied out of the display tree for
// the renderer: a flat list in drawing order, each node followed by the
// nodes of what it holds. It shares the definitions it draws, so it stays
// valid while the tree moves on and the movie goes on loading; a frame can
// be drawn on another thread from it.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <QRectF>
#include <QImage>

#include "swf/ColorTransform.h"
#include "swf/Header.h"
#include "swf/Matrix.h"
#include "swf/define/Dictionary.h"
#include "swf/runtime/ClipDrawing.h"
#include "swf/text/TextLayout.h"

namespace swf {

class SpriteInstance;
class Stage;

struct RenderNode {
    enum class Kind : std::uint8_t { Shape, MorphShape, Bitmap, StaticText, EditText, Container, Video };

    Kind kind = Kind::Shape;
    bool visible = true;
    std::uint8_t blendMode = 0; // as stored
    std::uint16_t clipDepth = 0;
    std::uint16_t ratio = 0;
    // Serves script as another object's mask: drawn only through that one.
    bool scriptMask = false;
    // The node of the object script masks this one with, kNoMask for none,
    // and where the mask's parent puts it on the main movie.
    static constexpr std::uint32_t kNoMask = UINT32_MAX;
    std::uint32_t maskIndex = kNoMask;
    Matrix maskParentMatrix;
    int depth = 0;
    // One past the last node of what this one holds.
    std::uint32_t end = 0;
    // The object's identity, so that two lists can be compared.
    std::uint64_t objectId = 0;
    Matrix matrix;
    // The object's own; a first-kind button's DefineButtonCxform is in it.
    ColorTransform colorTransform;
    std::shared_ptr<const Character> character;
    std::shared_ptr<const std::vector<Filter>> filters; // null: none
    std::shared_ptr<const TextLayout> text;             // edit text only
    std::optional<ScalingGrid> scalingGrid;             // containers only
    std::shared_ptr<const DrawnShape> drawing;          // sprites script drew into
    std::shared_ptr<const QImage> picture;              // videos only; null: nothing shows
    // The dictionary of the loaded movie the object came from, for the
    // bitmaps and fonts its definition names; null: the list's own.
    std::shared_ptr<const Dictionary> dictionary;
    bool smoothing = false;                             // videos only
};

struct RenderList {
    // The main movie's children and everything below them.
    std::vector<RenderNode> nodes;
    // What script drew into the main movie, below everything else.
    std::shared_ptr<const DrawnShape> rootDrawing;
    std::uint64_t rootId = 0;
    // For what nodes name by id: bitmap fills, fonts.
    std::shared_ptr<const Dictionary> dictionary;
    // Where drawing tells what it had to leave out.
    std::shared_ptr<Diagnostics> diagnostics;
    // The stage's version this was taken at.
    std::uint64_t version = 0;
    // Where the focus rectangle goes, in the main movie's twips, over
    // everything else.
    std::optional<QRectF> focusRect;

    void clear();
};

// Copies what the stage shows into `list`, reusing its storage.
void buildRenderList(const Stage& stage, RenderList& list);
// The same for one clip and what it holds, the clip standing in for the
// main movie, at its own origin (BitmapData.draw).
void buildClipRenderList(const Stage& stage, const SpriteInstance& clip, RenderList& list);

} // namespace swf
