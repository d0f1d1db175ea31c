#pragma once

#include <zlib.h>

#include "swf/read/Decompressor.h"

namespace swf {

// CWS bodies: one zlib stream, inflated as its bytes arrive.
class ZlibDecompressor final : public Decompressor {
public:
    ZlibDecompressor();
    ~ZlibDecompressor() override;
    ZlibDecompressor(const ZlibDecompressor&) = delete;
    ZlibDecompressor& operator=(const ZlibDecompressor&) = delete;

    Status decode(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output, std::size_t limit) override;

private:
    z_stream m_stream {};
    bool m_ready = false;
    bool m_ended = false;
    bool m_holdingOutput = false;
};

} // namespace swf
