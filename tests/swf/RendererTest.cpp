#include <gtest/gtest.h>

#include <cstring>

#include "support/ActionWriter.h"
#include "support/RenderScenes.h"
#include "support/SwfShapes.h"
#include "support/SwfWriter.h"
#include "swf/Renderer.h"
#include "swf/read/TagCode.h"

using namespace swf;
using swftest::SwfWriter;

namespace {

void loadInto(Player& player, const std::vector<std::uint8_t>& bytes)
{
    player.open();
    player.feed(bytes);
    player.finish();
}

bool filledWith(const QImage& image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != colour)
                return false;
    return true;
}

TEST(Renderer, FillsTheWholeTargetWithTheStageColour)
{
    Player player;
    loadInto(player, SwfWriter().setFrameSize(40, 30).setBackground({200, 10, 20}).showFrame().build());
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB888}) {
        QImage image(64, 20, format);
        image.fill(Qt::black);
        render(player, image);
        EXPECT_TRUE(filledWith(image, qRgb(200, 10, 20))) << int(format);
    }
}

TEST(Renderer, StageColourIsOpaqueAndFollowsTheOverride)
{
    Player player;
    loadInto(player, SwfWriter().showFrame().build());
    player.setBackgroundColor({1, 2, 3, 0});
    QImage image(8, 8, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    render(player, image);
    EXPECT_TRUE(filledWith(image, qRgba(1, 2, 3, 255)));
}

TEST(Renderer, NoMovieLeavesTheTargetUntouched)
{
    Player player;
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::green);
    render(player, image);
    EXPECT_TRUE(filledWith(image, qRgb(0, 255, 0)));

    loadInto(player, std::vector<std::uint8_t> {'n', 'o', 'p', 'e'});
    render(player, image);
    EXPECT_TRUE(filledWith(image, qRgb(0, 255, 0)));
}

TEST(Renderer, NullTargetIsHarmless)
{
    Player player;
    loadInto(player, SwfWriter().showFrame().build());
    QImage image;
    render(player, image);
    EXPECT_TRUE(image.isNull());
}

int differingPixels(const QImage& a, const QImage& b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}

// Pixels that differ between the two and lie outside `region`.
int changesOutside(const QImage& before, const QImage& after, const QRegion& region)
{
    int count = 0;
    for (int y = 0; y < after.height(); ++y) {
        if (std::memcmp(before.constScanLine(y), after.constScanLine(y), std::size_t(after.bytesPerLine())) == 0)
            continue;
        for (int x = 0; x < after.width(); ++x)
            count += before.pixel(x, y) != after.pixel(x, y) && !region.contains(QPoint(x, y));
    }
    return count;
}

// A shape whose tag claims a one-twip square, drawn across the bands'
// edges as it moves: bands must not go by what the tag claims. Stretched
// sixteen times across, its outline is four times as thick all round.
std::vector<std::uint8_t> understatedBoundsMovie(int frames)
{
    SwfWriter writer;
    writer.setFrameSize(640, 480).setBackground({255, 255, 255, 255});
    swftest::RectShape shape;
    shape.width = 300 * 20;
    shape.height = 200 * 20;
    shape.gradientTo = Color {0, 0, 255, 255};
    shape.lineWidth = 200;
    shape.boundsUnderstated = true;
    writer.tag(32, swftest::defineShape3(shape));
    for (int frame = 0; frame < frames; ++frame) {
        swftest::Placement place;
        if (frame == 0)
            place.characterId = shape.id;
        place.move = frame > 0;
        place.matrix = Matrix {16, 0, 0, 1, (-1000.0 + 40 * frame) * 20, (30.0 + 70 * frame) * 20};
        writer.tag(26, swftest::placeObject2(place)).showFrame();
    }
    return writer.build();
}

// Frames whose script draws: a square into the main movie that moves
// and changes colour, and one into a made clip that grows.
std::vector<std::uint8_t> scriptDrawnMovie(int frames)
{
    using swftest::ActionCode;
    SwfWriter writer;
    writer.setVersion(8).setFrameSize(640, 480).setFrameRate(12).setFrameCount(std::uint16_t(frames));
    for (int k = 0; k < frames; ++k) {
        swftest::ActionWriter w;
        const auto call = [&w](const char* target, const char* method, std::initializer_list<swftest::PushValue> args) {
            std::vector<swftest::PushValue> reversed(args);
            for (auto it = reversed.rbegin(); it != reversed.rend(); ++it)
                w.pushValues({*it});
            w.push(int(args.size()), target).op(ActionCode::GetVariable).push(method).op(ActionCode::CallMethod).op(ActionCode::Pop);
        };
        const auto square = [&call](const char* target, int rgb, int x, int y, int size) {
            call(target, "beginFill", {rgb});
            call(target, "moveTo", {x, y});
            call(target, "lineTo", {x + size, y});
            call(target, "lineTo", {x + size, y + size});
            call(target, "lineTo", {x, y + size});
            call(target, "endFill", {});
        };
        call("_root", "clear", {});
        call("_root", "lineStyle", {4, 0x000000});
        square("_root", 0x200000 * (k + 1), 40 + 30 * k, 40, 100);
        if (k == 0)
            call("_root", "createEmptyMovieClip", {"c", 1});
        square("c", 0x00A000, 300, 200 + 10 * k, 20 + 15 * k);
        const std::vector<std::uint8_t> body = w.build();
        writer.tag(std::uint16_t(TagCode::DoAction), body).showFrame();
    }
    return writer.end().build();
}

