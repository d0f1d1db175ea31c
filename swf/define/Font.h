#pragma once

// An embedded font: glyph outlines in font units, the code each glyph
// stands for, and the layout a text field needs to set lines with it.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include <QPainterPath>

#include "swf/Header.h"
#include "swf/read/Result.h"

namespace swf {

struct KerningPair {
    std::uint16_t left = 0; // codes, not glyph indices
    std::uint16_t right = 0;
    std::int16_t adjustment = 0; // font units
};

// Where a glyph's stems sit, so small text can snap them to whole pixels.
struct GlyphAlignZones {
    struct Zone {
        float position = 0; // font units
        float size = 0;
    };
    std::vector<Zone> zones; // the x zone first, then the y zone, as stored
    bool alignX = false;
    bool alignY = false;
};

struct Font {
    // 1024 units an em for DefineFont and DefineFont2, 20480 for DefineFont3.
    double emSquare = 1024;

    std::string name; // as stored: UTF-8 from version 6, the system code page before
    std::string copyright;
    bool bold = false;
    bool italic = false;
    bool smallText = false;
    bool ansi = false;
    bool shiftJis = false;
    std::uint8_t languageCode = 0;
    bool unicodeCodes = true; // false: codes are ANSI or Shift-JIS bytes

    // One entry per glyph in each of these, except where a table is absent
    // (DefineFont has no codes until a DefineFontInfo arrives, and no layout).
    std::vector<QPainterPath> glyphs;
    std::vector<std::uint16_t> codes;
    std::vector<double> advances; // font units
    std::vector<Rect> glyphBounds;

    bool hasLayout = false;
    double ascent = 0; // font units
    double descent = 0;
    double leading = 0;
    std::vector<KerningPair> kerning;

    std::uint8_t alignHint = 0; // thin, medium or thick strokes: 0, 1, 2
    std::vector<GlyphAlignZones> alignZones;

    // The glyph drawn for a character code, looked up through the index
    // rebuildCodeIndex() keeps; nothing if the font has no such code.
    std::optional<std::size_t> glyphForCode(std::uint16_t code) const;
    double kerningBetween(std::uint16_t leftCode, std::uint16_t rightCode) const; // font units
    // A font that names a device font instead of carrying outlines.
    bool hasOutlines() const;
    void rebuildCodeIndex();

private:
    std::vector<std::pair<std::uint16_t, std::uint32_t>> m_codeIndex; // sorted by code
};

// DefineFont (10), DefineFont2 (48) and DefineFont3 (75), after the font id.
Result<Font> readFont(std::uint16_t tagCode, std::span<const std::uint8_t> bodyAfterId, std::uint8_t swfVersion);
// DefineFontInfo (13) and DefineFontInfo2 (62): a name, style and the code
// table for a DefineFont. A body that does not fit leaves the font as it was.
void applyFontInfo(Font& font, std::uint16_t tagCode, std::span<const std::uint8_t> bodyAfterId);
// DefineFontAlignZones (73).
void applyAlignZones(Font& font, std::span<const std::uint8_t> bodyAfterId);
// DefineFontName (88): the display name and copyright line.
void applyFontName(Font& font, std::span<const std::uint8_t> bodyAfterId);

} // namespace swf
