// The main timeline and sprites as display lists: what each frame places,
// moves, replaces and removes, jumps back, independent sprite clocks, and
// movies that lie about what they place.

#include <gtest/gtest.h>

#include <algorithm>

#include "MovieBits.h"
#include "swf/Renderer.h"
#include "swf/runtime/Clip.h"

namespace {

using namespace movietest;
using swftest::SwfWriter;

constexpr std::uint16_t kPlaceObject2 = 26;
constexpr std::uint16_t kRemoveObject2 = 28;
constexpr std::uint16_t kDefineShape3 = 32;
constexpr std::uint16_t kDefineSprite = 39;

Bytes rect(std::uint16_t id, swf::Color fill = {255, 0, 0, 255})
{
    swftest::RectShape shape;
    shape.id = id;
    shape.fill = fill;
    return swftest::defineShape3(shape);
}

const swf::DisplayObject* at(const swf::Player& player, int depth)
{
    const swf::DisplayList* list = player.displayList();
    if (!list)
        return nullptr;
    const auto found = list->find(depth);
    return found == list->end() ? nullptr : &found->second;
}

// Frame 0 places shape 1, frame 1 moves it, frame 2 replaces it with shape
// 2, frame 3 removes it.
Bytes lifeCycleMovie()
{
    SwfWriter w;
    w.tag(kDefineShape3, rect(1)).tag(kDefineShape3, rect(2)).tag(kPlaceObject2, place(1, 1)).showFrame();
    w.tag(kPlaceObject2, move(1, translate(400, 0))).showFrame();
    swftest::Placement replace;
    replace.depth = 1;
    replace.move = true;
    replace.characterId = 2;
    w.tag(kPlaceObject2, swftest::placeObject2(replace)).showFrame();
    w.tag(kRemoveObject2, remove(1)).showFrame();
    return w.build();
}

TEST(DisplayList, PlaceMoveReplaceAndRemoveFollowTheFrames)
{
    swf::Player player;
    load(player, lifeCycleMovie());
    ASSERT_NE(at(player, 1), nullptr);
    EXPECT_EQ(at(player, 1)->placement.characterId, 1);
    EXPECT_EQ(at(player, 1)->placement.matrix.tx, 0);

    player.advance();
    EXPECT_EQ(at(player, 1)->placement.matrix.tx, 400);

    player.advance();
    ASSERT_NE(at(player, 1), nullptr);
    EXPECT_EQ(at(player, 1)->placement.characterId, 2);
    EXPECT_EQ(at(player, 1)->placement.matrix.tx, 400) << "a replaced object keeps its place";
    ASSERT_NE(at(player, 1)->character, nullptr);
    EXPECT_EQ(at(player, 1)->character->kind(), swf::Character::Kind::Shape);

    player.advance();
    EXPECT_EQ(at(player, 1), nullptr);

    // Looping to the start rebuilds the first frame.
    player.advance();
    ASSERT_NE(at(player, 1), nullptr);
    EXPECT_EQ(at(player, 1)->placement.characterId, 1);
    EXPECT_EQ(at(player, 1)->placement.matrix.tx, 0);
}

TEST(DisplayList, ReplacingSwapsOnlyPlainGraphics)
{
    SwfWriter w;
    w.tag(kDefineShape3, rect(1)).tag(kDefineShape3, rect(2));
    w.tag(kDefineSprite, defineSprite(5, {{tagBytes(kPlaceObject2, place(1, 1))}}));
    w.tag(kPlaceObject2, place(1, 5)).tag(kPlaceObject2, place(2, 1)).showFrame();
    for (std::uint16_t depth : {1, 2}) {
        swftest::Placement replace;
        replace.depth = depth;
        replace.move = true;
        replace.characterId = depth == 1 ? 2 : 5;
        replace.matrix = translate(100, 0);
        w.tag(kPlaceObject2, swftest::placeObject2(replace));
    }
    w.showFrame();
    swf::Player player;
    load(player, w.build());
    player.advance();
    // A sprite stays a sprite and a shape does not become one; the rest of
    // the command still applies.
    EXPECT_EQ(at(player, 1)->placement.characterId, 5);
    EXPECT_EQ(at(player, 1)->placement.matrix.tx, 100);
    EXPECT_EQ(at(player, 2)->placement.characterId, 1);
    EXPECT_EQ(at(player, 2)->placement.matrix.tx, 100);
}

TEST(DisplayList, GotoBackwardsRebuildsTheTargetFrame)
{
    swf::Player player;
    load(player, lifeCycleMovie());
    player.gotoFrame(3);
    EXPECT_EQ(at(player, 1), nullptr);
    player.gotoFrame(1);
    ASSERT_NE(at(player, 1), nullptr);
    EXPECT_EQ(at(player, 1)->placement.characterId, 1);
    EXPECT_EQ(at(player, 1)->placement.matrix.tx, 400);
    player.gotoFrame(2);
    EXPECT_EQ(at(player, 1)->placement.characterId, 2);
}

// A five-frame sprite placed in frame 0 of a three-frame movie; frame 1
// adds a shape that frame 0 does not have.
Bytes spriteMovie()
{
    SwfWriter w;
    w.tag(kDefineShape3, rect(1));
    w.tag(kDefineSprite, defineSprite(5, {{tagBytes(kPlaceObject2, place(1, 1))}, {}, {}, {}, {}}));
    w.tag(kPlaceObject2, place(1, 5)).showFrame();
    w.tag(kPlaceObject2, place(2, 1)).showFrame();
    w.showFrame();
    return w.build();
}

TEST(DisplayList, SpritesKeepTheirOwnClock)
{
    swf::Player player;
    load(player, spriteMovie());
    ASSERT_NE(at(player, 1), nullptr);
    ASSERT_NE(at(player, 1)->clip, nullptr);
    EXPECT_EQ(at(player, 1)->clip->currentFrame(), 0);
    EXPECT_EQ(at(player, 1)->clip->displayList().size(), 1u);

    player.advance();
    player.advance();
    EXPECT_EQ(player.currentFrame(), 2);
    EXPECT_EQ(at(player, 1)->clip->currentFrame(), 2);
    // The movie wraps after three frames; the sprite, placed by the same
    // command in the rebuilt first frame, carries on to its fourth.
    player.advance();
    EXPECT_EQ(player.currentFrame(), 0);
    EXPECT_EQ(at(player, 2), nullptr);
    ASSERT_NE(at(player, 1), nullptr);
    EXPECT_EQ(at(player, 1)->clip->currentFrame(), 3);
    player.advance();
    player.advance();
    EXPECT_EQ(at(player, 1)->clip->currentFrame(), 0) << "the sprite wraps after its own five frames";

    // Stopping the movie leaves sprites running.
    player.stop();
    player.advance();
    EXPECT_EQ(player.currentFrame(), 2);
    EXPECT_EQ(at(player, 1)->clip->currentFrame(), 1);
}

int deepestNesting(const swf::DisplayList& list, int level = 1)
{
    int deepest = level;
    for (const auto& [depth, object] : list) {
        if (object.clip)
            deepest = std::max(deepest, deepestNesting(object.clip->displayList(), level + 1));
    }
    return deepest;
}

std::size_t objectCount(const swf::DisplayList& list)
{
    std::size_t count = list.size();
    for (const auto& [depth, object] : list) {
        if (object.clip)
            count += objectCount(object.clip->displayList());
    }
    return count;
}

TEST(DisplayList, SpritePlacingItselfStopsAtTheNestingCap)
{
    SwfWriter w;
    w.tag(kDefineSprite, defineSprite(7, {{tagBytes(kPlaceObject2, place(1, 7))}, {}}));
    w.tag(kPlaceObject2, place(1, 7)).showFrame();
    swf::Player player;
    load(player, w.build());
    for (int i = 0; i < 5; ++i)
        player.advance();
    ASSERT_NE(player.displayList(), nullptr);
    EXPECT_LE(deepestNesting(*player.displayList()), swf::Clip::kMaxNesting + 2);
    QImage image(550, 400, QImage::Format_RGB32);
    swf::render(player, image);
}

TEST(DisplayList, SpritesMultiplyingThemselvesRunOutOfBudget)
{
    // Each sprite places the next one twice: 2^24 objects if nothing stopped it.
    SwfWriter w;
    w.tag(kDefineShape3, rect(1));
    std::uint16_t inner = 1;
    for (std::uint16_t id = 100; id < 124; ++id) {
        w.tag(kDefineSprite, defineSprite(id, {{tagBytes(kPlaceObject2, place(1, inner)), tagBytes(kPlaceObject2, place(2, inner))}}));
        inner = id;
    }
    w.tag(kPlaceObject2, place(1, inner)).showFrame();
    swf::Player player;
    load(player, w.build());
    ASSERT_NE(player.displayList(), nullptr);
    EXPECT_LE(objectCount(*player.displayList()), swf::InstanceBudget {}.limit);
}

TEST(DisplayList, MissingCharactersAndStrayCommandsAreHarmless)
{
    SwfWriter w;
    w.tag(kDefineShape3, rect(1));
    w.tag(kPlaceObject2, place(65535, 999));        // never defined
    w.tag(kPlaceObject2, move(40000, translate(1, 1))); // moves nothing
    w.tag(kRemoveObject2, remove(12));                // removes nothing
    w.tag(kPlaceObject2, Bytes {0x06, 0x01});         // cut short
    w.tag(kPlaceObject2, place(3, 1)).showFrame();
    swf::Player player;
    load(player, w.build());
    ASSERT_NE(player.displayList(), nullptr);
    ASSERT_NE(at(player, 65535), nullptr);
    EXPECT_EQ(at(player, 65535)->character, nullptr);
    EXPECT_EQ(at(player, 40000), nullptr);
    EXPECT_NE(at(player, 3), nullptr);
    const auto& diagnostics = player.diagnostics();
    EXPECT_TRUE(std::any_of(diagnostics.begin(), diagnostics.end(), [](const swf::Diagnostic& d) { return d.tagCode == kPlaceObject2; }));
    QImage image(550, 400, QImage::Format_RGB32);
    swf::render(player, image);
}

} // namespace
