#include <gtest/gtest.h>

#include <vector>

#include "swf/runtime/SoundMixer.h"

using namespace swf;

namespace {

// A stereo sound at the output rate: left 8,000, right 4,000 throughout.
std::shared_ptr<const PcmSound> steady(int frames)
{
    auto sound = std::make_shared<PcmSound>();
    sound->channels = 2;
    for (int i = 0; i < frames; ++i) {
        sound->samples.push_back(8000);
        sound->samples.push_back(4000);
    }
    return sound;
}

SoundTransform levels(double ll, double lr, double rl, double rr, double volume)
{
    return {ll, lr, rl, rr, volume};
}

} // namespace

// One sound in group 7 under the movie's levels (group 0) and its own; the
// first output frame tells what is heard.
TEST(SoundMixer, GroupLevelsAndTheMoviesShapeWhatIsHeard)
{
    const SoundTransform plain;
    const struct Case {
        const char* what;
        SoundTransform movie;
        SoundTransform group;
        int left;
        int right;
    } cases[] {
        {"untouched", plain, plain, 8000, 4000},
        {"group at half volume", plain, levels(1, 0, 0, 1, 0.5), 4000, 2000},
        {"movie and group volumes multiply", levels(1, 0, 0, 1, 0.5), levels(1, 0, 0, 1, 0.5), 2000, 1000},
        {"group panned right", plain, levels(0, 0, 0, 1, 1), 0, 4000},
        {"group swaps the channels", plain, levels(0, 1, 1, 0, 1), 4000, 8000},
        {"movie swaps what the group panned left", levels(0, 1, 1, 0, 1), levels(1, 0, 0, 0, 1), 0, 8000},
        {"group mixes both into each", plain, levels(0.5, 0.5, 0.5, 0.5, 1), 6000, 6000},
    };
    for (const Case& c : cases) {
        SoundMixer mixer;
        mixer.setGroupTransform(0, c.movie);
        mixer.setGroupTransform(7, c.group);
        ASSERT_NE(mixer.startEvent(1, steady(100), SoundInfo {}, 7), 0u);
        std::vector<std::int16_t> out(2 * 10);
        mixer.render(out);
        EXPECT_EQ(out[0], c.left) << c.what;
        EXPECT_EQ(out[1], c.right) << c.what;
    }
}

TEST(SoundMixer, TaggedSoundsReportTheirEndAndGroupsStopApart)
{
    SoundMixer mixer;
    const std::uint64_t short1 = mixer.startEvent(1, steady(100), SoundInfo {}, 5, 11);
    const std::uint64_t long1 = mixer.startEvent(2, steady(100'000), SoundInfo {}, 5, 12);
    const std::uint64_t other = mixer.startEvent(2, steady(100'000), SoundInfo {}, 6, 13);
    ASSERT_TRUE(short1 && long1 && other);
    EXPECT_NE(short1, long1);

    std::vector<std::int16_t> out(2 * 60);
    mixer.render(out);
    EXPECT_EQ(mixer.position(short1), 60u);
    mixer.render(out);
    EXPECT_FALSE(mixer.position(short1).has_value());
    std::vector<SoundMixer::Ended> ended = mixer.takeEnded();
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].tag, 11u);
    EXPECT_TRUE(ended[0].completed);

    // Group 5 stops only its sound 2; group 0 stops the rest.
    mixer.stopGroup(5, std::uint16_t(2));
    ended = mixer.takeEnded();
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].tag, 12u);
    EXPECT_FALSE(ended[0].completed);
    EXPECT_EQ(mixer.activeCount(), 1u);
    mixer.stopGroup(0, std::nullopt);
    EXPECT_EQ(mixer.activeCount(), 0u);
    EXPECT_EQ(mixer.takeEnded().size(), 1u);
    EXPECT_TRUE(mixer.takeEnded().empty());
}
