#include <gtest/gtest.h>

#include <algorithm>

#include "support/SwfWriter.h"
#include "swf/read/Movie.h"
#include "swf/read/HeaderParser.h"
#include "swf/read/MovieLoader.h"
#include "swf/read/TagCode.h"

using namespace swf;
using swftest::SwfWriter;

namespace {

const Compression kAllCompressions[] {Compression::None, Compression::Zlib, Compression::Lzma};

struct Loaded {
    std::unique_ptr<MovieLoader> loader = std::make_unique<MovieLoader>();
    const Movie& movie() const { return *loader->movie(); }
};

Loaded load(const std::vector<std::uint8_t>& bytes, std::size_t chunk = SIZE_MAX, bool finish = true)
{
    Loaded loaded;
    for (std::size_t at = 0; at < bytes.size(); at += chunk)
        loaded.loader->feed(std::span(bytes).subspan(at, std::min(chunk, bytes.size() - at)));
    if (finish)
        loaded.loader->finish();
    return loaded;
}

bool mentions(const Movie& movie, const std::string& words)
{
    for (const Diagnostic& diagnostic : movie.diagnostics())
        if (diagnostic.message.find(words) != std::string::npos)
            return true;
    return false;
}

SwfWriter threeFrames()
{
    SwfWriter writer;
    const std::uint8_t shape[] {1, 0, 0, 0, 0, 0};
    writer.setFrameSize(320, 240).setBackground({10, 20, 30});
    writer.tag(2, shape).showFrame();
    writer.tag(4, shape).showFrame();
    writer.showFrame();
    return writer;
}

class MovieLoaderAllCompressions : public testing::TestWithParam<Compression> { };

TEST_P(MovieLoaderAllCompressions, ReadsHeaderTagsAndFrames)
{
    const auto loaded = load(threeFrames().build(GetParam()));
    ASSERT_FALSE(loaded.loader->failed()) << loaded.loader->error();
    const Movie& movie = loaded.movie();
    EXPECT_EQ(movie.header().compression, GetParam());
    EXPECT_EQ(movie.header().frameSize.width(), 320 * 20);
    EXPECT_EQ(movie.header().frameCount, 3);
    EXPECT_EQ(movie.backgroundColor(), (Color {10, 20, 30, 255}));
    EXPECT_TRUE(movie.ended());
    EXPECT_TRUE(movie.diagnostics().empty()) << movie.diagnostics().front().message;
    ASSERT_EQ(movie.frames().size(), 3u);
    EXPECT_EQ(movie.frames()[0].tagCount, 3u); // background, shape, ShowFrame
    EXPECT_EQ(movie.frames()[2].tagCount, 1u);
    EXPECT_EQ(movie.tags().back().code, TagCode::End);
    for (const FrameRecord& frame : movie.frames())
        EXPECT_EQ(movie.tagsOf(frame).back().code, TagCode::ShowFrame);
    EXPECT_EQ(movie.tagsOf(movie.frames()[1]).front().frame, 1);
    EXPECT_EQ(movie.tagCounts().at(1), 3);
}

TEST_P(MovieLoaderAllCompressions, ByteByByteMatchesAllAtOnce)
{
    const auto bytes = threeFrames().build(GetParam());
    const auto whole = load(bytes);
    const auto trickled = load(bytes, 1);
    EXPECT_TRUE(std::ranges::equal(whole.movie().stream(), trickled.movie().stream()));
    ASSERT_EQ(whole.movie().tags().size(), trickled.movie().tags().size());
    for (std::size_t i = 0; i < whole.movie().tags().size(); ++i) {
        EXPECT_EQ(whole.movie().tags()[i].offset, trickled.movie().tags()[i].offset);
        EXPECT_EQ(whole.movie().tags()[i].frame, trickled.movie().tags()[i].frame);
    }
    EXPECT_EQ(whole.movie().frames().size(), trickled.movie().frames().size());
}

TEST_P(MovieLoaderAllCompressions, FramesAppearAsTheirBytesArrive)
{
    const auto bytes = threeFrames().build(GetParam());
    MovieLoader loader;
    std::size_t previous = 0;
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        loader.feed(std::span(bytes).subspan(at, 1));
        if (loader.movie()) {
            EXPECT_GE(loader.movie()->frames().size(), previous);
            previous = loader.movie()->frames().size();
        }
    }
    EXPECT_EQ(previous, 3u);
}

