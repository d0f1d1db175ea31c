#include <gtest/gtest.h>

#include "TextBodies.h"
#include "swf/define/Font.h"
#include "swf/read/TagCode.h"

using namespace texttest;

namespace {

constexpr std::uint16_t kDefineFont = +swf::TagCode::DefineFont;
constexpr std::uint16_t kDefineFontInfo = +swf::TagCode::DefineFontInfo;
constexpr std::uint16_t kDefineFont2 = +swf::TagCode::DefineFont2;
constexpr std::uint16_t kDefineFontInfo2 = +swf::TagCode::DefineFontInfo2;
constexpr std::uint16_t kDefineFont3 = +swf::TagCode::DefineFont3;

FontDesign twoGlyphFont()
{
    FontDesign design;
    design.name = std::string("Serif One\0", 10); // a counted terminator, as some tools write
    design.flags = 0x01 | 0x02;
    design.glyphs = {squareGlyph(10, -700, 600), archGlyph(500, 300)};
    design.codes = {u'A', u'B'};
    design.layout = true;
    design.ascent = 900;
    design.descent = 200;
    design.leading = -30;
    design.advances = {640, 520};
    design.kerning = {{u'A', u'B', -40}};
    return design;
}

} // namespace

TEST(Font, DefineFont2GivesOutlinesCodesAndLayout)
{
    const auto font = swf::readFont(kDefineFont2, fontBody(twoGlyphFont()), 8);
    ASSERT_TRUE(font) << font.error();
    const swf::Font& f = font.value();
    EXPECT_EQ(f.emSquare, 1024);
    EXPECT_EQ(f.name, "Serif One");
    EXPECT_TRUE(f.bold);
    EXPECT_TRUE(f.italic);
    ASSERT_EQ(f.glyphs.size(), 2u);
    EXPECT_EQ(f.glyphs[0].boundingRect(), QRectF(10, -700, 600, 600));
    EXPECT_EQ(f.glyphs[0].fillRule(), Qt::OddEvenFill);
    EXPECT_TRUE(f.glyphs[0].contains(QPointF(300, -400)));
    // The arch reaches its control point's half-way height.
    EXPECT_NEAR(f.glyphs[1].boundingRect().top(), -300, 1);
    EXPECT_TRUE(f.glyphs[1].contains(QPointF(250, -100)));

    EXPECT_EQ(f.glyphForCode(u'A'), 0u);
    EXPECT_EQ(f.glyphForCode(u'B'), 1u);
    EXPECT_FALSE(f.glyphForCode(u'C'));
    ASSERT_TRUE(f.hasLayout);
    EXPECT_EQ(f.ascent, 900);
    EXPECT_EQ(f.descent, 200);
    EXPECT_EQ(f.leading, -30);
    EXPECT_EQ(f.advances, (std::vector<double> {640, 520}));
    EXPECT_EQ(f.kerningBetween(u'A', u'B'), -40);
    EXPECT_EQ(f.kerningBetween(u'B', u'A'), 0);
    EXPECT_TRUE(f.unicodeCodes);
    EXPECT_TRUE(f.hasOutlines());
}

TEST(Font, DefineFont3WithWideOffsetsUsesTheFinerEmSquare)
{
    FontDesign design = twoGlyphFont();
    design.wideOffsets = true;
    design.codes = {0x4E2D, 0x6587};
    design.kerning = {{0x4E2D, 0x6587, 12}};
    const auto font = swf::readFont(kDefineFont3, fontBody(design), 9);
    ASSERT_TRUE(font) << font.error();
    EXPECT_EQ(font.value().emSquare, 20480);
    EXPECT_EQ(font.value().glyphs[0].boundingRect(), QRectF(10, -700, 600, 600));
    EXPECT_EQ(font.value().glyphForCode(0x6587), 1u);
    EXPECT_EQ(font.value().kerningBetween(0x4E2D, 0x6587), 12);
}

