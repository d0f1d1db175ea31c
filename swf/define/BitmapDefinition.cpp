#include "swf/define/Definitions.h"

#include <algorithm>

#include "swf/media/BitmapDecoder.h"

namespace swf {

BitmapDefinition::BitmapDefinition(std::uint16_t tagCode, std::vector<std::uint8_t> body, std::vector<std::uint8_t> jpegTables)
    : m_tagCode(tagCode)
    , m_body(std::move(body))
    , m_jpegTables(std::move(jpegTables))
{
}

QImage BitmapDefinition::image() const
{
    const std::lock_guard lock(m_lock);
    if (!m_image) {
        auto decoded = decodeBitmap(m_tagCode, m_body, m_jpegTables);
        m_image = decoded ? decoded.value() : QImage();
        // The compressed bytes have done their work.
        m_body = {};
        m_jpegTables = {};
    }
    return *m_image;
}

QImage BitmapDefinition::edgePaddedImage() const
{
    const QImage source = image();
    const std::lock_guard lock(m_lock);
    if (m_padded)
        return *m_padded;
    if (source.isNull()) {
        m_padded = QImage();
        return *m_padded;
    }
    const int width = source.width();
    const int height = source.height();
    QImage padded(width + 2, height + 2, QImage::Format_ARGB32_Premultiplied);
    if (padded.isNull()) {
        // No memory for the copy: the fill shows nothing rather than crash.
        m_padded = QImage();
        return *m_padded;
    }
    for (int y = 0; y < height + 2; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(std::clamp(y - 1, 0, height - 1)));
        auto* out = reinterpret_cast<QRgb*>(padded.scanLine(y));
        out[0] = in[0];
        std::copy(in, in + width, out + 1);
        out[width + 1] = in[width - 1];
    }
    m_padded = std::move(padded);
    return *m_padded;
}

} // namespace swf
