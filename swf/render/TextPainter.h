#pragma once

// Draws static and edit text. The painter arrives mapping the character's
// twips to device pixels; text matrices and glyph scale are applied here.

#include <cstdint>
#include <functional>
#include <memory>

#include <QPainter>

#include "swf/ColorTransform.h"
#include "swf/define/EditText.h"
#include "swf/define/Font.h"
#include "swf/define/StaticText.h"
#include "swf/text/TextLayout.h"

namespace swf {

// Static text names its fonts by id; what the lookup hands out stays valid
// while it is held, whatever the movie loads meanwhile.
using FontLookup = std::function<std::shared_ptr<const Font>(std::uint16_t)>;

void paintStaticText(QPainter& painter, const StaticText& text, const FontLookup& fonts, const ColorTransform& cx);
// A field as laid out for its current text.
void paintEditText(QPainter& painter, const TextLayout& layout, const ColorTransform& cx);
// The same field where it serves as a mask, drawn in `coverage`.
void paintEditTextMask(QPainter& painter, const TextLayout& layout, const ColorTransform& coverage);

} // namespace swf
