#include "swf/media/BitmapDimensions.h"

#include "swf/read/ByteReader.h"
#include "swf/read/TagCode.h"

namespace swf {

namespace {

std::uint32_t bigEndian(std::span<const std::uint8_t> data, std::size_t at, int bytes)
{
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = value << 8 | data[at + std::size_t(i)];
    return value;
}

// The first start-of-frame marker's height and width. Markers are walked
// by their lengths; the image data after start-of-scan is never read.
std::optional<BitmapDimensions> jpegDimensions(std::span<const std::uint8_t> data)
{
    std::size_t at = 0;
    while (at + 4 <= data.size()) {
        if (data[at] != 0xFF) {
            ++at;
            continue;
        }
        const std::uint8_t marker = data[at + 1];
        // Markers without a length: fill bytes, start and end of image,
        // restarts.
        if (marker == 0xFF || marker == 0xD8 || marker == 0xD9 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += marker == 0xFF ? 1 : 2;
            continue;
        }
        const std::size_t length = bigEndian(data, at + 2, 2);
        const bool startOfFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (startOfFrame && at + 9 <= data.size())
            return BitmapDimensions {bigEndian(data, at + 7, 2), bigEndian(data, at + 5, 2)};
        if (marker == 0xDA || length < 2)
            return std::nullopt;
        at += 2 + length;
    }
    return std::nullopt;
}

// JPEG, or the PNG and GIF files the same tags may hold instead.
std::optional<BitmapDimensions> imageDimensions(std::span<const std::uint8_t> data)
{
    static constexpr std::uint8_t kPng[] {0x89, 'P', 'N', 'G'};
    if (data.size() >= 24 && std::equal(std::begin(kPng), std::end(kPng), data.begin()))
        return BitmapDimensions {bigEndian(data, 16, 4), bigEndian(data, 20, 4)};
    if (data.size() >= 10 && data[0] == 'G' && data[1] == 'I' && data[2] == 'F')
        return BitmapDimensions {data[6] | data[7] << 8, data[8] | data[9] << 8};
    return jpegDimensions(data);
}

} // namespace

std::optional<BitmapDimensions> bitmapDimensions(std::uint16_t tagCode, std::span<const std::uint8_t> body,
                                                 std::span<const std::uint8_t> jpegTables)
{
    ByteReader bytes(body);
    switch (TagCode(tagCode)) {
    case TagCode::DefineBitsLossless:
    case TagCode::DefineBitsLossless2: {
        const auto format = bytes.u8();
        const auto width = bytes.u16();
        const auto height = bytes.u16();
        if (!format || !width || !height)
            return std::nullopt;
        return BitmapDimensions {*width, *height};
    }
    case TagCode::DefineBits:
        if (auto found = jpegDimensions(body))
            return found;
        return jpegDimensions(jpegTables);
    case TagCode::DefineBitsJPEG2:
        return imageDimensions(body);
    case TagCode::DefineBitsJPEG3:
    case TagCode::DefineBitsJPEG4: {
        const auto alphaOffset = bytes.u32();
        if (!alphaOffset || (tagCode == TagCode::DefineBitsJPEG4 && !bytes.u16()))
            return std::nullopt;
        const std::span<const std::uint8_t> image = bytes.rest();
        return imageDimensions(image.first(std::min<std::size_t>(*alphaOffset, image.size())));
    }
    default:
        return std::nullopt;
    }
}

} // namespace swf
