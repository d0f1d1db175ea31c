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
    if (!m_ready)
        return fail("zlib could not be initialised");
    if (m_ended)
        return Status::Ended;

    std::array<std::uint8_t, 64 * 1024> chunk;
    // zlib counts in uInt; feed oversized spans a piece at a time.
    while (!input.empty()) {
        const auto piece = input.first(std::min<std::size_t>(input.size(), 1u << 30));
        m_stream.next_in = const_cast<Bytef*>(piece.data());
        m_stream.avail_in = uInt(piece.size());
        for (;;) {
            const std::size_t room = limit > output.size() ? limit - output.size() : 0;
            if (room == 0)
                return m_stream.avail_in > 0 ? Status::LimitReached : Status::NeedMore;
            m_stream.next_out = chunk.data();
            m_stream.avail_out = uInt(std::min(room, chunk.size()));
            const int status = inflate(&m_stream, Z_NO_FLUSH);
            const std::size_t produced = std::size_t(m_stream.next_out - chunk.data());
            output.insert(output.end(), chunk.begin(), chunk.begin() + std::ptrdiff_t(produced));
            if (status == Z_STREAM_END) {
                m_ended = true;
                return Status::Ended;
            }
            if (status == Z_NEED_DICT || status == Z_DATA_ERROR)
                return fail(m_stream.msg ? m_stream.msg : "corrupt zlib data");
            if (status == Z_MEM_ERROR)
                return fail("out of memory inflating");
            // Stop once the input is used up, unless a full output chunk
            // means inflate may still be holding decoded bytes back.
            if (status == Z_BUF_ERROR || (m_stream.avail_in == 0 && m_stream.avail_out > 0))
                break;
        }
        input = input.subspan(piece.size());
    }
    return Status::NeedMore;
}

} // namespace swf