TEST(Font, NarrowCodesBeforeVersionSixAreNotUnicode)
{
    FontDesign design = twoGlyphFont();
    design.wideCodes = false;
    design.flags |= 0x10;
    const auto font = swf::readFont(kDefineFont2, fontBody(design), 5);
    ASSERT_TRUE(font) << font.error();
    EXPECT_TRUE(font.value().ansi);
    EXPECT_FALSE(font.value().unicodeCodes);
    EXPECT_EQ(font.value().glyphForCode(u'B'), 1u);
    EXPECT_EQ(font.value().kerningBetween(u'A', u'B'), -40);
}

TEST(Font, DefineFontTakesItsCodesAndStyleFromFontInfo)
{
    Bytes body;
    const Bytes square = squareGlyph(0, -500, 500);
    put16(body, 4);
    put16(body, std::uint16_t(4 + square.size()));
    putBytes(body, square);
    putBytes(body, squareGlyph(100, -100, 100));
    auto font = swf::readFont(kDefineFont, body, 4);
    ASSERT_TRUE(font) << font.error();
    swf::Font& f = font.value();
    ASSERT_EQ(f.glyphs.size(), 2u);
    EXPECT_EQ(f.glyphs[1].boundingRect(), QRectF(100, -100, 100, 100));
    EXPECT_FALSE(f.hasLayout);
    EXPECT_FALSE(f.glyphForCode(u'x'));

    Bytes info;
    put8(info, 5);
    info.insert(info.end(), {'A', 'r', 'i', 'a', 'l'});
    put8(info, 0x02); // bold, narrow codes
    put8(info, 'x');
    put8(info, 'y');
    swf::applyFontInfo(f, kDefineFontInfo, info);
    EXPECT_EQ(f.name, "Arial");
    EXPECT_TRUE(f.bold);
    EXPECT_EQ(f.glyphForCode(u'y'), 1u);

    Bytes info2;
    put8(info2, 4);
    info2.insert(info2.end(), {'M', 'i', 'n', 'g'});
    put8(info2, 0x04); // italic
    put8(info2, 3);    // language
    put16(info2, 0x660E);
    put16(info2, 0x671D);
    put16(info2, 0x0041); // a third code for a font of two glyphs is ignored
    swf::applyFontInfo(f, kDefineFontInfo2, info2);
    EXPECT_EQ(f.name, "Ming");
    EXPECT_TRUE(f.italic);
    EXPECT_FALSE(f.bold);
    EXPECT_EQ(f.languageCode, 3);
    EXPECT_EQ(f.codes, (std::vector<std::uint16_t> {0x660E, 0x671D}));
    EXPECT_FALSE(f.glyphForCode(u'y'));

    // An info cut short leaves the font as it was.
    swf::applyFontInfo(f, kDefineFontInfo, std::span<const std::uint8_t>(info).first(3));
    EXPECT_EQ(f.name, "Ming");
}

TEST(Font, DeviceFontWithNoGlyphsMayEndAfterItsCount)
{
    FontDesign design;
    design.name = "_sans";
    Bytes body = fontBody(design);
    body.resize(body.size() - 2); // drop the code table offset
    const auto font = swf::readFont(kDefineFont2, body, 8);
    ASSERT_TRUE(font) << font.error();
    EXPECT_EQ(font.value().name, "_sans");
    EXPECT_TRUE(font.value().glyphs.empty());
    EXPECT_FALSE(font.value().hasOutlines());
}

