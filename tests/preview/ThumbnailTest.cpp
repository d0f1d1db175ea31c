#include <gtest/gtest.h>

#include "preview/Thumbnail.h"
#include "support/BlankThenDrawn.h"
#include "support/SwfWriter.h"
#include "swf/Player.h"

namespace {

void load(swf::Player& player, const std::vector<std::uint8_t>& bytes)
{
    player.open();
    player.feed(bytes);
    player.finish();
    ASSERT_TRUE(player.hasMovie());
}

TEST(Thumbnail, FitsTheStageIntoTheSizeKeepingItsShape)
{
    struct Case {
        swf::Rect stage; // twips
        int size;
        QSize expected;
    };
    const Case cases[] {
        {{0, 550 * 20, 0, 400 * 20}, 128, {128, 93}},
        {{0, 400 * 20, 0, 550 * 20}, 128, {93, 128}},
        {{0, 100 * 20, 0, 100 * 20}, 256, {256, 256}},
        {{0, 20, 0, 10000 * 20}, 128, {1, 128}},       // a sliver still has a pixel
        {{0, 0, 0, 400 * 20}, 64, {64, 64}},           // no area: a square
        {{500, 100, 0, 400 * 20}, 64, {64, 64}},       // inside out: no area either
    };
    for (const Case& c : cases)
        EXPECT_EQ(preview::thumbnailSize(c.stage, c.size), c.expected) << c.stage.width() << "x" << c.stage.height();
}

TEST(Thumbnail, TheFirstFrameThatDrawsIsTheOneShownWithinTheFrameLimit)
{
    struct Case {
        int blankFrames;
        int frames;
        int maxFrames;
        bool drawn;
    };
    const Case cases[] {
        {0, 2, 120, true},
        {3, 6, 120, true},   // found after three blank frames, before it is taken away
        {3, 6, 3, false},    // the limit comes first: the last blank frame is shown
        {30, 31, 120, true}, // the drawn frame is the movie's last
    };
    for (const Case& c : cases) {
        swf::Player player;
        load(player, swftest::blankThenDrawn(c.blankFrames, c.frames, swf::Compression::Zlib));
        const QImage thumbnail = preview::representativeFrame(player, 50, {.maxFrames = c.maxFrames});
        ASSERT_EQ(thumbnail.size(), QSize(50, 40));
        EXPECT_EQ(thumbnail.pixel(25, 20), c.drawn ? qRgb(255, 0, 0) : qRgb(255, 255, 255)) << c.blankFrames;
        EXPECT_EQ(preview::drawsSomething(thumbnail, qRgb(255, 255, 255)), c.drawn) << c.blankFrames;
    }
}

TEST(Thumbnail, AMovieThatNeverDrawsGivesItsStageAfterLookingOnce)
{
    swftest::SwfWriter writer;
    writer.setFrameSize(100, 100).setBackground({10, 20, 30});
    for (int i = 0; i < 2000; ++i)
        writer.showFrame();
    swf::Player player;
    load(player, writer.build());
    const QImage thumbnail = preview::representativeFrame(player, 16, {.maxFrames = 1000000});
    EXPECT_EQ(thumbnail.pixel(8, 8), qRgb(10, 20, 30));
    // Every frame was looked at once, none twice: the search ends at the wrap.
    EXPECT_EQ(player.currentFrame(), 1999);
}

} // namespace
