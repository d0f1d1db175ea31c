#include "support/BlankThenDrawn.h"

#include "support/SwfShapes.h"
#include "support/SwfWriter.h"

namespace swftest {

std::vector<std::uint8_t> blankThenDrawn(int blankFrames, int frames, swf::Compression compression)
{
    SwfWriter writer;
    writer.setFrameSize(100, 80).setBackground({255, 255, 255, 255});
    RectShape square;
    square.width = 100 * 20;
    square.height = 80 * 20;
    square.fill = {255, 0, 0, 255};
    writer.tag(32, defineShape3(square));
    for (int frame = 0; frame < frames; ++frame) {
        if (frame == blankFrames)
            writer.tag(26, placeObject2({.depth = 1, .characterId = square.id}));
        if (frame == blankFrames + 1) {
            const std::uint8_t removeDepthOne[] {1, 0};
            writer.tag(28, removeDepthOne); // RemoveObject2
        }
        writer.showFrame();
    }
    return writer.build(compression);
}

} // namespace swftest
