// The memory budget that decoded bitmaps share: least recently used go
// first, busy ones are passed over, what cannot fit is refused; and a movie
// whose bitmaps outgrow it still draws them all, decoding again as needed.

#include <gtest/gtest.h>

#include "MovieBits.h"
#include "swf/Renderer.h"
#include "swf/define/MemoryBudget.h"

namespace {

using namespace movietest;

struct FakeEntry : swf::MemoryBudget::Entry {
    bool busy = false;
    bool released = false;
    bool tryRelease() override
    {
        if (busy)
            return false;
        released = true;
        return true;
    }
};

TEST(MemoryBudget, LeastRecentlyUsedGoFirstBusyOnesStayAndWhatCannotFitIsRefused)
{
    swf::MemoryBudget budget(100);
    FakeEntry a, b, c, d;
    ASSERT_TRUE(budget.charge(a, 40));
    ASSERT_TRUE(budget.charge(b, 40));
    budget.touch(a); // b is now the least recently used
    ASSERT_TRUE(budget.charge(c, 40));
    EXPECT_TRUE(b.released);
    EXPECT_FALSE(a.released);
    EXPECT_EQ(budget.used(), 80u);

    a.busy = true;
    c.busy = true;
    EXPECT_FALSE(budget.charge(d, 40)) << "nothing can make room";
    EXPECT_EQ(budget.used(), 80u);
    EXPECT_FALSE(budget.charge(d, 101)) << "more than the whole budget";

    c.busy = false;
    EXPECT_TRUE(budget.charge(d, 40));
    EXPECT_TRUE(c.released);
    budget.release(a);
    EXPECT_EQ(budget.used(), 40u);
}

// DefineBitsLossless2 of `side` x `side` opaque pixels of one colour.
Bytes losslessSquare(std::uint16_t id, int side, QRgb colour)
{
    Bytes body;
    putU16(body, id);
    body.push_back(5);
    putU16(body, std::uint16_t(side));
    putU16(body, std::uint16_t(side));
    Bytes pixels;
    for (int i = 0; i < side * side; ++i)
        pixels.insert(pixels.end(), {0xFF, std::uint8_t(qRed(colour)), std::uint8_t(qGreen(colour)), std::uint8_t(qBlue(colour))});
    const Bytes packed = swftest::SwfWriter::zlib(pixels);
    body.insert(body.end(), packed.begin(), packed.end());
    return body;
}

TEST(MemoryBudget, AMovieWhoseBitmapsOutgrowTheBudgetStillDrawsThemAll)
{
    // Three bitmaps of 160 KB decoded, and a budget of 400 KB.
    const QRgb colours[] {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
    swftest::SwfWriter w;
    for (std::uint16_t i = 0; i < 3; ++i) {
        w.tag(36, losslessSquare(std::uint16_t(i + 1), 200, colours[i]));
        w.tag(26, place(std::uint16_t(i + 1), std::uint16_t(i + 1), translate(i * 4000.0, 0)));
    }
    w.tag(36, losslessSquare(9, 400, qRgb(0, 0, 0)));
    w.tag(26, place(9, 9, translate(0, 4000)));
    swf::Player player;
    player.setMemoryBudget(400 * 1024);
    load(player, w.showFrame().build());
    swf::Renderer renderer;
    QImage image(600, 400, QImage::Format_RGB32);
    for (int round = 0; round < 3; ++round) {
        renderer.render(player, image, {swf::ScaleMode::ExactFit, swf::Quality::High});
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(image.pixel(i * 200 + 100, 100), colours[i]) << "round " << round << ", bitmap " << i;
    }
    // The bitmap larger than the whole budget is left out, and said so.
    EXPECT_NE(image.pixel(100, 300), qRgb(0, 0, 0));
    const auto diagnostics = player.diagnostics();
    EXPECT_TRUE(std::any_of(diagnostics.begin(), diagnostics.end(),
                            [](const swf::Diagnostic& d) { return d.message.find("memory budget") != std::string::npos; }));
}

} // namespace
