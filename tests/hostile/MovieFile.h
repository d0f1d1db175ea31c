#pragma once

// Writes a movie straight to disk as its stream is produced, deflating as
// it goes when asked to: hostile movies declare hundreds of megabytes that
// need never be in memory at once. The prefix's length is filled in when
// the file is closed.

#include <cstdint>
#include <fstream>
#include <span>
#include <string>

#include <zlib.h>

namespace hostile {

class MovieFile {
public:
    MovieFile(const std::string& path, bool compressed);
    ~MovieFile();
    MovieFile(const MovieFile&) = delete;
    MovieFile& operator=(const MovieFile&) = delete;

    // Stream bytes after the eight-byte prefix, in order.
    MovieFile& write(std::span<const std::uint8_t> bytes);
    MovieFile& repeat(std::span<const std::uint8_t> unit, std::uint64_t times);
    // Finishes the file; false when it could not be written.
    bool close();

private:
    void deflateOut(int flush);

    std::ofstream m_out;
    bool m_compressed;
    z_stream m_zlib {};
    std::uint64_t m_length = 8;
    bool m_closed = false;
};

} // namespace hostile
