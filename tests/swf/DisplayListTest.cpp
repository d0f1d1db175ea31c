// The main timeline and sprites as living display objects: what each frame
// places, moves, replaces and removes, which objects keep their identity
// across jumps, independent sprite clocks, and movies that lie about what
// they place.

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "MovieBits.h"
#include "swf/Renderer.h"
#include "swf/read/Movie.h"
#include "swf/runtime/ButtonInstance.h"
#include "swf/runtime/SpriteInstance.h"
#include "swf/runtime/Stage.h"
#include "swf/read/TagCode.h"

namespace {

using namespace movietest;
using swftest::SwfWriter;

constexpr std::uint16_t kPlaceObject2 = +swf::TagCode::PlaceObject2;
constexpr std::uint16_t kRemoveObject2 = +swf::TagCode::RemoveObject2;
constexpr std::uint16_t kDefineShape3 = +swf::TagCode::DefineShape3;
constexpr std::uint16_t kDefineSprite = +swf::TagCode::DefineSprite;

Bytes rect(std::uint16_t id, swf::Color fill = {255, 0, 0, 255})
{
    swftest::RectShape shape;
    shape.id = id;
    shape.fill = fill;
    return swftest::defineShape3(shape);
}

const swf::SpriteInstance* root(const swf::Player& player)
{
    return player.stage() ? player.stage()->root() : nullptr;
}

const swf::DisplayObject* at(const swf::Player& player, int depth)
{
    return root(player) ? root(player)->childAt(depth) : nullptr;
}

const swf::SpriteInstance* spriteAt(const swf::Player& player, int depth)
{
    const swf::DisplayObject* object = at(player, depth);
    return object && object->type() == swf::DisplayObject::Type::Sprite ? static_cast<const swf::SpriteInstance*>(object) : nullptr;
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
    EXPECT_EQ(at(player, 1)->characterId(), 1);
    EXPECT_EQ(at(player, 1)->matrix().tx, 0);

    player.advance();
    EXPECT_EQ(at(player, 1)->matrix().tx, 400);

    player.advance();
    ASSERT_NE(at(player, 1), nullptr);
    EXPECT_EQ(at(player, 1)->characterId(), 2);
    EXPECT_EQ(at(player, 1)->matrix().tx, 400) << "a replaced object keeps its place";
    ASSERT_NE(at(player, 1)->character(), nullptr);
    EXPECT_EQ(at(player, 1)->character()->kind(), swf::Character::Kind::Shape);

    player.advance();
    EXPECT_EQ(at(player, 1), nullptr);

    // Looping to the start rebuilds the first frame.
    player.advance();
    ASSERT_NE(at(player, 1), nullptr);
    EXPECT_EQ(at(player, 1)->characterId(), 1);
    EXPECT_EQ(at(player, 1)->matrix().tx, 0);
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
    EXPECT_EQ(at(player, 1)->characterId(), 5);
    EXPECT_EQ(at(player, 1)->matrix().tx, 100);
    EXPECT_EQ(at(player, 2)->characterId(), 1);
    EXPECT_EQ(at(player, 2)->matrix().tx, 100);
}

TEST(DisplayList, GotoBackwardsRebuildsTheTargetFrame)
{
    swf::Player player;
    load(player, lifeCycleMovie());
    player.gotoFrame(3);
    EXPECT_EQ(at(player, 1), nullptr);
    player.gotoFrame(1);
    ASSERT_NE(at(player, 1), nullptr);
    EXPECT_EQ(at(player, 1)->characterId(), 1);
    EXPECT_EQ(at(player, 1)->matrix().tx, 400);
    player.gotoFrame(2);
    EXPECT_EQ(at(player, 1)->characterId(), 2);
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
    ASSERT_NE(spriteAt(player, 1), nullptr);
    EXPECT_EQ(spriteAt(player, 1)->currentFrame(), 0);
    EXPECT_EQ(spriteAt(player, 1)->children().size(), 1u);
    const std::uint64_t identity = at(player, 1)->id();

    player.advance();
    player.advance();
    EXPECT_EQ(player.currentFrame(), 2);
    EXPECT_EQ(spriteAt(player, 1)->currentFrame(), 2);
    // The movie wraps after three frames; the sprite, placed by the same
    // command in the first frame, is the same object and carries on to its
    // fourth.
    player.advance();
    EXPECT_EQ(player.currentFrame(), 0);
    EXPECT_EQ(at(player, 2), nullptr);
    ASSERT_NE(spriteAt(player, 1), nullptr);
    EXPECT_EQ(at(player, 1)->id(), identity);
    EXPECT_EQ(spriteAt(player, 1)->currentFrame(), 3);
    player.advance();
    player.advance();
    EXPECT_EQ(spriteAt(player, 1)->currentFrame(), 0) << "the sprite wraps after its own five frames";

    // Stopping the movie leaves sprites running.
    player.stop();
    player.advance();
    EXPECT_EQ(player.currentFrame(), 2);
    EXPECT_EQ(spriteAt(player, 1)->currentFrame(), 1);
}

int deepestNesting(const swf::Container& container, int level = 1)
{
    int deepest = level;
    for (const auto& child : container.children())
        if (const swf::Container* inner = dynamic_cast<const swf::Container*>(child.get()))
            deepest = std::max(deepest, deepestNesting(*inner, level + 1));
    return deepest;
}

std::size_t objectCount(const swf::Container& container)
{
    std::size_t count = container.children().size();
    for (const auto& child : container.children())
        if (const swf::Container* inner = dynamic_cast<const swf::Container*>(child.get()))
            count += objectCount(*inner);
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
    ASSERT_NE(root(player), nullptr);
    EXPECT_LE(deepestNesting(*root(player)), swf::Stage::kMaxNesting + 1);
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
    ASSERT_NE(root(player), nullptr);
    EXPECT_LE(objectCount(*root(player)), swf::InstanceBudget {}.limit);
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
    ASSERT_NE(root(player), nullptr);
    EXPECT_EQ(at(player, 65535), nullptr) << "nothing is made of a character never defined";
    EXPECT_EQ(at(player, 40000), nullptr);
    EXPECT_NE(at(player, 3), nullptr);
    const auto& diagnostics = player.diagnostics();
    EXPECT_TRUE(std::any_of(diagnostics.begin(), diagnostics.end(), [](const swf::Diagnostic& d) { return d.tagCode == kPlaceObject2; }));
    QImage image(550, 400, QImage::Format_RGB32);
    swf::render(player, image);
}

// A place over an occupied depth, and a move that names a character at an
// empty depth, as the reference player takes them: movies before version 6
// get a new object over the old, later ones keep the old; the move makes
// nothing. A jump to each frame agrees with the step.
TEST(DisplayList, PlacesOverTakenDepthsAndMovesOntoEmptyOnesFollowTheVersion)
{
    for (const int version : {5, 6}) {
        SCOPED_TRACE(version);
        SwfWriter w;
        w.setVersion(std::uint8_t(version));
        w.tag(kDefineShape3, rect(1)).tag(kDefineShape3, rect(2)).tag(kPlaceObject2, place(1, 1)).showFrame();
        w.tag(kPlaceObject2, place(1, 2)).showFrame();
        swftest::Placement moveIn;
        moveIn.depth = 1;
        moveIn.move = true;
        moveIn.characterId = 2;
        w.tag(kRemoveObject2, remove(1)).tag(kPlaceObject2, swftest::placeObject2(moveIn)).showFrame();
        swf::Player player;
        load(player, w.build());
        const std::uint64_t first = at(player, 1)->id();
        player.advance();
        ASSERT_NE(at(player, 1), nullptr);
        EXPECT_EQ(at(player, 1)->characterId(), version < 6 ? 2 : 1);
        EXPECT_EQ(at(player, 1)->id() == first, version >= 6);
        player.advance();
        EXPECT_EQ(at(player, 1), nullptr) << "a move onto an empty depth makes nothing";
        player.gotoFrame(1);
        ASSERT_NE(at(player, 1), nullptr);
        EXPECT_EQ(at(player, 1)->characterId(), version < 6 ? 2 : 1);
    }
}

// The tree as depth, character and position, all the way down.
std::string describe(const swf::Container& container)
{
    std::string out;
    for (const auto& child : container.children()) {
        out += std::to_string(child->depth()) + ":" + std::to_string(child->characterId()) + "@" + std::to_string(int(child->matrix().tx))
            + "," + std::to_string(int(child->matrix().ty));
        if (const auto* inner = dynamic_cast<const swf::Container*>(child.get()))
            out += "[" + describe(*inner) + "]";
        out += " ";
    }
    return out;
}

// Six frames that place, move, replace, remove and place again, with a
// sprite that comes and goes.
Bytes busyMovie()
{
    SwfWriter w;
    w.tag(kDefineShape3, rect(1)).tag(kDefineShape3, rect(2));
    w.tag(kDefineSprite, defineSprite(5, {{tagBytes(kPlaceObject2, place(1, 1))}, {tagBytes(kPlaceObject2, move(1, translate(60, 0)))}}));
    w.tag(kPlaceObject2, place(1, 1)).tag(kPlaceObject2, place(2, 5)).showFrame();
    w.tag(kPlaceObject2, move(1, translate(100, 0))).tag(kPlaceObject2, place(3, 2)).showFrame();
    swftest::Placement replace;
    replace.depth = 1;
    replace.move = true;
    replace.characterId = 2;
    w.tag(kPlaceObject2, swftest::placeObject2(replace)).tag(kRemoveObject2, remove(2)).showFrame();
    w.tag(kRemoveObject2, remove(3)).tag(kPlaceObject2, place(2, 5, translate(0, 40))).showFrame();
    w.tag(kPlaceObject2, place(3, 1, translate(7, 7))).tag(kPlaceObject2, move(1, translate(200, 20))).showFrame();
    w.tag(kRemoveObject2, remove(1)).showFrame();
    return w.build();
}

TEST(DisplayList, EveryFrameReachedByAJumpIsTheFrameReachedStepByStep)
{
    const Bytes movie = busyMovie();
    for (int target = 0; target < 6; ++target) {
        SCOPED_TRACE(target);
        swf::Player stepped;
        load(stepped, movie);
        stepped.stop();
        for (int f = 1; f <= target; ++f)
            stepped.gotoFrame(f);
        swf::Player forward;
        load(forward, movie);
        forward.gotoFrame(target);
        swf::Player backward;
        load(backward, movie);
        backward.gotoFrame(5);
        backward.gotoFrame(target);
        EXPECT_EQ(describe(*root(forward)), describe(*root(stepped)));
        EXPECT_EQ(describe(*root(backward)), describe(*root(stepped)));
    }
}

TEST(DisplayList, AJumpKeepsTheObjectsTheFrameStillHoldsAndTheirState)
{
    swf::Player player;
    load(player, busyMovie());
    player.stop();
    player.gotoFrame(1);
    const std::uint64_t shape = at(player, 1)->id();
    const std::uint64_t sprite = at(player, 2)->id();
    player.advance(); // the sprite's own clock moves on
    EXPECT_EQ(spriteAt(player, 2)->currentFrame(), 1);

    // Back to the first frame: the shape and the sprite are placed there by
    // the same commands, so they stay, the sprite on its own frame; what
    // the first frame does not hold goes.
    player.gotoFrame(0);
    EXPECT_EQ(at(player, 1)->id(), shape);
    EXPECT_EQ(at(player, 2)->id(), sprite);
    EXPECT_EQ(spriteAt(player, 2)->currentFrame(), 1);
    EXPECT_EQ(at(player, 1)->matrix().tx, 0) << "and takes the frame's placement";
    EXPECT_EQ(at(player, 3), nullptr);

    // Past the frame that removed the sprite and placed another: a new one.
    player.gotoFrame(3);
    ASSERT_NE(at(player, 2), nullptr);
    EXPECT_NE(at(player, 2)->id(), sprite);
    EXPECT_EQ(spriteAt(player, 2)->currentFrame(), 0);
}

// Records what the frame loop tells its listeners.
class Recorder : public swf::FrameListener {
public:
    std::vector<std::string> log;
    std::vector<swf::TagRef> actions;

