#include <gtest/gtest.h>

#include <vector>

#include "swf/runtime/SoundChannel.h"

using namespace swf;

namespace {

// A mono ramp, sample i = 10 * i, at `doubledRate`.
std::shared_ptr<const PcmSound> ramp(int frames, int doubledRate)
{
    auto sound = std::make_shared<PcmSound>();
    sound->doubledRate = doubledRate;
    for (int i = 0; i < frames; ++i)
        sound->samples.push_back(std::int16_t(10 * i));
    return sound;
}

std::vector<std::int16_t> playOut(SoundChannel& channel)
{
    std::vector<std::int16_t> out;
    std::vector<std::int16_t> block(2 * 256);
    for (std::size_t made = 1; made > 0 && out.size() < 1'000'000;) {
        made = channel.render(block.data(), 256);
        out.insert(out.end(), block.begin(), block.begin() + std::ptrdiff_t(2 * made));
    }
    return out;
}

} // namespace

// Each case plays a 1,000-sample ramp and probes the output: its length in
// frames and the left and right sample at chosen frames.
TEST(SoundChannel, InfoShapesWhatIsHeard)
{
    struct Probe {
        std::size_t frame;
        int left;
        int right;
    };
    struct Case {
        const char* what;
        int doubledRate;
        SoundInfo info;
        std::size_t frames;
        std::vector<Probe> probes;
    };
    const auto withPoints = [](std::optional<std::uint32_t> in, std::optional<std::uint32_t> out, std::uint16_t loops) {
        SoundInfo info;
        info.inPoint = in;
        info.outPoint = out;
        info.loops = loops;
        return info;
    };
    SoundInfo fadeIn;
    fadeIn.envelope = {{0, 0, 32768}, {1000, 32768, 0}};
    const std::vector<Case> cases = {
        {"plain, at the output rate", 88'200, {}, 1000, {{0, 0, 0}, {999, 9990, 9990}}},
        {"11 kHz holds each sample four frames", 22'050, {}, 4000, {{3, 0, 0}, {4, 10, 10}, {3999, 9990, 9990}}},
        {"5.5 kHz holds each sample eight frames", 11'025, {}, 8000, {{7, 0, 0}, {8, 10, 10}}},
        {"in and out points", 88'200, withPoints(100, 300, 1), 200, {{0, 1000, 1000}, {199, 2990, 2990}}},
        {"out point past the end", 88'200, withPoints(std::nullopt, 5000, 1), 1000, {{999, 9990, 9990}}},
        {"in point past the out point", 88'200, withPoints(500, 400, 1), 0, {}},
        {"three loops", 88'200, withPoints(std::nullopt, std::nullopt, 3), 3000, {{1000, 0, 0}, {2999, 9990, 9990}}},
        {"loops of the in-out stretch", 88'200, withPoints(100, 300, 2), 400, {{200, 1000, 1000}}},
        {"envelope fades left in and right out", 88'200, fadeIn, 1000, {{0, 0, 0}, {500, 2500, 2500}, {999, 9980, 10}}},
    };
    for (const Case& c : cases) {
        SoundChannel channel(ramp(1000, c.doubledRate), c.info);
        const std::vector<std::int16_t> out = playOut(channel);
        EXPECT_EQ(out.size() / 2, c.frames) << c.what;
        EXPECT_TRUE(channel.finished()) << c.what;
        for (const Probe& probe : c.probes) {
            ASSERT_LT(2 * probe.frame + 1, out.size()) << c.what;
            EXPECT_NEAR(out[2 * probe.frame], probe.left, 1) << c.what << " left at " << probe.frame;
            EXPECT_NEAR(out[2 * probe.frame + 1], probe.right, 1) << c.what << " right at " << probe.frame;
        }
    }
}

TEST(SoundChannel, StreamWaitsForBlocksAndEndsWhenClosedAndPlayed)
{
    SoundChannel stream(88'200, 2);
    const std::vector<std::int16_t> block = {1, -1, 2, -2, 3, -3};
    stream.append(block);
    std::vector<std::int16_t> out(2 * 5);
    // Three frames of sound, then silence while the next block is late.
    EXPECT_EQ(stream.render(out.data(), 5), 5u);
    EXPECT_EQ(out, (std::vector<std::int16_t> {1, -1, 2, -2, 3, -3, 0, 0, 0, 0}));
    EXPECT_FALSE(stream.finished());
    stream.append(block);
    stream.close();
    EXPECT_EQ(stream.render(out.data(), 5), 3u);
    EXPECT_TRUE(stream.finished());
}
