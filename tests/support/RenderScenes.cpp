#include "RenderScenes.h"

#include <algorithm>
#include <cmath>

#include "support/SwfShapes.h"
#include "support/SwfWriter.h"

namespace swftest {

SceneRect sceneRect(const Scene& scene, int definition)
{
    const int id = definition + 1;
    const auto size = [&](int twips) { return int(twips * scene.shapeScale); };
    return {size(400 + id * 60), size(300 + id * 40), {std::uint8_t(id * 15), 100, 200, 255}, {255, std::uint8_t(id * 10), 0, 255}, 40,
            {0, 0, 0, 255}};
}

swf::Matrix scenePlacement(const Scene& scene, int index, int frame)
{
    const double t = frame * 0.1 + index;
    const double x = std::fmod(index * 97.0 + frame * 7.0, scene.width * scene.spread) * 20;
    const double y = std::fmod(index * 53.0 + frame * 5.0, scene.height * scene.spread) * 20;
    const double angle = std::sin(t) * 0.5;
    return {std::cos(angle), std::sin(angle), -std::sin(angle), std::cos(angle), x, y};
}

namespace {

// The scene's definitions, and its shapes placed as in its first frame.
void writeFirstFrame(const Scene& scene, SwfWriter& writer)
{
    for (int definition = 0; definition < kSceneDefinitions; ++definition) {
        const SceneRect rect = sceneRect(scene, definition);
        RectShape shape;
        shape.id = std::uint16_t(definition + 1);
        shape.width = rect.width;
        shape.height = rect.height;
        shape.fill = rect.from;
        shape.gradientTo = rect.to;
        shape.lineWidth = std::uint16_t(rect.lineWidth);
        shape.lineColor = rect.line;
        writer.tag(32, defineShape3(shape));
    }
    for (int i = 0; i < scene.shapes; ++i) {
        Placement place;
        place.depth = std::uint16_t(i + 1);
        place.characterId = std::uint16_t(sceneDefinitionOf(i) + 1);
        place.matrix = scenePlacement(scene, i, 0);
        writer.tag(26, placeObject2(place));
    }
}

} // namespace

std::vector<std::uint8_t> sceneMovie(const Scene& scene, int frames, int paddingBytes)
{
    SwfWriter writer;
    writer.setFrameSize(scene.width, scene.height).setFrameRate(scene.fps).setBackground({255, 255, 255, 255});
    writeFirstFrame(scene, writer);
    writer.showFrame();
    std::vector<std::uint8_t> padding(std::size_t(std::max(0, paddingBytes)));
    std::uint32_t seed = 12345;
    for (std::uint8_t& byte : padding) {
        seed = seed * 1664525u + 1013904223u;
        byte = std::uint8_t(seed >> 24);
    }
    if (paddingBytes > 0)
        writer.tag(250, padding);
    for (int frame = 1; frame < frames; ++frame) {
        for (int i = 0; i < scene.shapes; ++i) {
            Placement move;
            move.depth = std::uint16_t(i + 1);
            move.move = true;
            move.matrix = scenePlacement(scene, i, frame);
            writer.tag(26, placeObject2(move));
        }
        writer.showFrame();
    }
    return writer.build(swf::Compression::Zlib);
}

std::vector<std::uint8_t> stillSceneWithOneClip(int frames)
{
    constexpr Scene kStill {1000, 1280, 720, 30};
    SwfWriter writer;
    writer.setFrameSize(kStill.width, kStill.height).setFrameRate(kStill.fps).setBackground({255, 255, 255, 255});
    constexpr std::uint16_t kSquare = 100;
    constexpr std::uint16_t kClip = 101;
    RectShape square;
    square.id = kSquare;
    square.width = 960; // 48 pixels and a 2-pixel outline: 50x50
    square.height = 960;
    square.fill = {220, 40, 40, 255};
    square.lineWidth = 40;
    writer.tag(32, defineShape3(square));
    Placement inner;
    inner.characterId = kSquare;
    inner.matrix = swf::Matrix {1, 0, 0, 1, 20, 20};
    writer.tag(39, defineSprite(kClip, {{tagBytes(26, placeObject2(inner))}}));
    writeFirstFrame(kStill, writer);
    const auto clipAt = [](int frame) { return swf::Matrix {1, 0, 0, 1, (200.0 + frame * 6) * 20, (300.0 + frame * 3) * 20}; };
    Placement clip;
    clip.depth = std::uint16_t(kStill.shapes + 1);
    clip.characterId = kClip;
    clip.matrix = clipAt(0);
    writer.tag(26, placeObject2(clip));
    writer.showFrame();
    for (int frame = 1; frame < frames; ++frame) {
        Placement move;
        move.depth = std::uint16_t(kStill.shapes + 1);
        move.move = true;
        move.matrix = clipAt(frame);
        writer.tag(26, placeObject2(move));
        writer.showFrame();
    }
    return writer.build(swf::Compression::Zlib);
}

std::uint64_t pixelDigest(const QImage& image)
{
    std::uint64_t hash = 14695981039346656037ull;
    const qsizetype rowBytes = qsizetype(image.width()) * 4;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        for (qsizetype i = 0; i < rowBytes; ++i)
            hash = (hash ^ row[i]) * 1099511628211ull;
    }
    return hash;
}

} // namespace swftest
