#include "MovieFile.h"

#include <algorithm>
#include <array>
#include <vector>

namespace hostile {

MovieFile::MovieFile(const std::string& path, bool compressed)
    : m_out(path, std::ios::binary | std::ios::trunc)
    , m_compressed(compressed)
{
    m_out.write("FWS\x0A\0\0\0\0", 8);
    // The fastest level: what is repeated is repeated exactly, and the
    // point is what the file says, not how small it is.
    if (m_compressed)
        deflateInit(&m_zlib, Z_BEST_SPEED);
}

MovieFile::~MovieFile()
{
    close();
}

MovieFile& MovieFile::write(std::span<const std::uint8_t> bytes)
{
    m_length += bytes.size();
    if (!m_compressed) {
        m_out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return *this;
    }
    m_zlib.next_in = const_cast<Bytef*>(bytes.data());
    m_zlib.avail_in = uInt(bytes.size());
    deflateOut(Z_NO_FLUSH);
    return *this;
}

MovieFile& MovieFile::repeat(std::span<const std::uint8_t> unit, std::uint64_t times)
{
    // A megabyte of units a write.
    const std::uint64_t perBlock = std::max<std::uint64_t>(1, (1 << 20) / std::max<std::size_t>(1, unit.size()));
    std::vector<std::uint8_t> block;
    for (std::uint64_t i = 0; i < std::min(perBlock, times); ++i)
        block.insert(block.end(), unit.begin(), unit.end());
    for (std::uint64_t left = times; left > 0;) {
        const std::uint64_t now = std::min(perBlock, left);
        write(std::span(block).first(std::size_t(now * unit.size())));
        left -= now;
    }
    return *this;
}

void MovieFile::deflateOut(int flush)
{
    std::array<std::uint8_t, 64 * 1024> out;
    do {
        m_zlib.next_out = out.data();
        m_zlib.avail_out = uInt(out.size());
        deflate(&m_zlib, flush);
        m_out.write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size() - m_zlib.avail_out));
    } while (m_zlib.avail_out == 0);
}

bool MovieFile::close()
{
    if (m_closed)
        return bool(m_out);
    m_closed = true;
    if (m_compressed) {
        m_zlib.avail_in = 0;
        deflateOut(Z_FINISH);
        deflateEnd(&m_zlib);
    }
    m_out.seekp(0);
    const std::uint8_t prefix[8] {std::uint8_t(m_compressed ? 'C' : 'F'), 'W', 'S', 10, std::uint8_t(m_length),
                                  std::uint8_t(m_length >> 8), std::uint8_t(m_length >> 16), std::uint8_t(m_length >> 24)};
    m_out.write(reinterpret_cast<const char*>(prefix), 8);
    m_out.close();
    return bool(m_out);
}

} // namespace hostile
