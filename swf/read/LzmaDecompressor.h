#pragma once

#include <array>
#include <lzma.h>

#include "swf/read/Decompressor.h"

namespace swf {

// ZWS bodies: a four-byte compressed length, five bytes of LZMA properties,
// then a raw LZMA stream. liblzma's .lzma decoder is handed the properties
// behind a synthesized .lzma header once they have arrived.
class LzmaDecompressor final : public Decompressor {
public:
    explicit LzmaDecompressor(std::uint64_t uncompressedBody);
    ~LzmaDecompressor() override;
    LzmaDecompressor(const LzmaDecompressor&) = delete;
    LzmaDecompressor& operator=(const LzmaDecompressor&) = delete;

    Status decode(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output, std::size_t limit) override;

private:
    static constexpr std::size_t kPreambleSize = 4 + 5;

    Status start(std::vector<std::uint8_t>& output);
    Status run(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output, std::size_t limit);

    std::uint64_t m_uncompressedBody;
    std::array<std::uint8_t, kPreambleSize> m_preamble {};
    std::size_t m_preambleFilled = 0;
    lzma_stream m_stream = LZMA_STREAM_INIT;
    bool m_started = false;
    bool m_ended = false;
    bool m_holdingOutput = false;
};

} // namespace swf