TEST_P(MovieLoaderAllCompressions, TruncatedMovieShowsWhatArrived)
{
    // Incompressible bytes in the second frame, so that a cut halfway
    // through the file lands inside them whatever the compression.
    std::vector<std::uint8_t> noise(4000);
    std::uint32_t seed = 12345;
    for (auto& byte : noise)
        byte = std::uint8_t((seed = seed * 1103515245 + 12345) >> 24);
    SwfWriter writer;
    writer.showFrame().tag(87, noise).showFrame().showFrame();
    auto bytes = writer.build(GetParam());
    bytes.resize(bytes.size() / 2);
    const auto cut = load(bytes);
    ASSERT_NE(cut.loader->movie(), nullptr) << cut.loader->error();
    EXPECT_EQ(cut.movie().frames().size(), 1u);
    EXPECT_FALSE(cut.movie().ended());
    EXPECT_TRUE(mentions(cut.movie(), "shorter than its header declares"));
    EXPECT_TRUE(mentions(cut.movie(), "runs past the end"));
}

INSTANTIATE_TEST_SUITE_P(AllCompressions, MovieLoaderAllCompressions, testing::ValuesIn(kAllCompressions));

TEST(MovieLoader, RefusedMoviesTable)
{
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::string reason;
    };
    const auto valid = SwfWriter().showFrame().build();
    const auto truncatedRect = std::vector<std::uint8_t>(valid.begin(), valid.begin() + 10);
    const auto zlibBody = SwfWriter().showFrame().build(Compression::Zlib);
    std::vector<std::uint8_t> corruptZlib(zlibBody.begin(), zlibBody.begin() + 8);
    corruptZlib.insert(corruptZlib.end(), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    const auto cutZlib = std::vector<std::uint8_t>(zlibBody.begin(), zlibBody.begin() + 11);
    const Case cases[] {
        {"empty", {}, "empty"},
        {"prefix only", std::vector<std::uint8_t>(valid.begin(), valid.begin() + 5), "ends inside the header"},
        {"bad signature", SwfWriter().setSignature("XWS").build(), "not a Flash movie"},
        {"declared too small", SwfWriter().setDeclaredLength(12).build(), "too small"},
        {"declared over the cap", SwfWriter().setDeclaredLength(kMaxDeclaredLength + 1).build(Compression::Zlib), "MiB limit"},
        {"truncated RECT", truncatedRect, "ends inside the header"},
        {"corrupt zlib before the header", corruptZlib, "compressed data unreadable"},
        {"zlib cut inside the header", cutZlib, "ends inside the header"},
    };
    for (const Case& c : cases) {
        const auto loaded = load(c.bytes);
        EXPECT_TRUE(loaded.loader->failed()) << c.name;
        EXPECT_EQ(loaded.loader->movie(), nullptr) << c.name;
        EXPECT_NE(loaded.loader->error().find(c.reason), std::string::npos) << c.name << ": " << loaded.loader->error();
    }
}

TEST(MovieLoader, TruncatedHeaderWaitsUntilFinish)
{
    const auto valid = SwfWriter().showFrame().build();
    const auto loaded = load(std::vector<std::uint8_t>(valid.begin(), valid.begin() + 10), SIZE_MAX, false);
    EXPECT_FALSE(loaded.loader->failed());
    EXPECT_EQ(loaded.loader->movie(), nullptr);
}

