// Morph shapes read from their tag and drawn between their key shapes.

#include <gtest/gtest.h>

#include "MovieBits.h"
#include "swf/define/Dictionary.h"

namespace {

using namespace movietest;
using swftest::BitWriter;

// A square of `side` twips from the origin as SHAPE records; the start
// shape selects fill 1, the end shape only moves.
Bytes square(std::int32_t side, bool selectFill)
{
    Bytes out {std::uint8_t(selectFill ? 0x10 : 0x00)};
    BitWriter bits;
    bits.ub(0, 1).ub(0x01 | (selectFill ? 0x04 : 0), 5).ub(1, 5).sb(0, 1).sb(0, 1);
    if (selectFill)
        bits.ub(1, 1);
    const unsigned n = BitWriter::signedBits({side, -side});
    for (auto [dx, dy] : {std::pair {side, 0}, std::pair {0, side}, std::pair {-side, 0}, std::pair {0, -side}})
        bits.ub(1, 1).ub(1, 1).ub(n - 2, 4).ub(1, 1).sb(dx, n).sb(dy, n);
    bits.ub(0, 1).ub(0, 5);
    const Bytes packed = bits.finish();
    out.insert(out.end(), packed.begin(), packed.end());
    return out;
}

Bytes rectBytes(std::int32_t side)
{
    BitWriter bits;
    const unsigned n = BitWriter::signedBits({side});
    bits.ub(n, 5).sb(0, n).sb(side, n).sb(0, n).sb(side, n);
    return bits.finish();
}

// One solid fill, red to blue, and no lines.
const Bytes kSolidStyles {1, 0x00, 255, 0, 0, 255, 0, 0, 255, 255, 0};

// DefineMorphShape body after the id: a 2000-twip square to 4000 filled
// with the first of `styles`.
Bytes morphBody(const Bytes& styles = kSolidStyles)
{
    Bytes body = rectBytes(2000);
    const Bytes endBounds = rectBytes(4000);
    body.insert(body.end(), endBounds.begin(), endBounds.end());
    const Bytes start = square(2000, true);
    const Bytes end = square(4000, false);
    const auto offset = std::uint32_t(styles.size() + start.size());
    body.insert(body.end(), {std::uint8_t(offset), std::uint8_t(offset >> 8), std::uint8_t(offset >> 16), std::uint8_t(offset >> 24)});
    body.insert(body.end(), styles.begin(), styles.end());
    body.insert(body.end(), start.begin(), start.end());
    body.insert(body.end(), end.begin(), end.end());
    return body;
}

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
        const swf::ShapeGeometry& geometry = morph.value()->geometryAt(c.ratio);
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
    const auto& fills = morph.value()->geometryAt(32768).layers.at(0).fills;
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].style.type, swf::FillType::FocalGradient);
    EXPECT_NEAR(fills[0].style.gradient.focalPoint, 0.125, 0.01);
    EXPECT_NEAR(morph.value()->geometryAt(0).layers.at(0).fills[0].style.gradient.focalPoint, -0.5, 0.01);
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
