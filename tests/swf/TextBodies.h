#pragma once

// Tag bodies for the font and text tests: glyph shapes, DefineFont2/3 and
// friends, built field by field with the in-tree writer.

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "support/SwfWriter.h"
#include "swf/Matrix.h"

namespace texttest {

using Bytes = std::vector<std::uint8_t>;

inline void put8(Bytes& out, std::uint8_t v) { out.push_back(v); }
inline void put16(Bytes& out, std::uint16_t v)
{
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}
inline void put32(Bytes& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(v >> (8 * i)));
}
inline void putBytes(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }
inline void putString(Bytes& out, const std::string& s)
{
    out.insert(out.end(), s.begin(), s.end());
    out.push_back(0);
}

inline void straightEdge(swftest::BitWriter& bits, std::int32_t dx, std::int32_t dy)
{
    const unsigned n = std::max(2u, swftest::BitWriter::signedBits({dx, dy}));
    bits.ub(1, 1).ub(1, 1).ub(n - 2, 4).ub(1, 1).sb(dx, n).sb(dy, n);
}

inline void curvedEdge(swftest::BitWriter& bits, std::int32_t cdx, std::int32_t cdy, std::int32_t adx, std::int32_t ady)
{
    const unsigned n = std::max(2u, swftest::BitWriter::signedBits({cdx, cdy, adx, ady}));
    bits.ub(1, 1).ub(0, 1).ub(n - 2, 4).sb(cdx, n).sb(cdy, n).sb(adx, n).sb(ady, n);
}

inline void moveTo(swftest::BitWriter& bits, std::int32_t x, std::int32_t y)
{
    const unsigned n = swftest::BitWriter::signedBits({x, y});
    // Style change: move and fill 0, with one fill bit.
    bits.ub(0, 1).ub(0b00011, 5).ub(n, 5).sb(x, n).sb(y, n).ub(1, 1);
}

// A SHAPE with one fill bit: a square from (x, y) of side `side`, in font units.
inline Bytes squareGlyph(std::int32_t x, std::int32_t y, std::int32_t side)
{
    swftest::BitWriter bits;
    bits.ub(1, 4).ub(0, 4);
    moveTo(bits, x, y);
    straightEdge(bits, side, 0);
    straightEdge(bits, 0, side);
    straightEdge(bits, -side, 0);
    straightEdge(bits, 0, -side);
    bits.ub(0, 6);
    return bits.finish();
}

// A glyph with a curved top: base from (0,0) to (w,0), arching up to -h.
inline Bytes archGlyph(std::int32_t w, std::int32_t h)
{
    swftest::BitWriter bits;
    bits.ub(1, 4).ub(0, 4);
    moveTo(bits, 0, 0);
    straightEdge(bits, w, 0);
    curvedEdge(bits, 0, -2 * h, -w, 2 * h); // the anchor counts from the control point
    bits.ub(0, 6);
    return bits.finish();
}

inline Bytes emptyGlyph()
{
    swftest::BitWriter bits;
    bits.ub(1, 4).ub(0, 4).ub(0, 6);
    return bits.finish();
}

struct FontDesign {
    std::string name = "Test";
    std::uint8_t flags = 0; // bold 0x01, italic 0x02, small 0x20, ansi 0x10, shift-jis 0x40
    bool wideOffsets = false;
    bool wideCodes = true;
    std::vector<Bytes> glyphs;
    std::vector<std::uint16_t> codes;
    bool layout = false;
    std::uint16_t ascent = 0;
    std::uint16_t descent = 0;
    std::int16_t leading = 0;
    std::vector<std::int16_t> advances;
    std::vector<std::tuple<std::uint16_t, std::uint16_t, std::int16_t>> kerning;
};

