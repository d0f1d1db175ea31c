#include <gtest/gtest.h>

#include <algorithm>

#include "support/SwfWriter.h"
#include "swf/read/HeaderParser.h"
#include "swf/read/TagWalker.h"

using namespace swf;
using swftest::SwfWriter;
using swftest::TagForm;
using Step = TagWalker::Step;

namespace {

struct Walk {
    std::vector<TagRecord> tags;
    Step last = Step::Tag;
    std::string problem;
};

Walk walk(const std::vector<std::uint8_t>& stream, std::uint64_t reachable)
{
    Header header;
    TagWalker walker(*parseFrameHeader(stream, header));
    Walk result;
    TagRecord tag;
    while ((result.last = walker.next(stream, reachable, tag, result.problem)) == Step::Tag)
        result.tags.push_back(tag);
    return result;
}

TEST(TagWalker, ShortAndLongFormsGiveTheSameRecord)
{
    const std::vector<std::uint8_t> body {1, 2, 3};
    const auto stream = SwfWriter().tag(9, body, TagForm::Short).tag(9, body, TagForm::Long).withoutEnd().uncompressed();
    const Walk result = walk(stream, stream.size());
    ASSERT_EQ(result.tags.size(), 2u);
    EXPECT_FALSE(result.tags[0].longForm);
    EXPECT_TRUE(result.tags[1].longForm);
    for (const TagRecord& tag : result.tags) {
        EXPECT_EQ(tag.code, 9);
        EXPECT_EQ(tag.length, 3u);
        EXPECT_EQ(tag.bodyOffset, tag.offset + (tag.longForm ? 6 : 2));
        EXPECT_TRUE(std::equal(body.begin(), body.end(), stream.begin() + std::ptrdiff_t(tag.bodyOffset)));
    }
    EXPECT_EQ(result.last, Step::Stopped);
}

TEST(TagWalker, PartialTagWaitsWhileMoreCanArrive)
{
    const std::vector<std::uint8_t> body(100, 7);
    const auto full = SwfWriter().tag(2, body).uncompressed();
    for (std::size_t cut : {full.size() - 1, full.size() - 60, full.size() - 104, full.size() - 105}) {
        const std::vector<std::uint8_t> partial(full.begin(), full.begin() + std::ptrdiff_t(cut));
        EXPECT_EQ(walk(partial, full.size()).last, Step::NeedMore) << cut;
        const Walk final = walk(partial, partial.size());
        EXPECT_EQ(final.last, Step::Stopped) << cut;
        EXPECT_FALSE(final.problem.empty());
    }
}

TEST(TagWalker, LengthPastAnythingReachableStopsAtOnce)
{
    const auto stream = SwfWriter().showFrame().tagClaiming(2, 0xFFFFFFF0u).uncompressed();
    const Walk result = walk(stream, stream.size() + 1000);
    ASSERT_EQ(result.tags.size(), 1u);
    EXPECT_EQ(result.last, Step::Stopped);
    EXPECT_NE(result.problem.find("4294967280"), std::string::npos) << result.problem;
}

} // namespace
