#include <gtest/gtest.h>

#include "TextBodies.h"
#include "swf/define/StaticText.h"
#include "swf/read/TagCode.h"

using namespace texttest;

namespace {

constexpr std::uint16_t kDefineText = +swf::TagCode::DefineText;
constexpr std::uint16_t kDefineText2 = +swf::TagCode::DefineText2;

// Two records in font 1, then a third in font 2: colour, then only a line
// change, then a new font; the pen carries along.
std::vector<TextRecord> threeRecords()
{
    return {
        {1, swf::Color {255, 0, 0, 128}, 100, 200, 400, {{0, 300}, {1, 250}}},
        {std::nullopt, swf::Color {0, 0, 255, 255}, std::nullopt, 700, 0, {{2, 100}}},
        {2, std::nullopt, -50, std::nullopt, 800, {{3, 10}}},
    };
}

} // namespace

TEST(StaticText, RunsCarryFontColourAndPenForward)
{
    const auto text = swf::readStaticText(kDefineText2, textBody({-20, 2000, -400, 1000}, threeRecords(), true, {2, 0, 0, 1, 40, -60}));
    ASSERT_TRUE(text) << text.error();
    const swf::StaticText& t = text.value();
    EXPECT_EQ(t.bounds.xMin, -20);
    EXPECT_EQ(t.bounds.yMax, 1000);
    EXPECT_EQ(t.matrix, (swf::Matrix {2, 0, 0, 1, 40, -60}));
    ASSERT_EQ(t.runs.size(), 3u);

    EXPECT_EQ(t.runs[0].fontId, 1);
    EXPECT_EQ(t.runs[0].color, (swf::Color {255, 0, 0, 128}));
    EXPECT_EQ(t.runs[0].x, 100);
    EXPECT_EQ(t.runs[0].y, 200);
    EXPECT_EQ(t.runs[0].height, 400);
    ASSERT_EQ(t.runs[0].glyphs.size(), 2u);
    EXPECT_EQ(t.runs[0].glyphs[1].index, 1u);
    EXPECT_EQ(t.runs[0].glyphs[1].advance, 250);

    // Same font and size, new colour and line; x continues after the advances.
    EXPECT_EQ(t.runs[1].fontId, 1);
    EXPECT_EQ(t.runs[1].height, 400);
    EXPECT_EQ(t.runs[1].color, (swf::Color {0, 0, 255, 255}));
    EXPECT_EQ(t.runs[1].x, 650);
    EXPECT_EQ(t.runs[1].y, 700);

    EXPECT_EQ(t.runs[2].fontId, 2);
    EXPECT_EQ(t.runs[2].height, 800);
    EXPECT_EQ(t.runs[2].color, (swf::Color {0, 0, 255, 255}));
    EXPECT_EQ(t.runs[2].x, -50);
    EXPECT_EQ(t.runs[2].y, 700);
}

TEST(StaticText, DefineTextColoursHaveNoAlpha)
{
    const auto text = swf::readStaticText(kDefineText, textBody({0, 100, 0, 100}, threeRecords(), false));
    ASSERT_TRUE(text) << text.error();
    ASSERT_EQ(text.value().runs.size(), 3u);
    EXPECT_EQ(text.value().runs[0].color, (swf::Color {255, 0, 0, 255}));
}

TEST(StaticText, CutShortKeepsWholeRunsAndRefusesAHeaderless)
{
    const Bytes whole = textBody({0, 100, 0, 100}, threeRecords(), true);
    std::size_t lastRuns = 0;
    for (std::size_t length = 0; length <= whole.size(); ++length) {
        const auto text = swf::readStaticText(kDefineText2, std::span<const std::uint8_t>(whole).first(length));
        if (!text)
            continue;
        // Runs only ever appear whole, and more bytes never lose one.
        EXPECT_GE(text.value().runs.size(), lastRuns);
        lastRuns = text.value().runs.size();
        for (const auto& run : text.value().runs)
            EXPECT_FALSE(run.glyphs.empty());
    }
    EXPECT_EQ(lastRuns, 3u);
    EXPECT_FALSE(swf::readStaticText(kDefineText2, std::span<const std::uint8_t>(whole).first(3)));

    Bytes wide = whole;
    const std::size_t bitsAt = 9 + 5; // after the RECT and the MATRIX
    wide[bitsAt] = 40;
    EXPECT_FALSE(swf::readStaticText(kDefineText2, wide));
}

