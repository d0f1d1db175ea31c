// Control tags read into frame commands: every optional field of the
// three place tags, removals, labels and scenes, and bodies that stop short.

#include <gtest/gtest.h>

#include "MovieBits.h"
#include "swf/define/FrameScript.h"

namespace {

using movietest::Bytes;
using movietest::putU16;

Bytes withMatrix(Bytes body)
{
    const Bytes matrix = swftest::matrixBytes(movietest::translate(20, 40));
    body.insert(body.end(), matrix.begin(), matrix.end());
    return body;
}

TEST(FrameScript, PlaceObject3CarriesEveryOptionalField)
{
    Bytes body {0x02 | 0x04 | 0x10 | 0x20 | 0x40, 0x02 | 0x04 | 0x08 | 0x20 | 0x40};
    putU16(body, 7);                                     // depth
    body.insert(body.end(), {'K', 'l', 'a', 's', 's', 0}); // class name
    putU16(body, 3);                                     // character
    body = withMatrix(body);
    putU16(body, 1234);                                  // ratio
    body.insert(body.end(), {'b', 'o', 'x', 0});         // name
    putU16(body, 9);                                     // clip depth
    body.insert(body.end(), {3, 1, 0, 10, 20, 30, 40});  // blend multiply, cached, hidden, background
    const auto place = swf::readPlaceObject(70, body, 10);
    ASSERT_TRUE(place);
    EXPECT_EQ(place->depth, 7);
    EXPECT_EQ(place->characterId, 3);
    EXPECT_EQ(place->matrix->tx, 20);
    EXPECT_EQ(place->matrix->ty, 40);
    EXPECT_EQ(place->ratio, 1234);
    EXPECT_EQ(place->name, "box");
    EXPECT_EQ(place->clipDepth, 9);
    EXPECT_EQ(place->blendMode, 3);
    EXPECT_EQ(place->cacheAsBitmap, true);
    EXPECT_EQ(place->visible, false);
    EXPECT_EQ(place->background, (swf::Color {10, 20, 30, 40}));
    EXPECT_FALSE(place->colorTransform);
    EXPECT_FALSE(place->move);
}

TEST(FrameScript, PlaceObjectTakesItsColourTransformOnlyWhenPresent)
{
    Bytes body;
    putU16(body, 4); // character
    putU16(body, 2); // depth
    body = withMatrix(body);
    auto place = swf::readPlaceObject(4, body, 1);
    ASSERT_TRUE(place);
    EXPECT_EQ(place->characterId, 4);
    EXPECT_FALSE(place->colorTransform);

    swftest::BitWriter bits;
    bits.ub(0, 1).ub(1, 1).ub(10, 4).sb(128, 10).sb(256, 10).sb(0, 10); // multipliers only
    const Bytes cxform = bits.finish();
    body.insert(body.end(), cxform.begin(), cxform.end());
    place = swf::readPlaceObject(4, body, 1);
    ASSERT_TRUE(place && place->colorTransform);
    EXPECT_EQ(place->colorTransform->rMult, 128);
    EXPECT_EQ(place->colorTransform->bMult, 0);
}

TEST(FrameScript, EveryPrefixOfAPlaceTagFailsCleanly)
{
    Bytes body {0x02 | 0x04 | 0x20, 0};
    putU16(body, 1);
    putU16(body, 5);
    body = withMatrix(body);
    body.insert(body.end(), {'n', 0});
    ASSERT_TRUE(swf::readPlaceObject(70, body, 10));
    for (std::size_t keep = 0; keep < body.size(); ++keep)
        EXPECT_FALSE(swf::readPlaceObject(70, std::span(body).first(keep), 10)) << keep;
}

TEST(FrameScript, RemovalsLabelsAndScenesLandInTheirFrames)
{
    swf::FrameScript script;
    std::string problem;
    script.frames.emplace_back();
    Bytes remove1;
    putU16(remove1, 8);
    putU16(remove1, 3);
    ASSERT_TRUE(swf::readControlTag(script, 5, remove1, 10, problem));
    script.frames.emplace_back();
    ASSERT_TRUE(swf::readControlTag(script, 43, Bytes {'e', 'n', 'd', 0}, 10, problem));
    Bytes remove2;
    putU16(remove2, 4);
    ASSERT_TRUE(swf::readControlTag(script, 28, remove2, 10, problem));
    const Bytes scenes {1, 0, 'S', 0, 1, 1, 'x', 0};
    ASSERT_TRUE(swf::readControlTag(script, 86, scenes, 10, problem));

    ASSERT_EQ(script.frames.size(), 2u);
    EXPECT_EQ(std::get<swf::RemoveCommand>(script.frames[0].at(0)).depth, 3);
    EXPECT_EQ(std::get<swf::RemoveCommand>(script.frames[1].at(0)).depth, 4);
    ASSERT_EQ(script.labels.size(), 2u);
    EXPECT_EQ(script.labels[0].frame, 1);
    EXPECT_EQ(script.labels[0].name, "end");
    EXPECT_EQ(script.labels[1].name, "x");
    ASSERT_EQ(script.scenes.size(), 1u);
    EXPECT_EQ(script.scenes[0].name, "S");

    // A scene count no body could hold is refused, not reserved.
    EXPECT_FALSE(swf::readControlTag(script, 86, Bytes {0xFF, 0xFF, 0xFF, 0xFF, 0x0F}, 10, problem));
    EXPECT_FALSE(swf::readControlTag(script, 28, Bytes {1}, 10, problem));
    EXPECT_FALSE(problem.empty());
}

} // namespace
