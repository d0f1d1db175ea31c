#include "swf/read/MovieLoader.h"

#include <algorithm>
#include <new>

#include "swf/read/ByteReader.h"
#include "swf/read/HeaderParser.h"
#include "swf/read/TagCode.h"

namespace swf {

MovieLoader::MovieLoader() = default;
MovieLoader::~MovieLoader() = default;

void MovieLoader::feed(std::span<const std::uint8_t> bytes)
{
    if (failed() || m_finished)
        return;
    if (!m_decompressor) {
        readPrefix(bytes);
        if (!m_decompressor)
            return;
    }
    while (decompress(bytes) && !failed())
        readRecords();
    readRecords();
}

void MovieLoader::readRecords()
{
    if (!m_headerRead)
        readFrameHeader();
    if (m_headerRead)
        walkTags();
}

void MovieLoader::finish()
{
    if (failed() || m_finished)
        return;
    m_finished = true;
    if (!m_headerRead) {
        fail(m_prefix.empty() ? "file is empty" : "file ends inside the header");
        return;
    }
    walkTags();
    // The stream was not read to its end, so its length tells nothing.
    if (m_stoppedAtEnd)
        return;

    const std::uint64_t declared = m_movie.m_header.fileLength;
    const std::uint64_t loaded = bytesLoaded();
    if (loaded < declared)
        diagnose(loaded, -1, "movie is " + std::to_string(declared - loaded) + " bytes shorter than its header declares");
    else if (loaded > declared)
        diagnose(declared, -1, "movie runs " + std::to_string(loaded - declared) + " bytes past the length its header declares");
}

void MovieLoader::readPrefix(std::span<const std::uint8_t>& bytes)
{
    const std::size_t take = std::min(bytes.size(), kHeaderPrefixSize - m_prefix.size());
    m_prefix.insert(m_prefix.end(), bytes.begin(), bytes.begin() + std::ptrdiff_t(take));
    bytes = bytes.subspan(take);
    if (m_prefix.size() < kHeaderPrefixSize)
        return;

    Result<Header> prefix = parseHeaderPrefix(m_prefix);
    if (!prefix) {
        fail(prefix.error());
        return;
    }
    m_movie.m_header = prefix.value();
    m_movie.m_stream.reserve(std::min<std::size_t>(m_movie.m_header.fileLength, kMaxInitialReserve));
    m_movie.m_stream.assign(m_prefix.begin(), m_prefix.end());
    m_limit = std::min(std::size_t(m_movie.m_header.fileLength) + kLengthSlack, m_streamLimit);
    m_decompressor = Decompressor::create(m_movie.m_header.compression, m_movie.m_header.fileLength - kHeaderPrefixSize);
}

bool MovieLoader::decompress(std::span<const std::uint8_t>& bytes)
{
    if (m_decoderStopped)
        return false;
    if (m_movie.m_ended) {
        m_decoderStopped = m_stoppedAtEnd = true;
        return false;
    }
    const std::uint64_t before = bytesLoaded();
    const std::uint64_t step = std::min<std::uint64_t>(kInflateStep, m_limit > before ? m_limit - before : 0);
    // Past a tag the walk stopped at, bytes are still inflated, so that the
    // share loaded goes on telling how far the download is, but not kept.
    std::vector<std::uint8_t>& output = m_walkStopped ? m_discard : m_movie.m_stream;
    if (m_walkStopped)
        m_discard.clear();
    Decompressor::Status status;
    try {
        status = m_decompressor->decode(bytes, output, output.size() + std::size_t(step));
    } catch (const std::bad_alloc&) {
        // What was inflated before stays; the rest of the movie is lost.
        m_decoderStopped = true;
        if (m_headerRead)
            diagnose(bytesLoaded(), -1, "out of memory reading the movie; the rest is not read");
        else
            fail("out of memory reading the movie");
        return false;
    }
    bytes = bytes.subspan(std::min(bytes.size(), m_decompressor->consumed()));
    if (m_walkStopped)
        m_discarded += m_discard.size();
    switch (status) {
    case Decompressor::Status::NeedMore:
        return false;
    case Decompressor::Status::Ended:
        m_decoderStopped = true;
        return false;
    case Decompressor::Status::LimitReached:
        if (bytesLoaded() < m_limit)
            return true;
        m_decoderStopped = true;
        diagnose(bytesLoaded(), -1,
                 m_limit == m_streamLimit ? "the movie is larger than its memory budget allows; the rest is not read"
                                          : "data far beyond the declared length ignored");
        return false;
    case Decompressor::Status::Corrupt:
        m_decoderStopped = true;
        if (m_headerRead)
            diagnose(std::max(before, bytesLoaded()), -1, "compressed data unreadable from here: " + m_decompressor->error());
        else
            readFrameHeader();
        if (!m_headerRead)
            fail("compressed data unreadable: " + m_decompressor->error());
        return false;
    }
    return false;
}

void MovieLoader::readFrameHeader()
{
    const auto firstTag = parseFrameHeader(m_movie.m_stream, m_movie.m_header);
    if (!firstTag)
        return;
    m_headerRead = true;
    m_walker.emplace(*firstTag);
}

void MovieLoader::walkTags()
{
    while (!m_movie.m_ended && !m_walkStopped) {
        if (m_movie.m_tags.size() >= kMaxTags) {
            diagnose(m_walker->offset(), -1, "more than " + std::to_string(kMaxTags) + " tags; the rest are ignored");
            m_walkStopped = true;
            return;
        }
        const std::uint64_t reachable = (m_finished || m_decoderStopped) ? bytesLoaded() : m_limit;
        TagRecord tag;
        std::string problem;
        switch (m_walker->next(m_movie.m_stream, reachable, tag, problem)) {
        case TagWalker::Step::NeedMore:
            return;
        case TagWalker::Step::Stopped:
            diagnose(m_walker->offset(), -1, problem);
            m_walkStopped = true;
            return;
        case TagWalker::Step::Tag:
            accept(tag);
            break;
        }
    }
}

void MovieLoader::accept(TagRecord tag)
{
    tag.frame = int(m_movie.m_frames.size());
    m_movie.m_tags.push_back(tag);

    if (tag.code == TagCode::End) {
        m_movie.m_ended = true;
    } else if (tag.code == TagCode::ShowFrame) {
        m_movie.m_frames.push_back({m_nextFrameFirstTag, m_movie.m_tags.size() - m_nextFrameFirstTag});
        m_nextFrameFirstTag = m_movie.m_tags.size();
    } else if (tag.code == TagCode::SetBackgroundColor) {
        ByteReader reader(m_movie.body(tag));
        const auto r = reader.u8();
        const auto g = reader.u8();
        const auto b = reader.u8();
        if (reader.failed())
            diagnose(tag.offset, tag.code, "SetBackgroundColor too short; skipped");
        else if (m_movie.m_background)
            diagnose(tag.offset, tag.code, "repeated SetBackgroundColor ignored");
        else
            m_movie.m_background = Color {*r, *g, *b, 255};
    } else if (tagName(tag.code).empty()) {
        diagnose(tag.offset, tag.code, "unknown tag code " + std::to_string(tag.code) + "; skipped");
    }
}

void MovieLoader::diagnose(std::uint64_t offset, int tagCode, std::string message)
{
    auto& diagnostics = m_movie.m_diagnostics;
    if (diagnostics.size() > kMaxDiagnostics)
        return;
    if (diagnostics.size() == kMaxDiagnostics)
        diagnostics.push_back({offset, -1, "too many problems; no more are reported"});
    else
        diagnostics.push_back({offset, tagCode, std::move(message)});
}

void MovieLoader::fail(std::string reason)
{
    m_error = std::move(reason);
}

} // namespace swf
