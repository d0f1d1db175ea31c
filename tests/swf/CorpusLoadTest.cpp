#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "swf/read/Movie.h"
#include "swf/Player.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void load(swf::Player& player, const std::vector<std::uint8_t>& bytes, std::size_t chunk)
{
    player.open();
    for (std::size_t at = 0; at < bytes.size(); at += chunk)
        player.feed(std::span(bytes).subspan(at, std::min(chunk, bytes.size() - at)));
    player.finish();
}

// Every reference movie must load, and trickling its bytes in must build
// exactly what reading it at once builds.
TEST(CorpusLoad, EveryMovieLoadsTheSameStreamedOrWhole)
{
    const fs::path corpus(TVK_CORPUS_DIR);
    if (!fs::exists(corpus))
        GTEST_SKIP() << "no corpus at " << TVK_CORPUS_DIR;
    int movies = 0;
    int withDiagnostics = 0;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (entry.path().extension() != ".swf")
            continue;
        ++movies;
        const auto bytes = readFile(entry.path());
        swf::Player whole;
        load(whole, bytes, bytes.size() + 1);
        ASSERT_TRUE(whole.hasMovie()) << entry.path() << ": " << whole.error();
        swf::Player trickled;
        load(trickled, bytes, bytes.size() < 20'000 ? 1 : 997);

        const swf::Movie& a = *whole.movie();
        const swf::Movie& b = *trickled.movie();
        ASSERT_EQ(a.tags().size(), b.tags().size()) << entry.path();
        for (std::size_t i = 0; i < a.tags().size(); ++i)
            ASSERT_EQ(a.tags()[i].offset, b.tags()[i].offset) << entry.path();
        EXPECT_EQ(a.frames().size(), b.frames().size()) << entry.path();
        EXPECT_EQ(whole.backgroundColor(), trickled.backgroundColor()) << entry.path();
        EXPECT_EQ(a.diagnostics().size(), b.diagnostics().size()) << entry.path();
        EXPECT_EQ(whole.percentLoaded(), 100);
        withDiagnostics += !a.diagnostics().empty();
    }
    std::cout << movies << " corpus movies loaded, " << withDiagnostics << " with diagnostics\n";
    EXPECT_GT(movies, 0);
}

} // namespace
