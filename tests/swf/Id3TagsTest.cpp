#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "swf/media/Id3Tags.h"

using namespace swf;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// An ID3v2 tag of `version` holding `frames` (already laid out), its size
// as the header says it (`claimed` overrides it).
Bytes id3v2(std::uint8_t version, const Bytes& frames, std::uint8_t flags = 0, std::optional<std::uint32_t> claimed = {})
{
    const std::uint32_t size = claimed.value_or(std::uint32_t(frames.size()));
    Bytes tag {'I', 'D', '3', version, 0, flags, std::uint8_t(size >> 21 & 0x7F), std::uint8_t(size >> 14 & 0x7F),
               std::uint8_t(size >> 7 & 0x7F), std::uint8_t(size & 0x7F)};
    return tag + frames;
}

// A version 2.3 frame (2.4 writes the size syncsafe, the same for small ones).
Bytes frame(std::string_view name, const Bytes& body, std::optional<std::uint32_t> claimed = {})
{
    const std::uint32_t size = claimed.value_or(std::uint32_t(body.size()));
    return bytesOf(name) + Bytes {std::uint8_t(size >> 24), std::uint8_t(size >> 16), std::uint8_t(size >> 8), std::uint8_t(size), 0, 0} + body;
}

Bytes frame22(std::string_view name, const Bytes& body)
{
    return bytesOf(name) + Bytes {0, 0, std::uint8_t(body.size())} + body;
}

Bytes id3v1(std::string_view title, std::uint8_t track, std::uint8_t genre)
{
    Bytes tag = bytesOf("TAG");
    Bytes field(30, 0);
    std::copy(title.begin(), title.end(), field.begin());
    tag = tag + field + Bytes(30, 0) + Bytes(30, 0) + bytesOf("1999") + Bytes(28, 0) + Bytes {0, track, genre};
    return tag;
}

using Fields = std::vector<std::pair<std::string, std::string>>;

} // namespace

// Each case is a file's bytes and the fields script is to see, in order.
TEST(Id3Tags, TagsOfEveryVersionAndEncodingReadAsScriptSeesThem)
{
    const Bytes audio(300, 0x55);
    const struct Case {
        const char* what;
        Bytes file;
        Fields expected;
    } cases[] {
        {"no tag", audio, {}},
        {"v2.3 Latin-1 title and artist, with their v1 names",
         id3v2(3, frame("TIT2", Bytes {0} + bytesOf("Caf\xE9")) + frame("TPE1", Bytes {0} + bytesOf("Me"))) + audio,
         {{"TIT2", "Caf\xC3\xA9"}, {"TPE1", "Me"}, {"songname", "Caf\xC3\xA9"}, {"artist", "Me"}}},
        {"v2.3 UTF-16 with a byte order mark, little-endian",
         id3v2(3, frame("TALB", Bytes {1, 0xFF, 0xFE, 'A', 0, 0xAC, 0x20, 0, 0})) + audio,
         {{"TALB", "A\xE2\x82\xAC"}, {"album", "A\xE2\x82\xAC"}}},
        {"v2.4 UTF-8, and a comment after its language and description",
         id3v2(4, frame("TRCK", Bytes {3} + bytesOf("7/9")) + frame("COMM", Bytes {0} + bytesOf("eng") + bytesOf("d") + Bytes {0} + bytesOf("Hi")))
             + audio,
         {{"TRCK", "7/9"}, {"COMM", "Hi"}, {"comment", "Hi"}, {"track", "7/9"}}},
        {"v2.2 names its frames with three letters", id3v2(2, frame22("TT2", Bytes {0} + bytesOf("Old"))) + audio,
         {{"TIT2", "Old"}, {"songname", "Old"}}},
        {"v1 with a track number, after the audio", audio + id3v1("Song", 5, 17),
         {{"songname", "Song"}, {"artist", ""}, {"album", ""}, {"year", "1999"}, {"comment", ""}, {"track", "5"}, {"genre", "17"}}},
        {"v2 wins over v1 for the names both give",
         id3v2(3, frame("TIT2", Bytes {0} + bytesOf("Two"))) + audio + id3v1("One", 0, 1),
         {{"TIT2", "Two"}, {"songname", "Two"}, {"artist", ""}, {"album", ""}, {"year", "1999"}, {"comment", ""}, {"genre", "1"}}},
        {"a frame claiming more than the tag holds gives what is there",
         id3v2(3, frame("TIT2", Bytes {0} + bytesOf("Cut"), 1'000'000)), {{"TIT2", "Cut"}, {"songname", "Cut"}}},
        {"a tag claiming more than the file holds is read to the file's end",
         id3v2(3, frame("TPE1", Bytes {0} + bytesOf("Short")), 0, 0x0FFFFFFF), {{"TPE1", "Short"}, {"artist", "Short"}}},
        {"a frame name that is not one ends the frames",
         id3v2(3, frame("TIT2", Bytes {0} + bytesOf("Kept")) + frame("t!t?", Bytes {0} + bytesOf("junk"))) + audio,
         {{"TIT2", "Kept"}, {"songname", "Kept"}}},
        {"unsynchronised, a 0xFF 0x00 reads as 0xFF", id3v2(3, frame("TIT2", Bytes {0, 'a', 0xFF, 0, 'b'}), 0x80) + audio,
         {{"TIT2", "a\xC3\xBF" "b"}, {"songname", "a\xC3\xBF" "b"}}},
        {"a size with its high bits set is no tag", Bytes {'I', 'D', '3', 3, 0, 0, 0x80, 0, 0, 8} + frame("TIT2", Bytes {0, 'x'}) + audio, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(readId3Tags(c.file).fields, c.expected) << c.what;
}