// The benchmark's scenes, whose every pixel work on the rasterizer's
// speed must leave as it was: digests of frames drawn before that work
// (taken again when outlines' inner corners stopped counting twice, and
// when thin round lines came to be covered from the distance to them).
TEST(Renderer, SceneFramesKeepTheirPixelsToTheByte)
{
    const std::vector<std::uint8_t> cartoon = swftest::sceneMovie(swftest::kCartoon, 18);
    const std::vector<std::uint8_t> stress = swftest::sceneMovie(swftest::kStress, 30);
    struct Case {
        const std::vector<std::uint8_t>& movie;
        QSize size;
        int frame;
        std::uint64_t digest;
    };
    const Case cases[] = {
        {cartoon, QSize(800, 600), 0, 0x632c4f86f4b00bfe},   {cartoon, QSize(800, 600), 17, 0x93f95d6462bc7150},
        {cartoon, QSize(1920, 1080), 5, 0x79025035143d3145}, {cartoon, QSize(333, 251), 9, 0x8ce167e1fcd8ba55},
        {stress, QSize(1280, 720), 0, 0xbeeccc7d7a4d4f66},   {stress, QSize(1280, 720), 29, 0xa7a7e2d84ed98570},
    };
    for (const Case& entry : cases) {
        Player player;
        loadInto(player, entry.movie);
        for (int frame = 0; frame < entry.frame; ++frame)
            player.advance();
        Renderer renderer;
        renderer.setThreads(1);
        QImage target(entry.size, QImage::Format_ARGB32_Premultiplied);
        renderer.render(player, target);
        EXPECT_EQ(swftest::pixelDigest(target), entry.digest) << entry.size.width() << "x" << entry.size.height() << ", frame " << entry.frame;
    }
}

// Bands drawn at once, and frames drawn only where they changed, against
// the whole frame on one thread: the same bytes, and the region said to
// have changed holds every pixel that did.
TEST(Renderer, FramesDrawnInBandsOrByChangesMatchTheWholeFrame)
{
    struct Case {
        const char* name;
        std::vector<std::uint8_t> movie;
        QSize size;
    };
    const Case cases[] = {
        {"cartoon", swftest::sceneMovie(swftest::kCartoon, 4), QSize(800, 600)},
        {"stress", swftest::sceneMovie(swftest::kStress, 3), QSize(1280, 720)},
        {"cartoon filling 1920x1080", swftest::sceneMovie(swftest::kCartoon, 3), QSize(1920, 1080)},
        {"one clip moving", swftest::stillSceneWithOneClip(4), QSize(1280, 720)},
        {"drawn by script", scriptDrawnMovie(4), QSize(640, 480)},
        {"bounds that fall short", understatedBoundsMovie(4), QSize(640, 480)},
    };
    for (const Case& entry : cases) {
        SCOPED_TRACE(entry.name);
        Player player;
        loadInto(player, entry.movie);
        Renderer whole;
        whole.setThreads(1);
        Renderer banded;
        banded.setThreads(3);
        Renderer changes;
        changes.setThreads(2);
        QImage kept(entry.size, QImage::Format_ARGB32_Premultiplied);
        QImage before;
        StageFrame frame;
        for (int step = 0; step < player.frameCount(); ++step, player.advance()) {
            player.captureFrame(frame);
            QImage expected(entry.size, QImage::Format_ARGB32_Premultiplied);
            whole.render(frame, expected);
            QImage bands(entry.size, QImage::Format_ARGB32_Premultiplied);
            banded.render(frame, bands);
            const QRegion changed = changes.renderChanges(frame, kept);
            EXPECT_EQ(differingPixels(expected, bands), 0) << "frame " << step;
            EXPECT_EQ(differingPixels(expected, kept), 0) << "frame " << step;
            if (!before.isNull()) {
                EXPECT_EQ(changesOutside(before, expected, changed), 0) << "frame " << step;
            }
            before = expected;
        }
    }
}

TEST(Renderer, OnlyWhatChangedIsDrawnAgain)
{
    Player player;
    loadInto(player, swftest::stillSceneWithOneClip(3));
    Renderer renderer;
    QImage target(1280, 720, QImage::Format_ARGB32_Premultiplied);
    StageFrame frame;
    player.captureFrame(frame);
    EXPECT_EQ(renderer.renderChanges(frame, target), QRegion(target.rect())) << "the first frame is new everywhere";
    EXPECT_TRUE(renderer.renderChanges(frame, target).isEmpty()) << "the same frame again changes nothing";

    player.advance();
    player.captureFrame(frame);
    const QRegion moved = renderer.renderChanges(frame, target);
    // The clip's 50x50 where it was and where it is, a few pixels apart.
    const QRect around = moved.boundingRect();
    EXPECT_FALSE(moved.isEmpty());
    EXPECT_LT(around.width() * around.height(), 80 * 80);

    // Pixels written behind the renderer's back: the target is drawn whole.
    target.fill(Qt::black);
    renderer.renderChanges(frame, target);
    QImage expected(target.size(), QImage::Format_ARGB32_Premultiplied);
    Renderer().render(frame, expected);
    EXPECT_EQ(differingPixels(expected, target), 0);
}

} // namespace
