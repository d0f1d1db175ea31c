// Generated movies rendered at 1:1 and checked by pixel: placement,
// colour transforms, masks and strokes.

#include <gtest/gtest.h>

#include "MovieBits.h"
#include "support/ActionWriter.h"
#include "swf/Player.h"
#include "swf/Renderer.h"
#include "support/RegressionMovies.h"
#include "swf/read/TagCode.h"

namespace {

using namespace movietest;
using swftest::SwfWriter;

constexpr std::uint16_t kPlaceObject2 = +swf::TagCode::PlaceObject2;
constexpr std::uint16_t kDefineShape3 = +swf::TagCode::DefineShape3;
constexpr std::uint16_t kDefineSprite = +swf::TagCode::DefineSprite;
constexpr std::uint16_t kDoAction = +swf::TagCode::DoAction;

Bytes rect(std::uint16_t id, swf::Color fill, int widthPx = 100, int heightPx = 100, std::uint16_t lineWidth = 0)
{
    swftest::RectShape shape;
    shape.id = id;
    shape.fill = fill;
    shape.width = widthPx * 20;
    shape.height = heightPx * 20;
    shape.lineWidth = lineWidth;
    return swftest::defineShape3(shape);
}

QImage renderMovie(const Bytes& movie, swf::Quality quality = swf::Quality::High)
{
    swf::Player player;
    load(player, movie);
    QImage image(550, 400, QImage::Format_RGB32);
    swf::render(player, image, {swf::ScaleMode::ExactFit, quality});
    return image;
}

QRgb rgb(int r, int g, int b)
{
    return qRgb(r, g, b);
}

::testing::AssertionResult near(QRgb actual, QRgb expected, int tolerance = 2)
{
    if (std::abs(qRed(actual) - qRed(expected)) <= tolerance && std::abs(qGreen(actual) - qGreen(expected)) <= tolerance
        && std::abs(qBlue(actual) - qBlue(expected)) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << qRed(actual) << "," << qGreen(actual) << "," << qBlue(actual) << " wanted "
                                         << qRed(expected) << "," << qGreen(expected) << "," << qBlue(expected);
}

TEST(FramePainter, ShapesLandWhereTheirMatricesPutThemInDepthOrder)
{
    SwfWriter w;
    w.setBackground({255, 255, 255});
    w.tag(kDefineShape3, rect(1, {255, 0, 0, 255})).tag(kDefineShape3, rect(2, {0, 0, 255, 255}));
    w.tag(kPlaceObject2, place(2, 1, translate(1000, 1000)));
    w.tag(kPlaceObject2, place(1, 2, translate(2000, 2000))); // lower depth: drawn first, under the red
    w.showFrame();
    const QImage image = renderMovie(w.build());
    EXPECT_TRUE(near(image.pixel(10, 10), rgb(255, 255, 255)));
    EXPECT_TRUE(near(image.pixel(60, 60), rgb(255, 0, 0)));
    EXPECT_TRUE(near(image.pixel(120, 120), rgb(255, 0, 0)));
    EXPECT_TRUE(near(image.pixel(170, 170), rgb(0, 0, 255)));
}

TEST(FramePainter, ColourTransformsTintAndFadeFills)
{
    SwfWriter w;
    w.setBackground({0, 0, 0});
    w.tag(kDefineShape3, rect(1, {200, 100, 0, 255}));
    swf::ColorTransform tint;
    tint.rMult = 128;
    tint.gAdd = 50;
    tint.bAdd = 300; // clamped
    w.tag(kPlaceObject2, placeTinted(1, 1, tint));
    swf::ColorTransform fade;
    fade.aMult = 128;
    w.tag(kDefineShape3, rect(2, {255, 255, 255, 255}));
    w.tag(kPlaceObject2, placeTinted(2, 2, fade));
    w.showFrame();
    const QImage image = renderMovie(w.build());
    // The fade covers the tinted square too; both sit at the origin.
    EXPECT_TRUE(near(image.pixel(50, 50), rgb((100 + 255) / 2, (150 + 255) / 2, 255)));
    w = SwfWriter();
    w.setBackground({0, 0, 0});
    w.tag(kDefineShape3, rect(1, {200, 100, 0, 255})).tag(kPlaceObject2, placeTinted(1, 1, tint)).showFrame();
    EXPECT_TRUE(near(renderMovie(w.build()).pixel(50, 50), rgb(100, 150, 255)));
}

TEST(FramePainter, MaskShowsTheMaskedDepthsOnlyWhereItCovers)
{
    SwfWriter w;
    w.setBackground({255, 255, 255});
    w.tag(kDefineShape3, rect(1, {0, 0, 0, 128}, 50, 50)); // a mask's colour and alpha do not matter
    w.tag(kDefineShape3, rect(2, {0, 255, 0, 255}, 200, 200));
    swftest::Placement mask;
    mask.depth = 1;
    mask.characterId = 1;
    mask.matrix = translate(1000, 1000);
    mask.clipDepth = 2;
    w.tag(kPlaceObject2, swftest::placeObject2(mask));
    w.tag(kPlaceObject2, place(2, 2));
    w.tag(kPlaceObject2, place(3, 2, translate(4000, 0))); // above the clip depth: not masked
    w.showFrame();
    const QImage image = renderMovie(w.build());
    EXPECT_TRUE(near(image.pixel(70, 70), rgb(0, 255, 0)));
    EXPECT_TRUE(near(image.pixel(30, 30), rgb(255, 255, 255)));
    EXPECT_TRUE(near(image.pixel(120, 120), rgb(255, 255, 255)));
    EXPECT_TRUE(near(image.pixel(300, 100), rgb(0, 255, 0)));
}

TEST(FramePainter, SpriteChildrenComposeWithTheSpriteMatrixAndColour)
{
    SwfWriter w;
    w.setBackground({255, 255, 255});
    w.tag(kDefineShape3, rect(1, {255, 0, 0, 255}, 20, 20));
    w.tag(kDefineSprite, defineSprite(9, {{tagBytes(kPlaceObject2, place(1, 1, translate(200, 0)))}}));
    swf::Matrix scaled = translate(2000, 2000);
    scaled.a = scaled.d = 2;
    swftest::Placement sprite;
    sprite.depth = 1;
    sprite.characterId = 9;
    sprite.matrix = scaled;
    w.tag(kPlaceObject2, swftest::placeObject2(sprite)).showFrame();
    const QImage image = renderMovie(w.build());
    // Child at 10px inside the sprite, doubled, the sprite at 100px: 120..160.
    EXPECT_TRUE(near(image.pixel(140, 120), rgb(255, 0, 0)));
    EXPECT_TRUE(near(image.pixel(115, 120), rgb(255, 255, 255)));
    EXPECT_TRUE(near(image.pixel(165, 120), rgb(255, 255, 255)));
}

TEST(FramePainter, HairlinesStayOnePixelAndLowQualityDoesNotBlend)
{
    SwfWriter w;
    w.setBackground({255, 255, 255});
    w.tag(kDefineShape3, rect(1, {255, 255, 255, 255}, 100, 100, 1)); // far thinner than a pixel
    swf::Matrix shifted = translate(1010, 1010);
    w.tag(kPlaceObject2, place(1, 1, shifted)).showFrame();
    const QImage image = renderMovie(w.build(), swf::Quality::Low);
    int dark = 0;
    for (int x = 40; x < 70; ++x) {
        const QRgb pixel = image.pixel(x, 100);
        EXPECT_TRUE(qRed(pixel) == 0 || qRed(pixel) == 255) << "antialiased at low quality: " << qRed(pixel);
        dark += qRed(pixel) == 0;
    }
    EXPECT_GE(dark, 1) << "a hairline still shows";
    EXPECT_LE(dark, 2);
}

TEST(FramePainter, ScalingGridKeepsTheBordersOfAStretchedSprite)
{
    const auto movie = [](bool withGrid) {
        SwfWriter w;
        w.setBackground({255, 255, 255});
        w.tag(kDefineShape3, rect(1, {255, 0, 0, 255}, 100, 100)).tag(kDefineShape3, rect(2, {0, 0, 255, 255}, 20, 20));
        w.tag(kDefineSprite, defineSprite(9, {{tagBytes(kPlaceObject2, place(1, 1)), tagBytes(kPlaceObject2, place(2, 2))}}));
        if (withGrid) {
            Bytes grid;
            putU16(grid, 9);
            swftest::BitWriter bits;
            bits.ub(12, 5).sb(400, 12).sb(1600, 12).sb(400, 12).sb(1600, 12);
            const Bytes rectBits = bits.finish();
            grid.insert(grid.end(), rectBits.begin(), rectBits.end());
            w.tag(78, grid);
        }
        swf::Matrix stretched;
        stretched.a = 3;
        swftest::Placement sprite;
        sprite.depth = 1;
        sprite.characterId = 9;
        sprite.matrix = stretched;
        w.tag(kPlaceObject2, swftest::placeObject2(sprite)).showFrame();
        return w.build();
    };
    const QImage plain = renderMovie(movie(false));
    EXPECT_TRUE(near(plain.pixel(40, 10), rgb(0, 0, 255)));
    EXPECT_TRUE(near(plain.pixel(250, 50), rgb(255, 0, 0)));
    const QImage sliced = renderMovie(movie(true));
    EXPECT_TRUE(near(sliced.pixel(10, 10), rgb(0, 0, 255)));
    EXPECT_TRUE(near(sliced.pixel(40, 10), rgb(255, 0, 0))) << "the corner stays 20 pixels wide";
    EXPECT_TRUE(near(sliced.pixel(290, 50), rgb(255, 0, 0)));
    EXPECT_TRUE(near(sliced.pixel(305, 50), rgb(255, 255, 255)));
}

// Forty instances of one morph inside a stretched sprite with a scaling
// grid, moved to new ratios every frame: the morph's cache of ratios fills
// up and is emptied while the grid's parts are being worked out. Drawing a
// frame must not depend on what the cache held: the second drawing of each
// frame, with its ratios cached, is the first one.
TEST(FramePainter, MorphsInAScalingGridDrawTheSameWhateverTheCacheHeld)
{
    swf::Player player;
    load(player, swftest::morphCrowdInScalingGrid());
    swf::Renderer renderer;
    QImage first(550, 400, QImage::Format_RGB32);
    QImage again(550, 400, QImage::Format_RGB32);
    for (int frame = 0; frame < 12; ++frame) {
        renderer.render(player, first, {swf::ScaleMode::ExactFit, swf::Quality::High});
        renderer.render(player, again, {swf::ScaleMode::ExactFit, swf::Quality::High});
        ASSERT_EQ(first, again) << "frame " << frame;
        player.advance();
    }
    int red = 0;
    for (int y = 0; y < first.height(); ++y)
        for (int x = 0; x < first.width(); ++x)
            red += qRed(first.pixel(x, y)) > 200 && qBlue(first.pixel(x, y)) < 100;
    EXPECT_GT(red, 500) << "the instances show";
}

// A 2x1 bitmap, red then blue, filling a rectangle at fifty pixels to the
// bitmap pixel through a clipped, smoothed bitmap fill.
Bytes clippedBitmapMovie()
{
    SwfWriter w;
    w.setBackground({255, 255, 255});
    Bytes bitmap;
    putU16(bitmap, 4);
    bitmap.push_back(5);
    putU16(bitmap, 2);
    putU16(bitmap, 1);
    const Bytes pixels = SwfWriter::zlib(Bytes {255, 255, 0, 0, 255, 0, 0, 255});
    bitmap.insert(bitmap.end(), pixels.begin(), pixels.end());
    w.tag(36, bitmap);

    Bytes shape;
    putU16(shape, 1);
    swftest::BitWriter bounds;
    bounds.ub(13, 5).sb(0, 13).sb(2000, 13).sb(0, 13).sb(1000, 13);
    const Bytes boundsBytes = bounds.finish();
    shape.insert(shape.end(), boundsBytes.begin(), boundsBytes.end());
    shape.insert(shape.end(), {1, 0x41});
    putU16(shape, 4);
    swf::Matrix toTwips;
    toTwips.a = toTwips.d = 1000;
    const Bytes matrix = swftest::matrixBytes(toTwips);
    shape.insert(shape.end(), matrix.begin(), matrix.end());
    shape.insert(shape.end(), {0, 0x10});
    swftest::BitWriter records;
    records.ub(0, 1).ub(0x01 | 0x04, 5).ub(1, 5).sb(0, 1).sb(0, 1).ub(1, 1);
    for (auto [dx, dy] : {std::pair {2000, 0}, std::pair {0, 1000}, std::pair {-2000, 0}, std::pair {0, -1000}})
        records.ub(1, 1).ub(1, 1).ub(11, 4).ub(1, 1).sb(dx, 13).sb(dy, 13);
    records.ub(0, 1).ub(0, 5);
    const Bytes recordBytes = records.finish();
    shape.insert(shape.end(), recordBytes.begin(), recordBytes.end());
    w.tag(kDefineShape3, shape).tag(kPlaceObject2, place(1, 1)).showFrame();
    return w.build();
}

TEST(FramePainter, ClippedBitmapFillsClampAtTheEdgeInsteadOfWrapping)
{
    const QImage image = renderMovie(clippedBitmapMovie());
    EXPECT_TRUE(near(image.pixel(0, 25), rgb(255, 0, 0), 8)) << "no blue from the far edge";
    EXPECT_TRUE(near(image.pixel(99, 25), rgb(0, 0, 255), 8));
    EXPECT_TRUE(near(image.pixel(25, 25), rgb(255, 0, 0)));
    EXPECT_TRUE(near(image.pixel(50, 25), rgb(128, 0, 127), 12)) << "smoothed between the two pixels";
}

// DefineShape4 with one vertical line of 20 twips, its scaling flags as given.
Bytes scaledLineMovie(bool noScale)
{
    SwfWriter w;
    w.setBackground({255, 255, 255});
    Bytes shape;
    putU16(shape, 1);
    swftest::BitWriter bounds;
    bounds.ub(13, 5).sb(-20, 13).sb(20, 13).sb(0, 13).sb(2000, 13);
    const Bytes boundsBytes = bounds.finish();
    shape.insert(shape.end(), boundsBytes.begin(), boundsBytes.end());
    shape.insert(shape.end(), boundsBytes.begin(), boundsBytes.end());
    shape.push_back(noScale ? 0x02 : 0x01);
    shape.insert(shape.end(), {0, 1, 20, 0, std::uint8_t(noScale ? 0x06 : 0x00), 0, 0, 0, 0, 255, 0x01});
    swftest::BitWriter records;
    records.ub(0, 1).ub(0x01 | 0x08, 5).ub(1, 5).sb(0, 1).sb(0, 1).ub(1, 1);
    records.ub(1, 1).ub(1, 1).ub(11, 4).ub(1, 1).sb(0, 13).sb(2000, 13);
    records.ub(0, 1).ub(0, 5);
    const Bytes recordBytes = records.finish();
    shape.insert(shape.end(), recordBytes.begin(), recordBytes.end());
    swf::Matrix zoomed = translate(2000, 0);
    zoomed.a = zoomed.d = 10;
    w.tag(83, shape).tag(kPlaceObject2, place(1, 1, zoomed)).showFrame();
    return w.build();
}

TEST(FramePainter, LinesScaleWithTheirObjectUnlessMarkedNotTo)
{
    // A one-pixel line on a pixel boundary shades the two pixels beside it
    // by half each.
    const auto darkAcross = [](const QImage& image) {
        int dark = 0;
        for (int x = 80; x < 130; ++x)
            dark += qRed(image.pixel(x, 100)) < 192;
        return dark;
    };
    EXPECT_GE(darkAcross(renderMovie(scaledLineMovie(false))), 9);
    EXPECT_LE(darkAcross(renderMovie(scaledLineMovie(true))), 3);
    EXPECT_GE(darkAcross(renderMovie(scaledLineMovie(true))), 1);
}

TEST(FramePainter, ButtonsOfTheFirstKindTakeTheirColourTransform)
{
    // DefineButton 2 shows the red square in its up state; DefineButtonCxform
    // drops the red and adds full blue.
    Bytes button {2, 0, 0x09, 1, 0, 1, 0, 0x00, 0x00, 0x00};
    Bytes cxform {2, 0};
    swftest::BitWriter bits;
    bits.ub(1, 1).ub(1, 1).ub(10, 4);
    for (int term : {0, 0, 0, 0, 0, 255})
        bits.sb(term, 10);
    const Bytes terms = bits.finish();
    cxform.insert(cxform.end(), terms.begin(), terms.end());

    for (const bool transformed : {false, true}) {
        SwfWriter w;
        w.setBackground({255, 255, 255});
        w.tag(kDefineShape3, rect(1, {255, 0, 0, 255})).tag(7, button);
        if (transformed)
            w.tag(23, cxform);
        w.tag(kPlaceObject2, place(1, 2, translate(1000, 1000))).showFrame();
        const QImage image = renderMovie(w.build());
        EXPECT_TRUE(near(image.pixel(100, 100), transformed ? rgb(0, 0, 255) : rgb(255, 0, 0)));
        EXPECT_TRUE(near(image.pixel(10, 10), rgb(255, 255, 255)));
    }
}

TEST(FramePainter, MasksStackedWithoutEndStillDraw)
{
    SwfWriter w;
    w.setBackground({255, 255, 255});
    w.tag(kDefineShape3, rect(1, {0, 0, 0, 255}, 300, 300));
    w.tag(kDefineShape3, rect(2, {0, 0, 255, 255}, 100, 100));
    for (std::uint16_t depth = 1; depth <= 200; ++depth) {
        swftest::Placement mask;
        mask.depth = depth;
        mask.characterId = 1;
        mask.clipDepth = 60000;
        w.tag(kPlaceObject2, swftest::placeObject2(mask));
    }
    w.tag(kPlaceObject2, place(500, 2)).showFrame();
    const QImage image = renderMovie(w.build());
    EXPECT_TRUE(near(image.pixel(50, 50), rgb(0, 0, 255)));
    EXPECT_TRUE(near(image.pixel(400, 50), rgb(255, 255, 255)));
}

// Script's setMask: the mask is not drawn, what it masks shows only under
// it wherever it moves, and setMask(null) gives both back. Each frame is
// drawn whole and by changes alone, which must agree.
TEST(FramePainter, ScriptMaskFollowsTheMaskAndEndsWithNull)
{
    using swftest::ActionCode;
    using swftest::ActionWriter;
    SwfWriter w;
    w.setBackground({255, 255, 255});
    w.tag(kDefineShape3, rect(1, {0, 255, 0, 255}, 200, 200));
    w.tag(kDefineShape3, rect(2, {255, 0, 0, 255}, 50, 50));
    w.tag(kDefineSprite, defineSprite(10, {{tagBytes(kPlaceObject2, place(1, 1))}}));
    w.tag(kDefineSprite, defineSprite(11, {{tagBytes(kPlaceObject2, place(1, 2))}}));
    const auto placeNamed = [](std::uint16_t depth, std::uint16_t id, const char* name, swf::Matrix matrix) {
        swftest::Placement p;
        p.depth = depth;
        p.characterId = id;
        p.matrix = matrix;
        p.name = name;
        return swftest::placeObject2(p);
    };
    const auto setMask = [](swftest::PushValue mask) {
        ActionWriter a;
        if (mask.kind == swftest::PushValue::Kind::Null)
            a.push(mask);
        else
            a.push(mask).op(ActionCode::GetVariable);
        a.push(1, "c").op(ActionCode::GetVariable).push("setMask").op(ActionCode::CallMethod).op(ActionCode::Pop);
        return a.build();
    };
    ActionWriter move;
    move.push("m").op(ActionCode::GetVariable).push("_x", 100).op(ActionCode::SetMember);
    w.tag(kPlaceObject2, placeNamed(1, 10, "c", {})).tag(kPlaceObject2, placeNamed(2, 11, "m", translate(1000, 1000)));
    w.tag(kDoAction, setMask("m")).showFrame();
    w.tag(kDoAction, move.build()).showFrame();
    w.tag(kDoAction, setMask(swftest::PushValue::null())).showFrame();

    swf::Player player;
    load(player, w.build());
    const QRgb white = rgb(255, 255, 255), green = rgb(0, 255, 0), red = rgb(255, 0, 0);
    struct Probe {
        int x, y;
        QRgb colour;
    };
    const std::vector<std::vector<Probe>> frames {
        {{70, 70, green}, {120, 120, white}, {30, 30, white}},
        {{70, 70, white}, {120, 70, green}, {120, 120, white}},
        {{70, 70, green}, {120, 70, red}, {120, 120, green}},
    };
    swf::Renderer whole, changes;
    QImage kept(550, 400, QImage::Format_ARGB32_Premultiplied);
    swf::StageFrame frame;
    const swf::RenderOptions options {swf::ScaleMode::ExactFit, swf::Quality::High};
    for (std::size_t at = 0; at < frames.size(); ++at) {
        if (at > 0)
            player.advance();
        player.captureFrame(frame);
        QImage image(550, 400, QImage::Format_ARGB32_Premultiplied);
        whole.render(frame, image, options);
        changes.renderChanges(frame, kept, options);
        EXPECT_EQ(image, kept) << "frame " << at;
        for (const Probe& probe : frames[at])
            EXPECT_TRUE(near(image.pixel(probe.x, probe.y), probe.colour)) << "frame " << at << " at " << probe.x << "," << probe.y;
    }
}

} // namespace
