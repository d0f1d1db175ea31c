#pragma once

// The characters a static text shows, read back from its glyphs through
// each font's code table, for script that searches and selects the text
// an author placed on the timeline.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <QRectF>

#include "swf/define/Font.h"
#include "swf/define/StaticText.h"

namespace swf {

struct StaticCharacter {
    char16_t code = 0;
    // The glyph's cell, from its origin to the next glyph's across and a
    // text height above its baseline, in the text's space (twips).
    QRectF box;
    bool startsLine = false; // the first of a line below the one before
};

using StaticFontLookup = std::function<std::shared_ptr<const Font>(std::uint16_t)>;

// In record order. A glyph whose font is missing or has no code for it is
// left out, as it stands for no character script could ask for.
std::vector<StaticCharacter> staticCharacters(const StaticText& text, const StaticFontLookup& fonts);

} // namespace swf
