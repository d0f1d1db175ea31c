#include "swf/media/FlvFile.h"

#include <gtest/gtest.h>

#include "support/VideoClips.h"

namespace {

std::vector<std::uint8_t> fiveTagFile()
{
    swftest::VideoClip clip;
    clip.codec = 2;
    for (std::uint8_t i = 0; i < 5; ++i) {
        clip.packets.push_back(std::vector<std::uint8_t>(10 + 7 * i, i));
        clip.keyFrames.push_back(i == 0);
    }
    return swftest::flvFileOf(clip, 40);
}

// A file read as it arrives, a few bytes at a time or by any prefix at
// once, gives the tags that have come whole and never a fault.
TEST(FlvFile, AGrowingPrefixGivesTheTagsWholeInIt)
{
    const std::vector<std::uint8_t> file = fiveTagFile();
    const swf::Result<swf::FlvFile> whole = swf::readFlvFile(file);
    ASSERT_TRUE(whole);
    ASSERT_EQ(whole.value().tags.size(), 5u);
    for (const std::size_t step : {1, 7, 64}) {
        swf::FlvReader reader;
        std::vector<swf::FlvTag> tags;
        for (std::size_t cut = 0;; cut = std::min(cut + step, file.size())) {
            const std::span<const std::uint8_t> arrived(file.data(), cut);
            ASSERT_TRUE(reader.read(arrived, tags)) << cut << ": " << reader.error();
            // The tags whole in the prefix: those whose body ends within it.
            std::size_t due = 0;
            for (const swf::FlvTag& tag : whole.value().tags)
                due += std::size_t(tag.body.data() + tag.body.size() - file.data()) <= cut;
            ASSERT_EQ(tags.size(), due) << "step " << step << " at " << cut;
            EXPECT_EQ(reader.headerRead(), cut >= 9);
            if (!tags.empty()) {
                EXPECT_EQ(tags.back().time, whole.value().tags[due - 1].time);
            }
            if (cut == file.size())
                break;
        }
    }
}

TEST(FlvFile, WhatCannotBeAnFlvFileFailsAsSoonAsItShows)
{
    const struct Case {
        std::vector<std::uint8_t> bytes;
        bool fails;
    } cases[] {
        {{'F', 'L'}, false},
        {{'F', 'L', 'X'}, true},
        {{'G'}, true},
        {{'F', 'L', 'V', 1, 1, 0, 0, 0, 5}, true},           // a header shorter than a header
        {{'F', 'L', 'V', 1, 1, 0xFF, 0, 0, 0, 0}, false},    // a long header still coming
    };
    for (const Case& c : cases) {
        swf::FlvReader reader;
        std::vector<swf::FlvTag> tags;
        EXPECT_EQ(!reader.read(c.bytes, tags), c.fails) << c.bytes.size();
        EXPECT_EQ(!swf::readFlvFile(c.bytes), true) << "not a whole file either";
    }
}

} // namespace
