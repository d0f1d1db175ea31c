#include <gtest/gtest.h>

#include "preview/MovieFacts.h"
#include "support/SwfWriter.h"
#include "swf/Player.h"

namespace {

using swftest::SwfWriter;

TEST(MovieFacts, ContentIsToldByTheTagsThatCarryIt)
{
    struct Case {
        std::vector<std::uint16_t> tags;
        bool script;
        bool sound;
        bool video;
        const char* line;
    };
    const Case cases[] {
        {{}, false, false, false, "No script, sound or video"},
        {{12}, true, false, false, "Uses script"},          // DoAction
        {{59}, true, false, false, "Uses script"},          // DoInitAction
        {{82}, true, false, false, "Uses script"},          // DoABC2
        {{14}, false, true, false, "Uses sound"},           // DefineSound
        {{45}, false, true, false, "Uses sound"},           // SoundStreamHead2
        {{60}, false, false, true, "Uses video"},           // DefineVideoStream
        {{72, 18, 61}, true, true, true, "Uses script, sound, video"},
        {{9, 26, 43}, false, false, false, "No script, sound or video"}, // background, placing, a label
    };
    for (const Case& c : cases) {
        SwfWriter writer;
        for (std::uint16_t code : c.tags)
            writer.tag(code);
        swf::Player player;
        const std::vector<std::uint8_t> bytes = writer.showFrame().build();
        player.open();
        player.feed(bytes);
        player.finish();
        ASSERT_TRUE(player.hasMovie());
        const preview::MovieFacts facts = preview::factsOf(player);
        EXPECT_EQ(facts.usesScript, c.script) << c.line;
        EXPECT_EQ(facts.usesSound, c.sound) << c.line;
        EXPECT_EQ(facts.usesVideo, c.video) << c.line;
        EXPECT_EQ(preview::describe(facts).last(), QString::fromUtf8(c.line));
    }
}

TEST(MovieFacts, HeaderFactsReadAsAPersonWouldSayThem)
{
    SwfWriter writer;
    writer.setVersion(8).setFrameSize(550, 400).setFrameRate(12.5).showFrame().showFrame().showFrame();
    swf::Player player;
    const std::vector<std::uint8_t> bytes = writer.build(swf::Compression::Lzma);
    player.open();
    player.feed(bytes);
    player.finish();
    ASSERT_TRUE(player.hasMovie());
    const QStringList lines = preview::describe(preview::factsOf(player));
    EXPECT_EQ(lines.value(0), QStringLiteral("Flash version 8, compressed with LZMA"));
    EXPECT_EQ(lines.value(1), QStringLiteral("Stage 550 × 400 pixels"));
    EXPECT_EQ(lines.value(2), QStringLiteral("3 frames at 12.50 fps"));
    preview::MovieFacts one;
    one.frameCount = 1;
    one.frameRate = 24;
    EXPECT_EQ(preview::describe(one).value(2), QStringLiteral("1 frame at 24 fps"));
}

} // namespace
