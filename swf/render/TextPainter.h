#pragma once

// Draws static and edit text. The painter arrives mapping the character's
// twips to device pixels; text matrices and glyph scale are applied here.

#include <cstdint>
#include <functional>

#include <QPainter>

#include "swf/ColorTransform.h"
#include "swf/define/EditText.h"
#include "swf/define/Font.h"
#include "swf/define/StaticText.h"

namespace swf {

using FontLookup = std::function<const Font*(std::uint16_t)>;

void paintStaticText(QPainter& painter, const StaticText& text, const FontLookup& fonts, const ColorTransform& cx);
void paintEditText(QPainter& painter, const EditText& field, const FontLookup& fonts, const ColorTransform& cx);

} // namespace swf
