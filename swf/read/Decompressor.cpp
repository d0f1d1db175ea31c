#include "swf/read/Decompressor.h"

#include <algorithm>

#include "swf/read/LzmaDecompressor.h"
#include "swf/read/ZlibDecompressor.h"

namespace swf {

namespace {

// FWS: the body is already the tag stream.
class PassThrough final : public Decompressor {
public:
    Status decode(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output, std::size_t limit) override
    {
        const std::size_t room = limit > output.size() ? limit - output.size() : 0;
        const std::size_t take = std::min(room, input.size());
        m_consumed = take;
        output.insert(output.end(), input.begin(), input.begin() + std::ptrdiff_t(take));
        return take < input.size() ? Status::LimitReached : Status::NeedMore;
    }
};

} // namespace

std::unique_ptr<Decompressor> Decompressor::create(Compression compression, std::uint64_t uncompressedBody)
{
    switch (compression) {
    case Compression::None:
        return std::make_unique<PassThrough>();
    case Compression::Zlib:
        return std::make_unique<ZlibDecompressor>();
    case Compression::Lzma:
        return std::make_unique<LzmaDecompressor>(uncompressedBody);
    }
    return nullptr;
}

} // namespace swf