// DefineFont2 or DefineFont3, after the font id.
inline Bytes fontBody(const FontDesign& design)
{
    Bytes body;
    std::uint8_t flags = design.flags;
    if (design.layout)
        flags |= 0x80;
    if (design.wideOffsets)
        flags |= 0x08;
    if (design.wideCodes)
        flags |= 0x04;
    put8(body, flags);
    put8(body, 0); // language
    put8(body, std::uint8_t(design.name.size()));
    body.insert(body.end(), design.name.begin(), design.name.end());
    put16(body, std::uint16_t(design.glyphs.size()));

    const std::size_t offsetSize = design.wideOffsets ? 4 : 2;
    std::size_t offset = (design.glyphs.size() + 1) * offsetSize;
    Bytes shapes;
    for (const auto& glyph : design.glyphs) {
        design.wideOffsets ? put32(body, std::uint32_t(offset)) : put16(body, std::uint16_t(offset));
        offset += glyph.size();
        putBytes(shapes, glyph);
    }
    design.wideOffsets ? put32(body, std::uint32_t(offset)) : put16(body, std::uint16_t(offset));
    putBytes(body, shapes);
    for (std::uint16_t code : design.codes)
        design.wideCodes ? put16(body, code) : put8(body, std::uint8_t(code));
    if (design.layout) {
        put16(body, design.ascent);
        put16(body, design.descent);
        put16(body, std::uint16_t(design.leading));
        for (std::int16_t advance : design.advances)
            put16(body, std::uint16_t(advance));
        for (std::size_t i = 0; i < design.glyphs.size(); ++i)
            putBytes(body, swftest::BitWriter().ub(0, 5).finish()); // empty RECT, no bits a field
        put16(body, std::uint16_t(design.kerning.size()));
        for (const auto& [left, right, adjust] : design.kerning) {
            design.wideCodes ? put16(body, left) : put8(body, std::uint8_t(left));
            design.wideCodes ? put16(body, right) : put8(body, std::uint8_t(right));
            put16(body, std::uint16_t(adjust));
        }
    }
    return body;
}

// A font whose every glyph is a square filling its advance up to the
// ascent, so text layout and painting can be checked by arithmetic:
// a character at height h is h/2 wide and h/2 tall; the space has no outline.
inline FontDesign blockFont(std::u16string characters = u"abc*")
{
    FontDesign design;
    design.name = "Blocks";
    design.layout = true;
    design.ascent = 800;
    design.descent = 224;
    for (char16_t c : characters) {
        design.glyphs.push_back(squareGlyph(0, -512, 512));
        design.codes.push_back(c);
        design.advances.push_back(512);
    }
    design.glyphs.push_back(emptyGlyph());
    design.codes.push_back(u' ');
    design.advances.push_back(512);
    return design;
}

// DefineText and DefineText2 records, as the writer states them.
struct TextRecord {
    std::optional<std::uint16_t> font;
    std::optional<swf::Color> color;
    std::optional<std::int16_t> x;
    std::optional<std::int16_t> y;
    std::uint16_t height = 0;
    std::vector<std::pair<std::uint32_t, std::int32_t>> glyphs;
};

inline Bytes textBody(swf::Rect bounds, const std::vector<TextRecord>& records, bool rgba, swf::Matrix matrix = {})
{
    swftest::BitWriter header;
    header.ub(15, 5).sb(bounds.xMin, 15).sb(bounds.xMax, 15).sb(bounds.yMin, 15).sb(bounds.yMax, 15);
    Bytes body = header.finish();
    swftest::BitWriter m;
    const bool scaled = matrix.a != 1 || matrix.d != 1;
    m.ub(scaled, 1);
    if (scaled)
        m.ub(20, 5).sb(std::int32_t(matrix.a * 65536), 20).sb(std::int32_t(matrix.d * 65536), 20);
    m.ub(0, 1).ub(16, 5).sb(std::int32_t(matrix.tx), 16).sb(std::int32_t(matrix.ty), 16);
    putBytes(body, m.finish());
    const unsigned glyphBits = 6;
    const unsigned advanceBits = 12;
    put8(body, glyphBits);
    put8(body, advanceBits);
    for (const TextRecord& r : records) {
        put8(body, std::uint8_t(0x80 | (r.font ? 0x08 : 0) | (r.color ? 0x04 : 0) | (r.y ? 0x02 : 0) | (r.x ? 0x01 : 0)));
        if (r.font)
            put16(body, *r.font);
        if (r.color) {
            body.insert(body.end(), {r.color->r, r.color->g, r.color->b});
            if (rgba)
                put8(body, r.color->a);
        }
        if (r.x)
            put16(body, std::uint16_t(*r.x));
        if (r.y)
            put16(body, std::uint16_t(*r.y));
        if (r.font)
            put16(body, r.height);
        put8(body, std::uint8_t(r.glyphs.size()));
        swftest::BitWriter entries;
        for (const auto& [index, advance] : r.glyphs)
            entries.ub(index, glyphBits).sb(advance, advanceBits);
        putBytes(body, entries.finish());
    }
    put8(body, 0);
    return body;
}

} // namespace texttest
