#include <gtest/gtest.h>

#include <algorithm>

#include "support/SwfWriter.h"
#include "swf/Player.h"
#include "swf/read/Diagnostics.h"

using namespace swf;
using swftest::SwfWriter;

namespace {

std::vector<std::uint8_t> movieOf(int frames, Compression compression = Compression::None)
{
    SwfWriter writer;
    writer.setBackground({0, 128, 255});
    for (int i = 0; i < frames; ++i)
        writer.showFrame();
    return writer.build(compression);
}

void loadInto(Player& player, const std::vector<std::uint8_t>& bytes)
{
    player.open();
    player.feed(bytes);
    player.finish();
}

std::vector<int> framesOver(Player& player, int ticks)
{
    std::vector<int> seen;
    for (int i = 0; i < ticks; ++i) {
        player.advance();
        seen.push_back(player.currentFrame());
    }
    return seen;
}

TEST(Player, EmptyPlayerReportsNothing)
{
    Player player;
    EXPECT_FALSE(player.hasMovie());
    EXPECT_FALSE(player.failed());
    EXPECT_EQ(player.header(), nullptr);
    EXPECT_EQ(player.currentFrame(), 0);
    EXPECT_EQ(player.frameCount(), 0);
    EXPECT_EQ(player.percentLoaded(), 0);
    EXPECT_EQ(player.backgroundColor(), (Color {255, 255, 255, 255}));
    EXPECT_TRUE(player.diagnostics().empty());
    player.advance();
    EXPECT_EQ(player.currentFrame(), 0);
}

TEST(Player, LoopsByDefault)
{
    Player player;
    loadInto(player, movieOf(3));
    EXPECT_TRUE(player.isPlaying());
    EXPECT_TRUE(player.loops());
    EXPECT_EQ(player.currentFrame(), 0);
    EXPECT_EQ(framesOver(player, 5), (std::vector<int> {1, 2, 0, 1, 2}));
}

TEST(Player, WithoutLoopStopsOnTheLastFrame)
{
    Player player;
    player.setLoop(false);
    loadInto(player, movieOf(3));
    EXPECT_EQ(framesOver(player, 4), (std::vector<int> {1, 2, 2, 2}));
    EXPECT_FALSE(player.isPlaying());
    player.play();
    EXPECT_EQ(framesOver(player, 1), (std::vector<int> {2}));
}

TEST(Player, StopHoldsAndPlayResumes)
{
    Player player;
    loadInto(player, movieOf(4));
    player.advance();
    player.stop();
    EXPECT_EQ(framesOver(player, 3), (std::vector<int> {1, 1, 1}));
    player.play();
    EXPECT_EQ(framesOver(player, 2), (std::vector<int> {2, 3}));
}

TEST(Player, TinyMoviesStayOnFrameZero)
{
    for (int frames : {0, 1}) {
        for (bool loop : {true, false}) {
            Player player;
            player.setLoop(loop);
            loadInto(player, movieOf(frames));
            EXPECT_EQ(framesOver(player, 3), (std::vector<int> {0, 0, 0})) << frames << loop;
        }
    }
}

TEST(Player, WaitsForFramesStillLoading)
{
    const auto bytes = movieOf(3);
    Player player;
    player.open();
    // Everything up to and including the first ShowFrame only.
    const std::size_t firstFrameEnd = bytes.size() - 2 * 2 - 2;
    player.feed(std::span(bytes).first(firstFrameEnd));
    EXPECT_EQ(player.framesLoaded(), 1);
    EXPECT_EQ(framesOver(player, 2), (std::vector<int> {0, 0}));
    player.feed(std::span(bytes).subspan(firstFrameEnd));
    EXPECT_EQ(framesOver(player, 2), (std::vector<int> {1, 2}));
}

TEST(Player, HeaderPromisingMoreFramesThanArriveStillLoops)
{
    SwfWriter writer;
    writer.setFrameCount(10).showFrame().showFrame();
    Player player;
    loadInto(player, writer.build());
    EXPECT_EQ(player.frameCount(), 10);
    EXPECT_EQ(player.framesLoaded(), 2);
    EXPECT_EQ(framesOver(player, 3), (std::vector<int> {1, 0, 1}));
}

TEST(Player, LoadCutShortLoopsOverTheFramesThatArrived)
{
    auto bytes = movieOf(4);
    bytes.resize(bytes.size() - 4); // the last ShowFrame and End are lost
    Player player;
    loadInto(player, bytes);
    ASSERT_EQ(player.framesLoaded(), 3);
    EXPECT_EQ(framesOver(player, 4), (std::vector<int> {1, 2, 0, 1}));
}

TEST(Player, GotoFrameIsHeldToLoadedFrames)
{
    Player player;
    loadInto(player, movieOf(5));
    player.gotoFrame(3);
    EXPECT_EQ(player.currentFrame(), 3);
    player.gotoFrame(99);
    EXPECT_EQ(player.currentFrame(), 4);
    player.gotoFrame(-2);
    EXPECT_EQ(player.currentFrame(), 0);
}

TEST(Player, PercentLoadedFollowsTheStream)
{
    for (Compression compression : {Compression::None, Compression::Zlib, Compression::Lzma}) {
        SwfWriter writer;
        writer.tag(77, std::vector<std::uint8_t>(2000, 'x')).showFrame();
        const auto bytes = writer.build(compression);
        Player player;
        player.open();
        EXPECT_EQ(player.percentLoaded(), 0);
        int previous = 0;
        bool sawPartial = false;
        for (std::size_t at = 0; at < bytes.size(); at += 16) {
            player.feed(std::span(bytes).subspan(at, std::min<std::size_t>(16, bytes.size() - at)));
            EXPECT_GE(player.percentLoaded(), previous);
            previous = player.percentLoaded();
            sawPartial = sawPartial || (previous > 0 && previous < 100);
        }
        EXPECT_TRUE(sawPartial || compression != Compression::None);
        player.finish();
        EXPECT_EQ(player.percentLoaded(), 100);
    }
}

TEST(Player, PercentLoadedStaysBelowHundredWhenALoadIsCutShort)
{
    // Cut inside the End tag: the load ends without the movie's end.
    auto bytes = movieOf(3);
    bytes.resize(bytes.size() - 1);
    Player player;
    player.open();
    player.feed(bytes);
    EXPECT_LT(player.percentLoaded(), 100);
    player.finish();
    EXPECT_LT(player.percentLoaded(), 100);
    EXPECT_GT(player.percentLoaded(), 90);
    EXPECT_TRUE(player.hasMovie());
}

TEST(Player, BackgroundOverrideLastsUntilOpenOrClear)
{
    Player player;
    loadInto(player, movieOf(1));
    EXPECT_EQ(player.backgroundColor(), (Color {0, 128, 255, 255}));
    player.setBackgroundColor({9, 9, 9, 255});
    EXPECT_EQ(player.backgroundColor(), (Color {9, 9, 9, 255}));
    loadInto(player, movieOf(1));
    EXPECT_EQ(player.backgroundColor(), (Color {0, 128, 255, 255}));
    player.setBackgroundColor({9, 9, 9, 255});
    player.clear();
    EXPECT_EQ(player.backgroundColor(), (Color {255, 255, 255, 255}));
    EXPECT_FALSE(player.hasMovie());
}

TEST(Player, WhiteUntilTheMovieSetsABackground)
{
    Player player;
    loadInto(player, SwfWriter().showFrame().build());
    EXPECT_EQ(player.backgroundColor(), (Color {255, 255, 255, 255}));
}

TEST(Player, OpenStartsOverFromFrameZeroPlaying)
{
    Player player;
    player.setLoop(false);
    loadInto(player, movieOf(2));
    framesOver(player, 3);
    EXPECT_FALSE(player.isPlaying());
    loadInto(player, movieOf(2));
    EXPECT_EQ(player.currentFrame(), 0);
    EXPECT_TRUE(player.isPlaying());
    EXPECT_FALSE(player.loops());
}

TEST(Player, FailedLoadSaysWhy)
{
    Player player;
    loadInto(player, std::vector<std::uint8_t> {'P', 'K', 3, 4, 0, 0, 0, 0, 0});
    EXPECT_TRUE(player.failed());
    EXPECT_FALSE(player.hasMovie());
    EXPECT_FALSE(player.error().empty());
    EXPECT_EQ(player.percentLoaded(), 0);
}

TEST(Player, ClockRateTable)
{
    struct Case {
        std::uint16_t fixed;
        double clockRate;
        int intervalMs;
    };
    const Case cases[] {
        {0, 12, 83},
        {1, 1, 1000},         // 1/256 fps
        {12 << 8, 12, 83},
        {24 << 8, 24, 42},
        {0x1E00, 30, 33},
        {120 << 8, 120, 8},
        {255 << 8, 120, 8},
        {0xFFFF, 120, 8},
    };
    for (const Case& c : cases) {
        Player player;
        loadInto(player, SwfWriter().setFrameRateFixed(c.fixed).showFrame().build());
        EXPECT_DOUBLE_EQ(player.frameRate(), c.fixed / 256.0);
        EXPECT_DOUBLE_EQ(player.clockFrameRate(), c.clockRate) << c.fixed;
        EXPECT_EQ(player.frameIntervalMs(), c.intervalMs) << c.fixed;
    }
}

TEST(Player, DiagnosticsStopAtTheCapAndCountTheRest)
{
    // Every one of these place tags is cut short.
    SwfWriter writer;
    const std::vector<std::uint8_t> cutShort {0x06, 0x01};
    for (int i = 0; i < 2500; ++i)
        writer.tag(26, cutShort);
    Player player;
    loadInto(player, writer.showFrame().build());
    EXPECT_EQ(player.diagnostics().size(), Diagnostics::kCapacity);
    EXPECT_EQ(player.diagnosticsDropped(), 2500 - Diagnostics::kCapacity);
    // A new movie starts with none.
    loadInto(player, movieOf(1));
    EXPECT_TRUE(player.diagnostics().empty());
    EXPECT_EQ(player.diagnosticsDropped(), 0u);
}

} // namespace
