#pragma once

// The drawing benchmark's scenes, described once: rectangles filled with a
// left-to-right linear gradient and outlined two pixels wide, many
// placements of a few definitions, each turned and moved every frame. The
// engine plays them as a SWF movie; the benchmark draws the very same
// rectangles with the general 2D libraries it is measured against, and the
// tests draw them in parts.

#include <cstdint>
#include <vector>

#include <QImage>

#include "swf/Color.h"
#include "swf/Matrix.h"

namespace swftest {

struct Scene {
    int shapes;
    int width; // pixels
    int height;
    double fps;
    // The benchmark's knobs for telling what a shape's cost grows with:
    // the definitions' size, and the share of the stage's width and
    // height the placements fall within.
    double shapeScale = 1;
    double spread = 1;
};

// 300 shapes at 800x600, 24 fps; 3,000 at 1280x720, 30 fps.
inline constexpr Scene kCartoon {300, 800, 600, 24};
inline constexpr Scene kStress {3000, 1280, 720, 30};

// One of the scene's rectangle definitions, in twips from (0, 0).
struct SceneRect {
    int width;
    int height;
    swf::Color from; // the gradient's left end
    swf::Color to;   // its right end
    int lineWidth;   // twips
    swf::Color line;
};

inline constexpr int kSceneDefinitions = 16;
SceneRect sceneRect(const Scene& scene, int definition);
// The definition the shape at `index` places.
inline int sceneDefinitionOf(int index)
{
    return index % kSceneDefinitions;
}
// Where the shape at `index` stands in `frame`, twips.
swf::Matrix scenePlacement(const Scene& scene, int index, int frame);

// The scene as a movie of `frames` frames on a white stage, the shapes at
// depths 1 up in index order. `paddingBytes` of incompressible data after
// the first frame stand for a real movie's sounds and bitmaps.
std::vector<std::uint8_t> sceneMovie(const Scene& scene, int frames, int paddingBytes = 0);

// A 1280x720 movie whose only motion is one 50x50 clip (a sprite holding
// a square) moving a few pixels a frame over a thousand still shapes of the
// scene.
std::vector<std::uint8_t> stillSceneWithOneClip(int frames);

// A digest of the image's pixels (FNV-1a over its rows), to tell whether a
// change meant only to make drawing faster left every pixel as it was.
std::uint64_t pixelDigest(const QImage& image);

} // namespace swftest