TEST(MovieLoader, DeclaredLengthTooBigIsShortOnFinish)
{
    const auto loaded = load(threeFrames().setDeclaredLength(100'000).build(Compression::Zlib));
    EXPECT_EQ(loaded.movie().frames().size(), 3u);
    EXPECT_TRUE(mentions(loaded.movie(), "shorter than its header declares"));
}

TEST(MovieLoader, DeclaredLengthSmallerThanTheDataIsForgivenWithinSlack)
{
    const auto loaded = load(threeFrames().setDeclaredLength(20).build());
    EXPECT_EQ(loaded.movie().frames().size(), 3u);
    EXPECT_TRUE(mentions(loaded.movie(), "past the length its header declares"));
}

TEST(MovieLoader, OutputIsCappedNearTheDeclaredLength)
{
    // A tiny header claim with a big zlib stream behind it: a zip bomb in
    // miniature. The stream must stop at the claim plus the slack.
    SwfWriter writer;
    writer.setDeclaredLength(100);
    const std::vector<std::uint8_t> filler(1'000'000, 0);
    writer.tag(77, filler);
    const auto loaded = load(writer.build(Compression::Zlib), 4096);
    EXPECT_LE(loaded.loader->bytesLoaded(), 100u + MovieLoader::kLengthSlack);
    EXPECT_TRUE(mentions(loaded.movie(), "beyond the declared length"));
    EXPECT_TRUE(mentions(loaded.movie(), "runs past the end"));
}

TEST(MovieLoader, CorruptTagLengthStopsTheWalkButKeepsEarlierFrames)
{
    auto writer = threeFrames();
    writer.tagClaiming(2, 5000, std::vector<std::uint8_t>(10, 1)).showFrame();
    for (Compression compression : kAllCompressions) {
        const auto loaded = load(writer.build(compression));
        EXPECT_EQ(loaded.movie().frames().size(), 3u);
        EXPECT_FALSE(loaded.movie().ended());
        EXPECT_TRUE(mentions(loaded.movie(), "runs past the end")) << int(compression);
    }
}

TEST(MovieLoader, BadTagsAreSkippedWithADiagnostic)
{
    SwfWriter writer;
    const std::uint8_t two[] {1, 2};
    writer.tag(9, two).tag(200).setBackground({1, 2, 3}).setBackground({4, 5, 6}).showFrame();
    const auto loaded = load(writer.build());
    EXPECT_EQ(loaded.movie().backgroundColor(), (Color {1, 2, 3, 255}));
    EXPECT_TRUE(mentions(loaded.movie(), "SetBackgroundColor too short"));
    EXPECT_TRUE(mentions(loaded.movie(), "unknown tag code 200"));
    EXPECT_TRUE(mentions(loaded.movie(), "repeated SetBackgroundColor"));
    EXPECT_EQ(loaded.movie().frames().size(), 1u);
    const auto unknown = std::ranges::find_if(loaded.movie().diagnostics(), [](const Diagnostic& d) { return d.tagCode == 200; });
    ASSERT_NE(unknown, loaded.movie().diagnostics().end());
    EXPECT_EQ(unknown->offset, loaded.movie().tags()[1].offset);
}

TEST(MovieLoader, NothingAfterTheEndTagIsRead)
{
    SwfWriter writer;
    writer.showFrame().end().showFrame().showFrame();
    const auto loaded = load(writer.build());
    EXPECT_TRUE(loaded.movie().ended());
    EXPECT_EQ(loaded.movie().frames().size(), 1u);
}

// A body that declares megabytes behind an early End tag or a tag
// the walk cannot pass: the movie keeps no more of it than one step of
// inflating, and the share loaded still comes out whole.
TEST(MovieLoader, NothingPastTheEndTagOrAStoppedWalkIsKept)
{
    const std::vector<std::uint8_t> zeros(8u << 20, 0);
    for (const Compression compression : kAllCompressions) {
        SwfWriter ended;
        ended.showFrame().end().raw(zeros);
        // A tag claiming more than the whole movie: the walk stops there.
        SwfWriter stopped;
        stopped.showFrame().tagClaiming(2, 0xFFFFFFF0u).raw(zeros).withoutEnd();
        for (SwfWriter* writer : {&ended, &stopped}) {
            const auto loaded = load(writer->build(compression), 64 * 1024);
            const Movie& movie = loaded.movie();
            SCOPED_TRACE(int(compression));
            EXPECT_EQ(movie.frames().size(), 1u);
            EXPECT_LE(movie.stream().size(), 2 * MovieLoader::kInflateStep);
            EXPECT_FALSE(mentions(movie, "shorter than its header declares"));
            if (writer == &stopped)
                EXPECT_EQ(loaded.loader->bytesLoaded(), movie.header().fileLength);
            else
                EXPECT_TRUE(movie.ended());
        }
    }
}

TEST(MovieLoader, MissingEndTagIsReportedOnFinish)
{
    const auto loaded = load(SwfWriter().showFrame().withoutEnd().build());
    EXPECT_EQ(loaded.movie().frames().size(), 1u);
    EXPECT_TRUE(mentions(loaded.movie(), "without an End tag"));
}

TEST(MovieLoader, DiagnosticsAreBounded)
{
    SwfWriter writer;
    for (int i = 0; i < 3000; ++i)
        writer.tag(300);
    const auto loaded = load(writer.build(Compression::Zlib));
    EXPECT_EQ(loaded.movie().diagnostics().size(), MovieLoader::kMaxDiagnostics + 1);
    EXPECT_EQ(loaded.movie().tags().size(), 3001u);
}

TEST(MovieLoader, FeedAfterFinishIsIgnored)
{
    const auto bytes = threeFrames().build();
    MovieLoader loader;
    loader.feed(std::span(bytes).first(40));
    loader.finish();
    const auto tags = loader.movie()->tags().size();
    loader.feed(std::span(bytes).subspan(40));
    EXPECT_EQ(loader.movie()->tags().size(), tags);
}

} // namespace