    void enterFrame() override { log.push_back("enter"); }
    void mediaTag(swf::SpriteInstance&, const swf::TagRef& tag, bool shown) override
    {
        log.push_back("media " + std::to_string(tag.code) + (shown ? "" : " passed"));
    }
    void frameEvents(const std::vector<swf::FrameEvent>& events) override
    {
        for (const swf::FrameEvent& event : events) {
            switch (event.kind) {
            case swf::FrameEvent::Kind::Constructed:
                log.push_back("made " + std::to_string(event.object->characterId()));
                break;
            case swf::FrameEvent::Kind::Removed:
                log.push_back("gone " + std::to_string(event.object->characterId()));
                break;
            case swf::FrameEvent::Kind::InitActions:
                log.push_back("init " + std::to_string(event.tag.length));
                break;
            case swf::FrameEvent::Kind::FrameActions:
                actions.push_back(event.tag);
                log.push_back("actions " + std::to_string(event.object->characterId()) + " " + std::to_string(event.tag.length));
                break;
            }
        }
    }
    void exitFrame() override { log.push_back("exit"); }
};

TEST(DisplayList, TheFrameLoopTellsOfActionsSoundsAndObjectsInOrder)
{
    // Frame n carries an action block of n + 1 bytes; frame 1 starts a
    // sound and places a sprite whose own first frame has actions of 9.
    SwfWriter w;
    w.tag(kDefineShape3, rect(1));
    w.tag(kDefineSprite, defineSprite(5, {{tagBytes(12, Bytes(9, 9))}, {}}));
    w.tag(12, Bytes(1, 0)).showFrame();
    w.tag(kPlaceObject2, place(1, 5)).tag(15, Bytes {1, 0, 0}).tag(12, Bytes(2, 2)).showFrame();
    w.tag(kRemoveObject2, remove(1)).tag(15, Bytes {1, 0, 0}).tag(12, Bytes(3, 0)).showFrame();
    w.tag(12, Bytes(4, 0)).showFrame();
    swf::Player player;
    load(player, w.build());
    Recorder recorder;
    player.stage()->addListener(&recorder);
    player.advance();
    // Sounds are heard as the timeline passes them; what happened to the
    // tree comes once it has settled, in the order it happened: the sprite,
    // its first frame's actions, then the main timeline's.
    EXPECT_EQ(recorder.log, (std::vector<std::string> {"enter", "media 15", "made 5", "actions 5 9", "actions 0 2", "exit"}));
    // The actions are where the movie keeps them, inside the sprite too.
    ASSERT_EQ(recorder.actions.size(), 2u);
    EXPECT_EQ(Bytes(player.movie()->bytes(recorder.actions[0].offset, recorder.actions[0].length).begin(),
                    player.movie()->bytes(recorder.actions[0].offset, recorder.actions[0].length).end()),
              Bytes(9, 9));
    const auto rootActions = player.movie()->bytes(recorder.actions[1].offset, recorder.actions[1].length);
    EXPECT_EQ(Bytes(rootActions.begin(), rootActions.end()), Bytes(2, 2));

    // A jump reaches the actions and sounds of the frame it lands on; those
    // of the frames passed over are passed, never run.
    player.gotoFrame(0);
    player.stage()->tick();
    recorder.log.clear();
    player.gotoFrame(3);
    EXPECT_EQ(recorder.log, (std::vector<std::string> {"media 15 passed"}));
}

TEST(DisplayList, NothingChangesOnStageWhileNothingMoves)
{
    // A still shape and a sprite looping over frames that place nothing
    // new; then beside them a sprite that moves its shape on each frame.
    const auto movie = [](bool mover) {
        SwfWriter w;
        w.tag(kDefineShape3, rect(1));
        w.tag(kDefineSprite, defineSprite(5, {{tagBytes(kPlaceObject2, place(1, 1))}, {}, {}}));
        w.tag(kDefineSprite, defineSprite(6, {{tagBytes(kPlaceObject2, place(1, 1))}, {tagBytes(kPlaceObject2, move(1, translate(40, 0)))}}));
        w.tag(kPlaceObject2, place(1, 1)).tag(kPlaceObject2, place(2, 5));
        if (mover)
            w.tag(kPlaceObject2, place(3, 6));
        return w.showFrame().build();
    };
    swf::Player still;
    load(still, movie(false));
    const std::uint64_t before = still.stageVersion();
    for (int i = 0; i < 7; ++i)
        still.advance();
    EXPECT_EQ(still.stageVersion(), before);
    still.setBackgroundColor({1, 2, 3, 255});
    EXPECT_NE(still.stageVersion(), before) << "a new stage colour is a change";

    swf::Player moving;
    load(moving, movie(true));
    moving.stop();
    std::uint64_t last = moving.stageVersion();
    for (int i = 0; i < 4; ++i) {
        moving.advance();
        EXPECT_NE(moving.stageVersion(), last) << "the sprite moves its shape every frame";
        last = moving.stageVersion();
    }
}

// DefineButton2 body: each record is (states, character, depth).
Bytes defineButton2(std::uint16_t id, const std::vector<std::tuple<std::uint8_t, std::uint16_t, std::uint16_t>>& records)
{
    Bytes body;
    putU16(body, id);
    body.push_back(0); // not a menu
    putU16(body, 0);   // no actions
    for (const auto& [states, character, depth] : records) {
        body.push_back(states);
        putU16(body, character);
        putU16(body, depth);
        const Bytes matrix = swftest::matrixBytes({});
        body.insert(body.end(), matrix.begin(), matrix.end());
        body.push_back(0); // a colour transform that changes nothing
    }
    body.push_back(0);
    return body;
}

TEST(DisplayList, ButtonsShowTheUpStateUntilTheirStateChanges)
{
    SwfWriter w;
    w.tag(kDefineShape3, rect(1)).tag(kDefineShape3, rect(2));
    // Up: shape 1; over and down: shape 2; hit only: shape 1 at depth 2.
    w.tag(34, defineButton2(7, {{0x01, 1, 1}, {0x06, 2, 1}, {0x08, 1, 2}}));
    w.tag(kPlaceObject2, place(1, 7)).showFrame();
    swf::Player player;
    load(player, w.build());
    auto* button = dynamic_cast<swf::ButtonInstance*>(player.stage()->root()->childAt(1));
    ASSERT_NE(button, nullptr);
    const auto shown = [&] { return describe(*button); };
    EXPECT_EQ(shown(), "1:1@0,0 ");
    EXPECT_EQ(button->definition().records.size(), 3u) << "the hit state is kept for hit testing";
    const std::uint64_t before = player.stageVersion();
    button->setState(swf::ButtonInstance::State::Over);
    EXPECT_EQ(shown(), "1:2@0,0 ");
    EXPECT_NE(player.stageVersion(), before);
    button->setState(swf::ButtonInstance::State::Down);
    EXPECT_EQ(shown(), "1:2@0,0 ");
    button->setState(swf::ButtonInstance::State::Up);
    EXPECT_EQ(shown(), "1:1@0,0 ");
}

} // namespace
