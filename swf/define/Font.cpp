#include "swf/define/Font.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "swf/define/ShapeRecords.h"
#include "swf/read/ByteReader.h"
#include "swf/read/Records.h"
#include "swf/read/TagCode.h"

namespace swf {

namespace {

constexpr std::uint16_t kDefineFont = +TagCode::DefineFont;
constexpr std::uint16_t kDefineFont2 = +TagCode::DefineFont2;
constexpr std::uint16_t kDefineFont3 = +TagCode::DefineFont3;
constexpr std::uint16_t kDefineFontInfo2 = +TagCode::DefineFontInfo2;

// Glyphs are drawn with one fill and no lines; the outline's direction does
// not matter because the reference fills them even-odd.
QPainterPath glyphPath(std::span<const std::uint8_t> shapeBytes)
{
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    ByteReader reader(shapeBytes);
    const auto records = readShape(reader, 1);
    if (!records)
        return path;
    double x = 0;
    double y = 0;
    path.moveTo(0, 0);
    for (const auto& record : *records) {
        if (const auto* change = std::get_if<StyleChange>(&record)) {
            if (change->moveTo) {
                x = change->moveTo->first;
                y = change->moveTo->second;
                path.moveTo(x, y);
            }
        } else if (const auto* line = std::get_if<StraightEdge>(&record)) {
            x += line->dx;
            y += line->dy;
            path.lineTo(x, y);
        } else if (const auto* curve = std::get_if<CurvedEdge>(&record)) {
            const double cx = x + curve->controlDx;
            const double cy = y + curve->controlDy;
            x = cx + curve->anchorDx;
            y = cy + curve->anchorDy;
            path.quadTo(cx, cy, x, y);
        }
    }
    return path;
}

std::string storedName(std::span<const std::uint8_t> bytes)
{
    std::string name(bytes.begin(), bytes.end());
    // Authoring tools often count a terminating zero in the length.
    while (!name.empty() && name.back() == '\0')
        name.pop_back();
    return name;
}

// Glyph i runs from its offset to the next one; the last runs to `end`.
// An offset outside [tableSize, end] or running backwards gives an empty glyph.
std::vector<QPainterPath> readGlyphs(std::span<const std::uint8_t> table, const std::vector<std::uint32_t>& offsets,
                                     std::size_t tableSize, std::size_t end)
{
    std::vector<QPainterPath> glyphs;
    glyphs.reserve(offsets.size());
    end = std::min(end, table.size());
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        const std::size_t from = offsets[i];
        const std::size_t to = i + 1 < offsets.size() ? std::min<std::size_t>(offsets[i + 1], end) : end;
        if (from < tableSize || from >= to) {
            glyphs.emplace_back();
            continue;
        }
        glyphs.push_back(glyphPath(table.subspan(from, to - from)));
    }
    return glyphs;
}

Result<Font> readDefineFont(std::span<const std::uint8_t> body)
{
    ByteReader reader(body);
    const auto first = reader.u16();
    if (!first)
        return Result<Font>::failure("font has no offset table");
    const std::size_t count = *first / 2;
    if (count * 2 > body.size())
        return Result<Font>::failure("font offset table runs past the body");
    std::vector<std::uint32_t> offsets {*first};
    for (std::size_t i = 1; i < count; ++i)
        offsets.push_back(*reader.u16());
    Font font;
    font.glyphs = readGlyphs(body, offsets, count * 2, body.size());
    return font;
}

void readLayout(ByteReader& reader, Font& font, std::size_t glyphCount, bool wideCodes)
{
    const auto ascent = reader.u16();
    const auto descent = reader.u16();
    const auto leading = reader.s16();
    if (!leading)
        return;
    if (glyphCount * 2 > reader.remaining())
        return;
    std::vector<double> advances;
    advances.reserve(glyphCount);
    for (std::size_t i = 0; i < glyphCount; ++i)
        advances.push_back(*reader.s16());
    // Every RECT is at least one byte.
    if (glyphCount > reader.remaining())
        return;
    std::vector<Rect> bounds;
    bounds.reserve(glyphCount);
    for (std::size_t i = 0; i < glyphCount; ++i) {
        const auto rect = readRect(reader);
        if (!rect)
            return;
        bounds.push_back(*rect);
    }
    font.hasLayout = true;
    font.ascent = *ascent;
    font.descent = *descent;
    font.leading = *leading;
    font.advances = std::move(advances);
    font.glyphBounds = std::move(bounds);

    const auto kerningCount = reader.u16();
    const std::size_t pairSize = wideCodes ? 6 : 4;
    if (!kerningCount || *kerningCount * pairSize > reader.remaining())
        return;
    font.kerning.reserve(*kerningCount);
    for (std::size_t i = 0; i < *kerningCount; ++i) {
        KerningPair pair;
        pair.left = wideCodes ? *reader.u16() : *reader.u8();
        pair.right = wideCodes ? *reader.u16() : *reader.u8();
        pair.adjustment = *reader.s16();
        font.kerning.push_back(pair);
    }
}

Result<Font> readDefineFont2(std::uint16_t tagCode, std::span<const std::uint8_t> body)
{
    ByteReader reader(body);
    const auto flags = reader.u8();
    const auto language = reader.u8();
    const auto nameLength = reader.u8();
    if (!nameLength)
        return Result<Font>::failure("font header cut short");
    const auto nameBytes = reader.bytes(*nameLength);
    const auto glyphCount = reader.u16();
    if (!glyphCount)
        return Result<Font>::failure("font header cut short");

    Font font;
    font.emSquare = tagCode == kDefineFont3 ? 20480 : 1024;
    font.name = storedName(*nameBytes);
    font.languageCode = *language;
    const bool hasLayout = *flags & 0x80;
    font.shiftJis = *flags & 0x40;
    font.smallText = *flags & 0x20;
    font.ansi = *flags & 0x10;
    const bool wideOffsets = *flags & 0x08;
    const bool wideCodes = *flags & 0x04;
    font.italic = *flags & 0x02;
    font.bold = *flags & 0x01;

    // Offsets count from the start of the offset table.
    const std::span<const std::uint8_t> table = reader.rest();
    const std::size_t offsetSize = wideOffsets ? 4 : 2;
    if (std::size_t(*glyphCount) * offsetSize > table.size())
        return Result<Font>::failure("font offset table runs past the body");
    std::vector<std::uint32_t> offsets;
    offsets.reserve(*glyphCount);
    for (std::size_t i = 0; i < *glyphCount; ++i)
        offsets.push_back(wideOffsets ? *reader.u32() : *reader.u16());
    const std::size_t tableSize = std::size_t(*glyphCount) * offsetSize;
    const auto codeTableOffset = wideOffsets ? reader.u32() : std::optional<std::uint32_t>(reader.u16());
    if (!codeTableOffset || reader.failed()) {
        // Device fonts with no glyphs may end right here.
        if (*glyphCount == 0)
            return font;
        return Result<Font>::failure("font has no code table offset");
    }
    const std::size_t shapesStart = tableSize + offsetSize;
    const std::size_t codeStart = std::max<std::size_t>(*codeTableOffset, shapesStart);
    font.glyphs = readGlyphs(table, offsets, shapesStart, std::min<std::size_t>(codeStart, table.size()));

    if (*codeTableOffset < shapesStart || *codeTableOffset > table.size())
        return font; // glyphs by index still draw static text
    ByteReader codes(table.subspan(*codeTableOffset));
    const std::size_t codeSize = wideCodes ? 2 : 1;
    if (std::size_t(*glyphCount) * codeSize > codes.remaining())
        return font;
    font.codes.reserve(*glyphCount);
    for (std::size_t i = 0; i < *glyphCount; ++i)
        font.codes.push_back(wideCodes ? *codes.u16() : *codes.u8());
    font.rebuildCodeIndex();
    if (hasLayout)
        readLayout(codes, font, *glyphCount, wideCodes);
    return font;
}

float halfToFloat(std::uint16_t half)
{
    const std::uint32_t sign = std::uint32_t(half & 0x8000) << 16;
    const std::uint32_t exponent = (half >> 10) & 0x1F;
    std::uint32_t mantissa = half & 0x3FF;
    std::uint32_t bits = 0;
    if (exponent == 0) {
        if (mantissa == 0) {
            bits = sign;
        } else {
            int e = -1;
            do {
                ++e;
                mantissa <<= 1;
            } while (!(mantissa & 0x400));
            bits = sign | std::uint32_t(127 - 15 - e) << 23 | (mantissa & 0x3FF) << 13;
        }
    } else if (exponent == 0x1F) {
        bits = sign | 0x7F800000u | mantissa << 13;
    } else {
        bits = sign | (exponent + 127 - 15) << 23 | mantissa << 13;
    }
    return std::bit_cast<float>(bits);
}

} // namespace

