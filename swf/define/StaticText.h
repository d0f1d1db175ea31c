#pragma once

// DefineText and DefineText2: runs of glyphs already placed by the authoring
// tool, each run in one font, size and colour.

#include <cstdint>
#include <span>
#include <vector>

#include "swf/Color.h"
#include "swf/Header.h"
#include "swf/Matrix.h"
#include "swf/read/Result.h"

namespace swf {

struct GlyphEntry {
    std::uint32_t index = 0;  // into the run's font
    std::int32_t advance = 0; // twips to the next glyph's origin
};

// A run carries the state in force when it starts, with what earlier
// records set already carried forward: font, colour and pen position.
struct TextRun {
    std::uint16_t fontId = 0;
    bool hasFont = false; // false until some record names a font
    std::uint16_t height = 0; // twips
    Color color;
    std::int32_t x = 0; // pen position of the first glyph, twips
    std::int32_t y = 0; // baseline
    std::vector<GlyphEntry> glyphs;
};

struct StaticText {
    Rect bounds;
    Matrix matrix;
    std::vector<TextRun> runs;
};

// DefineText (11, RGB colours) and DefineText2 (33, RGBA), after the id.
Result<StaticText> readStaticText(std::uint16_t tagCode, std::span<const std::uint8_t> bodyAfterId);

} // namespace swf
