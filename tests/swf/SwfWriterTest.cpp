#include <gtest/gtest.h>

#include "support/SwfWriter.h"

using swftest::SwfWriter;
using swftest::TagForm;

namespace {

// Other engineers' tests lean on the writer producing exact bytes.
TEST(SwfWriter, MinimalMovieBytes)
{
    const auto bytes = SwfWriter().setFrameSize(1, 1).setFrameRate(12).showFrame().build();
    const std::vector<std::uint8_t> expected {
        'F', 'W', 'S', 10, 20, 0, 0, 0,
        0x30, 0x0A, 0x00, 0xA0,             // RECT: 6 bits a field, 0..20, 0..20
        0x00, 0x0C, 0x01, 0x00,             // 12 fps, one frame
        0x40, 0x00,                         // ShowFrame
        0x00, 0x00,                         // End
    };
    EXPECT_EQ(bytes, expected);
}

TEST(SwfWriter, TagFormsAndLyingLengths)
{
    SwfWriter writer;
    writer.withoutEnd().setFrameRect({}).setRectBits(0);
    writer.tag(9, std::vector<std::uint8_t> {1, 2, 3}, TagForm::Long).tagClaiming(2, 1000);
    const auto bytes = writer.uncompressed();
    const std::vector<std::uint8_t> tags(bytes.begin() + 13, bytes.end());
    const std::vector<std::uint8_t> expected {0x7F, 0x02, 3, 0, 0, 0, 1, 2, 3, 0xBF, 0x00, 0xE8, 0x03, 0, 0};
    EXPECT_EQ(tags, expected);
}

} // namespace
