#include "swf/media/EmbeddedImage.h"

#include <algorithm>
#include <array>

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include "swf/media/BitmapDecoder.h"
#include "swf/media/Inflate.h"

namespace swf {

namespace {

constexpr std::array<std::uint8_t, 8> kPngSignature {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::array<std::uint8_t, 6> kGif89Signature {'G', 'I', 'F', '8', '9', 'a'};
constexpr std::array<std::uint8_t, 6> kGif87Signature {'G', 'I', 'F', '8', '7', 'a'};

template<std::size_t N>
bool startsWith(std::span<const std::uint8_t> data, const std::array<std::uint8_t, N>& prefix)
{
    return data.size() >= N && std::equal(prefix.begin(), prefix.end(), data.begin());
}

bool isPng(std::span<const std::uint8_t> data) { return startsWith(data, kPngSignature); }

// One-bit PNG pixels deflated at deflate's densest; GIF's twelve-bit codes
// of at most 4,096 pixels each stay well under it.
constexpr std::uint64_t kMaxPixelsPerByte = 8 * kMaxInflateRatio;

} // namespace

bool isPngOrGif(std::span<const std::uint8_t> data)
{
    return isPng(data) || startsWith(data, kGif89Signature) || startsWith(data, kGif87Signature);
}

Result<QImage> decodePngOrGif(std::span<const std::uint8_t> data)
{
    const char* const format = isPng(data) ? "png" : "gif";
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (!size.isValid() || !bitmapSizeAllowed(size.width(), size.height()))
        return Result<QImage>::failure(std::string("embedded ") + format + " has no acceptable size");
    if (std::uint64_t(size.width()) * std::uint64_t(size.height()) > kMaxPixelsPerByte * data.size())
        return Result<QImage>::failure(std::string("embedded ") + format + " size is more than its data can hold");
    QImage image;
    if (!reader.read(&image))
        return Result<QImage>::failure(std::string("embedded ") + format + " cannot be decoded: " + reader.errorString().toStdString());
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace swf
