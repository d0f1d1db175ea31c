// Arbitrary bytes through the whole player: streamed in pieces of varying
// size, played for a few frames with their sound decoded and mixed, drawn
// into a small image. Anything that
// crashes, hangs or trips the sanitizers here would do the same to a person
// opening a damaged movie.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include <QGuiApplication>
#include <QImage>

#include "swf/Player.h"
#include "swf/Renderer.h"

namespace {

// Chunk sizes come from the input's own length and last byte rather than
// from leading control bytes, so that real movies work as seeds unchanged.
class ChunkSizes {
public:
    ChunkSizes(std::span<const std::uint8_t> data)
        : m_state(0x9E3779B97F4A7C15ull ^ data.size() ^ (data.empty() ? 0 : std::uint64_t(data.back()) << 32))
    {
    }

    std::size_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        // Mostly small pieces, now and then a large one.
        return (m_state & 7) == 0 ? 1 + (m_state >> 8) % 65536 : 1 + (m_state >> 8) % 64;
    }

private:
    std::uint64_t m_state;
};

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

// Leaks are looked for after every input, where one of ours would show.
// The font system keeps what it looked up, for the installed fonts, until
// the process ends; the check at exit would only find those caches.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

// Freed memory the address sanitizer holds back to catch late uses would
// count against the fuzzer's memory limit as if the engine kept it; a
// smaller hold keeps the limit about the engine.
extern "C" const char* __asan_default_options()
{
    return "quarantine_size_mb=64";
}

extern "C" const char* __lsan_default_options()
{
    return "leak_check_at_exit=0";
}

// Device text measures fonts through Qt, which wants a GUI application; the
// offscreen platform needs no display.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> input(data, size);
    swf::Player player;
    // The fuzzer's own limit on memory is for what grows without bound;
    // the budget the engine keeps to is shrunk to leave it room.
    player.setMemoryBudget(64 << 20);
    // A script that runs to the limit takes ten times as long under the
    // sanitizers as it does in the player: a tenth of it is as good a test.
    player.setInstructionBudget(swf::Player::kDefaultInstructionBudget / 10);
    player.open();
    ChunkSizes chunks(input);
    for (std::size_t at = 0; at < size;) {
        const std::size_t take = std::min(chunks.next(), size - at);
        player.feed(input.subspan(at, take));
        at += take;
        check(player.percentLoaded() >= 0 && player.percentLoaded() <= 100);
    }
    player.finish();
    check(player.hasMovie() != player.failed());

    static const swf::ScaleMode kModes[] {swf::ScaleMode::ShowAll, swf::ScaleMode::NoBorder, swf::ScaleMode::ExactFit, swf::ScaleMode::NoScale};
    QImage image(32, 24, QImage::Format_RGB32);
    swf::Renderer renderer;
    // An eighth of a second of stereo output after each frame.
    std::vector<std::int16_t> sound(2 * swf::Player::kAudioRate / 8);
    for (int frame = 0; frame < 12; ++frame) {
        player.advance();
        player.mixAudio(sound);
        check(player.currentFrame() >= 0 && player.currentFrame() < std::max(1, player.framesLoaded()));
        check(player.frameIntervalMs() >= 8 && player.frameIntervalMs() <= 1000);
        renderer.render(player, image, {kModes[frame % 4], swf::Quality::High});
    }
    player.gotoFrame(int(size));
    check(player.percentLoaded() >= 0 && player.percentLoaded() <= 100);
    check(!player.isComplete() || player.percentLoaded() == 100);
    return 0;
}
