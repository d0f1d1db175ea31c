#include "swf/read/ZlibDecompressor.h"

#include <algorithm>
#include <array>

namespace swf {

ZlibDecompressor::ZlibDecompressor()
{
    m_ready = inflateInit(&m_stream) == Z_OK;
}

ZlibDecompressor::~ZlibDecompressor()
{
    if (m_ready)
        inflateEnd(&m_stream);
}

Decompressor::Status ZlibDecompressor::decode(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output, std::size_t limit)
{
    m_consumed = 0;
    if (!m_ready)
        return fail("zlib could not be initialised");
    if (m_ended)
        return Status::Ended;

    std::array<std::uint8_t, 64 * 1024> chunk;
    std::size_t handedOver = 0;
    m_stream.avail_in = 0;
    for (;;) {
        // zlib counts in uInt; oversized spans go over a piece at a time.
        if (m_stream.avail_in == 0 && handedOver < input.size()) {
            const std::size_t piece = std::min<std::size_t>(input.size() - handedOver, 1u << 30);
            m_stream.next_in = const_cast<Bytef*>(input.data() + handedOver);
            m_stream.avail_in = uInt(piece);
            handedOver += piece;
        }
        m_consumed = handedOver - m_stream.avail_in;
        const std::size_t room = limit > output.size() ? limit - output.size() : 0;
        if (room == 0)
            return m_consumed < input.size() || m_holdingOutput ? Status::LimitReached : Status::NeedMore;
        if (m_stream.avail_in == 0 && !m_holdingOutput)
            return Status::NeedMore;
        m_stream.next_out = chunk.data();
        m_stream.avail_out = uInt(std::min(room, chunk.size()));
        const int status = inflate(&m_stream, Z_NO_FLUSH);
        const std::size_t produced = std::size_t(m_stream.next_out - chunk.data());
        output.insert(output.end(), chunk.begin(), chunk.begin() + std::ptrdiff_t(produced));
        m_consumed = handedOver - m_stream.avail_in;
        // A chunk filled to the brim may mean inflate still holds decoded
        // bytes back, to be had even without more input.
        m_holdingOutput = m_stream.avail_out == 0;
        if (status == Z_STREAM_END) {
            m_ended = true;
            return Status::Ended;
        }
        if (status == Z_NEED_DICT || status == Z_DATA_ERROR)
            return fail(m_stream.msg ? m_stream.msg : "corrupt zlib data");
        if (status == Z_MEM_ERROR)
            return fail("out of memory inflating");
        if (status == Z_BUF_ERROR) {
            // No progress: all input used and nothing held back.
            if (m_stream.avail_in > 0)
                return fail("zlib made no progress");
            m_holdingOutput = false;
        }
    }
}

} // namespace swf