std::optional<std::size_t> Font::glyphForCode(std::uint16_t code) const
{
    const auto it = std::lower_bound(m_codeIndex.begin(), m_codeIndex.end(), std::pair<std::uint16_t, std::uint32_t>(code, 0));
    if (it == m_codeIndex.end() || it->first != code || it->second >= glyphs.size())
        return std::nullopt;
    return it->second;
}

double Font::kerningBetween(std::uint16_t leftCode, std::uint16_t rightCode) const
{
    for (const auto& pair : kerning)
        if (pair.left == leftCode && pair.right == rightCode)
            return pair.adjustment;
    return 0;
}

bool Font::hasOutlines() const
{
    return std::any_of(glyphs.begin(), glyphs.end(), [](const QPainterPath& glyph) { return !glyph.isEmpty(); });
}

void Font::rebuildCodeIndex()
{
    m_codeIndex.clear();
    m_codeIndex.reserve(codes.size());
    for (std::size_t i = 0; i < codes.size(); ++i)
        m_codeIndex.emplace_back(codes[i], std::uint32_t(i));
    // Stable, so of two glyphs claiming one code the first wins.
    std::stable_sort(m_codeIndex.begin(), m_codeIndex.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
}

Result<Font> readFont(std::uint16_t tagCode, std::span<const std::uint8_t> bodyAfterId, std::uint8_t swfVersion)
{
    if (tagCode == kDefineFont)
        return readDefineFont(bodyAfterId);
    if (tagCode != kDefineFont2 && tagCode != kDefineFont3)
        return Result<Font>::failure("not a font tag");
    auto font = readDefineFont2(tagCode, bodyAfterId);
    // Before version 6 codes were in the system code page, not UCS-2.
    if (font)
        font.value().unicodeCodes = swfVersion >= 6 || tagCode == kDefineFont3;
    return font;
}

void applyFontInfo(Font& font, std::uint16_t tagCode, std::span<const std::uint8_t> bodyAfterId)
{
    ByteReader reader(bodyAfterId);
    const auto nameLength = reader.u8();
    if (!nameLength)
        return;
    const auto name = reader.bytes(*nameLength);
    const auto flags = reader.u8();
    if (!flags)
        return;
    std::uint8_t language = 0;
    if (tagCode == kDefineFontInfo2) {
        const auto stored = reader.u8();
        if (!stored)
            return;
        language = *stored;
    }
    const bool wideCodes = tagCode == kDefineFontInfo2 || (*flags & 0x01);
    const std::size_t codeSize = wideCodes ? 2 : 1;
    const std::size_t count = std::min(font.glyphs.size(), reader.remaining() / codeSize);
    std::vector<std::uint16_t> codes;
    codes.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        codes.push_back(wideCodes ? *reader.u16() : *reader.u8());

    font.name = storedName(*name);
    font.smallText = *flags & 0x20;
    font.shiftJis = *flags & 0x10;
    font.ansi = *flags & 0x08;
    font.italic = *flags & 0x04;
    font.bold = *flags & 0x02;
    font.languageCode = language;
    font.unicodeCodes = tagCode == kDefineFontInfo2 || !(font.ansi || font.shiftJis);
    font.codes = std::move(codes);
    font.rebuildCodeIndex();
}

void applyAlignZones(Font& font, std::span<const std::uint8_t> bodyAfterId)
{
    ByteReader reader(bodyAfterId);
    const auto hint = reader.u8();
    if (!hint)
        return;
    std::vector<GlyphAlignZones> all;
    all.reserve(std::min(font.glyphs.size(), reader.remaining() / 2));
    while (all.size() < font.glyphs.size() && !reader.atEnd()) {
        const auto zoneCount = reader.u8();
        if (!zoneCount || std::size_t(*zoneCount) * 4 + 1 > reader.remaining())
            break;
        GlyphAlignZones zones;
        for (std::size_t i = 0; i < *zoneCount; ++i) {
            const float position = halfToFloat(*reader.u16());
            const float size = halfToFloat(*reader.u16());
            zones.zones.push_back({position, size});
        }
        const auto mask = *reader.u8();
        zones.alignY = mask & 0x02;
        zones.alignX = mask & 0x01;
        all.push_back(std::move(zones));
    }
    font.alignHint = *hint >> 6;
    font.alignZones = std::move(all);
}

void applyFontName(Font& font, std::span<const std::uint8_t> bodyAfterId)
{
    ByteReader reader(bodyAfterId);
    const auto name = reader.string();
    if (!name)
        return;
    font.name = storedName(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(name->data()), name->size()));
    if (const auto copyright = reader.string())
        font.copyright = *copyright;
}

} // namespace swf
