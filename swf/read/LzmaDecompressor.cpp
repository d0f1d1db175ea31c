#include "swf/read/LzmaDecompressor.h"

#include <algorithm>
#include <limits>

namespace swf {

namespace {

// No movie we accept is large enough to need more than this for its
// dictionary; see the clamp in start().
constexpr std::uint64_t kMemoryLimit = 320ull * 1024 * 1024;
constexpr std::uint32_t kSmallestDictionary = 4096;

} // namespace

LzmaDecompressor::LzmaDecompressor(std::uint64_t uncompressedBody)
    : m_uncompressedBody(uncompressedBody)
{
}

LzmaDecompressor::~LzmaDecompressor()
{
    if (m_started)
        lzma_end(&m_stream);
}

Decompressor::Status LzmaDecompressor::decode(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output, std::size_t limit)
{
    m_consumed = 0;
    if (m_ended)
        return Status::Ended;
    if (!m_started) {
        const std::size_t take = std::min(input.size(), kPreambleSize - m_preambleFilled);
        std::copy_n(input.begin(), take, m_preamble.begin() + std::ptrdiff_t(m_preambleFilled));
        m_preambleFilled += take;
        input = input.subspan(take);
        m_consumed = take;
        if (m_preambleFilled < kPreambleSize)
            return Status::NeedMore;
        if (const Status status = start(output); status != Status::NeedMore)
            return status;
    }
    const std::size_t before = m_consumed;
    const Status status = run(input, output, limit);
    m_consumed = before + (input.size() - m_stream.avail_in);
    return status;
}

Decompressor::Status LzmaDecompressor::start(std::vector<std::uint8_t>& output)
{
    if (lzma_alone_decoder(&m_stream, kMemoryLimit) != LZMA_OK)
        return fail("liblzma could not be initialised");
    m_started = true;

    // The .lzma header: properties byte, dictionary size, uncompressed size.
    // A hostile dictionary size would make liblzma reserve gigabytes, yet the
    // decoder can never look back further than the output is long, so the
    // dictionary is clamped to the declared length. The size is written as
    // unknown: streams seen in the wild both do and do not end with a marker,
    // and the caller's output limit is what actually bounds decoding.
    std::array<std::uint8_t, 13> header {};
    header[0] = m_preamble[4];
    std::uint32_t dictionary = std::uint32_t(m_preamble[5]) | std::uint32_t(m_preamble[6]) << 8
        | std::uint32_t(m_preamble[7]) << 16 | std::uint32_t(m_preamble[8]) << 24;
    const std::uint64_t enough = std::max<std::uint64_t>(m_uncompressedBody, kSmallestDictionary);
    if (dictionary > enough)
        dictionary = std::uint32_t(enough);
    for (int i = 0; i < 4; ++i)
        header[std::size_t(1 + i)] = std::uint8_t(dictionary >> (8 * i));
    std::fill(header.begin() + 5, header.end(), std::uint8_t(0xFF));

    // The header itself decodes to nothing, so it shares the caller's
    // output, and no limit on it may keep it from being taken.
    return run(header, output, std::numeric_limits<std::size_t>::max());
}

Decompressor::Status LzmaDecompressor::run(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output, std::size_t limit)
{
    std::array<std::uint8_t, 64 * 1024> chunk;
    m_stream.next_in = input.data();
    m_stream.avail_in = input.size();
    for (;;) {
        const std::size_t room = limit > output.size() ? limit - output.size() : 0;
        if (room == 0)
            return m_stream.avail_in > 0 || m_holdingOutput ? Status::LimitReached : Status::NeedMore;
        if (m_stream.avail_in == 0 && !m_holdingOutput)
            return Status::NeedMore;
        m_stream.next_out = chunk.data();
        m_stream.avail_out = std::min(room, chunk.size());
        const lzma_ret status = lzma_code(&m_stream, LZMA_RUN);
        const std::size_t produced = std::size_t(m_stream.next_out - chunk.data());
        output.insert(output.end(), chunk.begin(), chunk.begin() + std::ptrdiff_t(produced));
        // As with zlib: a full chunk may mean more output is waiting.
        m_holdingOutput = m_stream.avail_out == 0;
        if (status == LZMA_STREAM_END) {
            m_ended = true;
            return Status::Ended;
        }
        if (status == LZMA_MEMLIMIT_ERROR || status == LZMA_MEM_ERROR)
            return fail("LZMA dictionary needs too much memory");
        if (status == LZMA_FORMAT_ERROR || status == LZMA_OPTIONS_ERROR)
            return fail("unsupported LZMA properties");
        if (status == LZMA_DATA_ERROR)
            return fail("corrupt LZMA data");
        if (status != LZMA_OK && status != LZMA_BUF_ERROR)
            return fail("LZMA decoding failed");
        if (status == LZMA_BUF_ERROR) {
            if (m_stream.avail_in > 0)
                return fail("LZMA decoding made no progress");
            m_holdingOutput = false;
        }
    }
}

} // namespace swf
