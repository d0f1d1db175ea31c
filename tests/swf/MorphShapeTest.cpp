// Morph shapes read from their tag and drawn between their key shapes.

#include <gtest/gtest.h>

#include "MovieBits.h"
#include "swf/define/Dictionary.h"

namespace {

using namespace movietest;
TEST(MorphShape, RatioMovesEdgesAndColoursBetweenTheKeyShapes)
{
    const auto morph = swf::readMorphShapeDefinition(46, morphBody());
    ASSERT_TRUE(morph.ok()) << morph.error();
    struct Case {
        std::uint16_t ratio;
        double side;
        swf::Color colour;
    };
    for (const Case& c : {Case {0, 2000, {255, 0, 0, 255}}, Case {32768, 3000, {127, 0, 128, 255}}, Case {65535, 4000, {0, 0, 255, 255}}}) {
        SCOPED_TRACE(c.ratio);
        const swf::ShapeGeometry& geometry = *morph.value()->geometryAt(c.ratio);
        ASSERT_EQ(geometry.layers.size(), 1u);
        ASSERT_EQ(geometry.layers[0].fills.size(), 1u);
        const QRectF bounds = geometry.layers[0].fills[0].path.boundingRect();
        EXPECT_NEAR(bounds.width(), c.side, 1);
        EXPECT_NEAR(bounds.height(), c.side, 1);
        const swf::Color colour = geometry.layers[0].fills[0].style.color;
        EXPECT_NEAR(colour.r, c.colour.r, 1);
        EXPECT_NEAR(colour.b, c.colour.b, 1);
    }
}

TEST(MorphShape, FocalGradientsMoveTheirFocalPointAndTheStylesAfterThemReadRight)
{
    // Fill 1: focal gradient with two stops, focal point -0.5 to 0.75;
    // fill 2: solid green, which only reads right if the focal points were
    // taken out before it.
    Bytes styles {2, 0x13};
    for (int m = 0; m < 2; ++m)
        styles.push_back(0x00); // identity matrices
    styles.insert(styles.end(), {0x02, 0, 255, 0, 0, 255, 0, 255, 0, 0, 255, 255, 0, 0, 255, 255, 255, 0, 0, 255, 255});
    styles.insert(styles.end(), {0x80, 0xFF, 0xC0, 0x00}); // -0.5 and 0.75 in 8.8
    styles.insert(styles.end(), {0x00, 0, 255, 0, 255, 0, 255, 0, 255, 0});
    const auto morph = swf::readMorphShapeDefinition(46, morphBody(styles));
    ASSERT_TRUE(morph.ok()) << morph.error();
    const auto& fills = morph.value()->geometryAt(32768)->layers.at(0).fills;
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].style.type, swf::FillType::FocalGradient);
    EXPECT_NEAR(fills[0].style.gradient.focalPoint, 0.125, 0.01);
    EXPECT_NEAR(morph.value()->geometryAt(0)->layers.at(0).fills[0].style.gradient.focalPoint, -0.5, 0.01);
}

TEST(MorphShape, TruncatedBodiesFailInsteadOfReadingOn)
{
    const Bytes body = morphBody();
    for (std::size_t keep : {std::size_t(0), std::size_t(3), std::size_t(12), std::size_t(20)}) {
        SCOPED_TRACE(keep);
        const auto morph = swf::readMorphShapeDefinition(46, std::span(body).first(keep));
        EXPECT_FALSE(morph.ok());
    }
    // An end offset pointing past the tag is not followed.
    Bytes lying = body;
    const std::size_t offsetAt = rectBytes(2000).size() + rectBytes(4000).size();
    lying[offsetAt + 3] = 0x7F;
    EXPECT_TRUE(swf::readMorphShapeDefinition(46, lying).ok());
}

} // namespace
