#include "swf/media/BitmapDecoder.h"

#include <new>
#include <string>

#include "swf/media/AlphaPlane.h"
#include "swf/media/EmbeddedImage.h"
#include "swf/media/JpegDecoder.h"
#include "swf/media/JpegStream.h"
#include "swf/media/LosslessDecoder.h"
#include "swf/read/ByteReader.h"

namespace swf {

namespace {

enum : std::uint16_t {
    DefineBits = 6,
    DefineBitsLossless = 20,
    DefineBitsJPEG2 = 21,
    DefineBitsJPEG3 = 35,
    DefineBitsLossless2 = 36,
    DefineBitsJPEG4 = 90,
};

Result<QImage> decodeJpegData(std::span<const std::uint8_t> tables, std::span<const std::uint8_t> data)
{
    auto stream = joinJpegStream(tables, data);
    if (!stream)
        return Result<QImage>::failure(stream.error());
    return decodeJpeg(stream.value());
}

Result<QImage> decodeImageData(std::span<const std::uint8_t> data)
{
    if (isPngOrGif(data))
        return decodePngOrGif(data);
    return decodeJpegData({}, data);
}

// JPEG3 and JPEG4: the image's length, JPEG4's deblocking strength, the
// image, then the alpha plane to the end of the tag.
Result<QImage> decodeWithAlpha(std::span<const std::uint8_t> body, bool hasDeblocking)
{
    ByteReader reader(body);
    const auto imageLength = reader.u32();
    // The deblocking filter only softens block edges at low quality; the
    // image is complete without it, so it is read and not applied.
    if (hasDeblocking)
        reader.u16();
    const auto image = imageLength ? reader.bytes(*imageLength) : std::nullopt;
    if (!image)
        return Result<QImage>::failure("bitmap image length runs past the tag");
    // PNG and GIF carry their own transparency; a plane behind them is
    // not for them.
    if (isPngOrGif(*image))
        return decodePngOrGif(*image);
    auto opaque = decodeJpegData({}, *image);
    if (!opaque)
        return opaque;
    return applyAlphaPlane(std::move(opaque.value()), reader.rest());
}

Result<QImage> decodeBitmapTag(std::uint16_t tagCode, std::span<const std::uint8_t> body, std::span<const std::uint8_t> jpegTables)
{
    switch (tagCode) {
    case DefineBits:
        return decodeJpegData(jpegTables, body);
    case DefineBitsJPEG2:
        return decodeImageData(body);
    case DefineBitsJPEG3:
        return decodeWithAlpha(body, false);
    case DefineBitsJPEG4:
        return decodeWithAlpha(body, true);
    case DefineBitsLossless:
        return decodeLossless(body, LosslessAlpha::None);
    case DefineBitsLossless2:
        return decodeLossless(body, LosslessAlpha::Premultiplied);
    }
    return Result<QImage>::failure("tag " + std::to_string(tagCode) + " defines no bitmap");
}

} // namespace

Result<QImage> decodeBitmap(std::uint16_t tagCode, std::span<const std::uint8_t> body, std::span<const std::uint8_t> jpegTables)
{
    // What a movie asks for is checked against what its data can justify,
    // but several justified bitmaps can still outgrow the memory there is;
    // then this bitmap is lost, not the program.
    try {
        return decodeBitmapTag(tagCode, body, jpegTables);
    } catch (const std::bad_alloc&) {
        return Result<QImage>::failure("tag " + std::to_string(tagCode) + ": no memory to decode the bitmap");
    }
}

} // namespace swf
