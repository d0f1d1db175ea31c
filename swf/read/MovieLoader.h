#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "swf/read/Movie.h"
#include "swf/read/Decompressor.h"
#include "swf/read/TagWalker.h"

namespace swf {

// Turns a movie's bytes, in whatever pieces they arrive, into a Movie:
// header first, then tag and frame records as far as the data reaches.
class MovieLoader {
public:
    // How far past its declared length a stream may run. Some writers get
    // the length slightly wrong; this forgives them without letting a
    // header that lies by gigabytes cost more than this.
    static constexpr std::uint32_t kLengthSlack = 64 * 1024;
    // Bounds on the records one movie may produce; each tag takes two bytes
    // at least, so a small compressed file could otherwise ask for millions.
    static constexpr std::size_t kMaxTags = 2'000'000;
    static constexpr std::size_t kMaxDiagnostics = 1000;
    // Room set aside for the stream up front when the header asks for it,
    // so that growing it does not copy it over and over. A header is only a
    // claim; beyond this the stream grows as bytes actually arrive.
    static constexpr std::size_t kMaxInitialReserve = 16 * 1024 * 1024;
    // A compressed body is inflated this much at a time, its tags read in
    // between, so that inflating stops soon after the End tag, and what
    // follows a tag the walk cannot get past is not kept: neither belongs to
    // the movie, however much the header declares.
    static constexpr std::size_t kInflateStep = 1024 * 1024;

    MovieLoader();
    ~MovieLoader();
    MovieLoader(const MovieLoader&) = delete;
    MovieLoader& operator=(const MovieLoader&) = delete;

    // The most of the uncompressed stream that is kept, whatever the
    // header declares; set before the first bytes arrive.
    void setStreamLimit(std::size_t bytes) { m_streamLimit = bytes; }

    void feed(std::span<const std::uint8_t> bytes);
    void finish();

    // The movie, once its header is complete.
    const Movie* movie() const { return m_headerRead ? &m_movie : nullptr; }
    bool failed() const { return !m_error.empty(); }
    const std::string& error() const { return m_error; }
    bool finished() const { return m_finished; }
    // Bytes of the uncompressed stream that have arrived so far, counting
    // those past a tag the walk stopped at, which are inflated only to be
    // counted.
    std::uint64_t bytesLoaded() const { return m_movie.m_stream.size() + m_discarded; }

private:
    void readPrefix(std::span<const std::uint8_t>& bytes);
    // One step of inflating; true when it stopped at the step's end with
    // input or decoded bytes left for the next one.
    bool decompress(std::span<const std::uint8_t>& bytes);
    void readRecords();
    void readFrameHeader();
    void walkTags();
    void accept(TagRecord tag);
    void diagnose(std::uint64_t offset, int tagCode, std::string message);
    void fail(std::string reason);

    Movie m_movie;
    std::vector<std::uint8_t> m_prefix;
    std::unique_ptr<Decompressor> m_decompressor;
    std::vector<std::uint8_t> m_discard;
    std::uint64_t m_discarded = 0;
    std::optional<TagWalker> m_walker;
    std::size_t m_limit = 0;
    std::size_t m_streamLimit = std::size_t(-1);
    std::size_t m_nextFrameFirstTag = 0;
    std::string m_error;
    bool m_headerRead = false;
    bool m_decoderStopped = false;
    // Inflating ended at the End tag, before the stream said it was done.
    bool m_stoppedAtEnd = false;
    bool m_walkStopped = false;
    bool m_finished = false;
};

} // namespace swf