TEST(Font, AlignZonesAndFontName)
{
    swf::Font font = swf::readFont(kDefineFont2, fontBody(twoGlyphFont()), 8).value();
    Bytes zones;
    put8(zones, 0x80); // thick strokes
    for (int glyph = 0; glyph < 2; ++glyph) {
        put8(zones, 2);
        put16(zones, 0x3C00); // 1.0
        put16(zones, 0x3800); // 0.5
        put16(zones, 0xC000); // -2.0
        put16(zones, 0x0001); // smallest subnormal
        put8(zones, glyph == 0 ? 0x03 : 0x02);
    }
    put8(zones, 9); // a record for a glyph the font lacks
    swf::applyAlignZones(font, zones);
    EXPECT_EQ(font.alignHint, 2);
    ASSERT_EQ(font.alignZones.size(), 2u);
    EXPECT_EQ(font.alignZones[0].zones[0].position, 1.0f);
    EXPECT_EQ(font.alignZones[0].zones[0].size, 0.5f);
    EXPECT_EQ(font.alignZones[0].zones[1].position, -2.0f);
    EXPECT_NEAR(font.alignZones[0].zones[1].size, 5.96e-8f, 1e-9f);
    EXPECT_TRUE(font.alignZones[0].alignX);
    EXPECT_FALSE(font.alignZones[1].alignX);
    EXPECT_TRUE(font.alignZones[1].alignY);

    Bytes name;
    putString(name, "Serif One Bold");
    putString(name, "(c) nobody");
    swf::applyFontName(font, name);
    EXPECT_EQ(font.name, "Serif One Bold");
    EXPECT_EQ(font.copyright, "(c) nobody");
}

TEST(Font, EveryTruncationIsRefusedOrReadSafely)
{
    const Bytes whole = fontBody(twoGlyphFont());
    for (std::size_t length = 0; length < whole.size(); ++length) {
        const auto font = swf::readFont(kDefineFont2, std::span<const std::uint8_t>(whole).first(length), 8);
        if (font) {
            // Whatever survived is self-consistent.
            EXPECT_LE(font.value().codes.size(), font.value().glyphs.size());
            EXPECT_TRUE(font.value().advances.empty() || font.value().advances.size() == font.value().glyphs.size());
        }
    }
    EXPECT_FALSE(swf::readFont(kDefineFont, {}, 8));
    EXPECT_FALSE(swf::readFont(2, whole, 8)); // not a font tag
}

TEST(Font, LyingTablesAreContained)
{
    // A glyph count far beyond what the body can hold.
    Bytes huge {0, 0, 0};
    put16(huge, 60000);
    put16(huge, 4);
    EXPECT_FALSE(swf::readFont(kDefineFont2, huge, 8));

    // DefineFont whose first offset claims more glyphs than there are bytes.
    Bytes define1;
    put16(define1, 0xFFFE);
    EXPECT_FALSE(swf::readFont(kDefineFont, define1, 8));

    // Offsets backwards and past the end: those glyphs come out empty.
    FontDesign design = twoGlyphFont();
    Bytes body = fontBody(design);
    const std::size_t table = 3 + design.name.size() + 2;
    body[table] = 0xFF; // first glyph starts past the body
    body[table + 1] = 0x7F;
    auto font = swf::readFont(kDefineFont2, body, 8);
    ASSERT_TRUE(font) << font.error();
    EXPECT_TRUE(font.value().glyphs[0].isEmpty());
    EXPECT_FALSE(font.value().glyphs[1].isEmpty());

    // A code table outside the body: outlines stay, codes and layout go.
    body = fontBody(design);
    body[table + 4] = 0xF0;
    body[table + 5] = 0xFF;
    font = swf::readFont(kDefineFont2, body, 8);
    ASSERT_TRUE(font) << font.error();
    EXPECT_EQ(font.value().glyphs.size(), 2u);
    EXPECT_TRUE(font.value().codes.empty());
    EXPECT_FALSE(font.value().hasLayout);

    // A kerning count the body cannot hold drops the kerning only.
    body = fontBody(design);
    body[body.size() - 8] = 0xFF;
    body[body.size() - 7] = 0xFF;
    font = swf::readFont(kDefineFont2, body, 8);
    ASSERT_TRUE(font) << font.error();
    EXPECT_TRUE(font.value().hasLayout);
    EXPECT_TRUE(font.value().kerning.empty());
}
