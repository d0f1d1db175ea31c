#include <gtest/gtest.h>

#include "support/SwfWriter.h"
#include "swf/Renderer.h"

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

} // namespace
