#include "preview/Thumbnail.h"

#include <algorithm>
#include <cmath>

#include "swf/Player.h"
#include "swf/Renderer.h"

namespace preview {

QSize thumbnailSize(const swf::Rect& stage, int size)
{
    const double width = stage.width();
    const double height = stage.height();
    if (!(width > 0 && height > 0))
        return {size, size};
    const double scale = size / std::max(width, height);
    return {std::max(1, int(std::lround(width * scale))), std::max(1, int(std::lround(height * scale)))};
}

bool drawsSomething(const QImage& frame, QRgb stageColour)
{
    const QRgb wanted = stageColour & RGB_MASK;
    for (int y = 0; y < frame.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
        for (int x = 0; x < frame.width(); ++x) {
            if ((row[x] & RGB_MASK) != wanted)
                return true;
        }
    }
    return false;
}

QImage representativeFrame(swf::Player& player, int size, const ThumbnailLimits& limits)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + limits.searchBudget;
    const swf::Color stage = player.backgroundColor();
    const QRgb stageColour = qRgb(stage.r, stage.g, stage.b);

    QImage frame(thumbnailSize(player.header()->frameSize, size), QImage::Format_RGB32);
    // A movie shorter than the limit has been seen whole once it wraps.
    const int frames = std::clamp(player.frameCount(), 1, std::max(1, limits.maxFrames));
    for (int looked = 0;; ++looked) {
        swf::render(player, frame, {swf::ScaleMode::ExactFit, swf::Quality::High});
        if (drawsSomething(frame, stageColour) || looked + 1 >= frames || Clock::now() >= deadline)
            return frame;
        const int before = player.currentFrame();
        player.advance();
        // A stopped movie will show nothing new.
        if (player.currentFrame() == before)
            return frame;
    }
}

} // namespace preview
