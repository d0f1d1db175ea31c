#include "swf/define/Definitions.h"

#include "swf/media/BitmapDecoder.h"

namespace swf {

const QImage& BitmapDefinition::image() const
{
    if (!m_image) {
        auto decoded = decodeBitmap(tagCode, body, jpegTables);
        m_image = decoded ? decoded.value() : QImage();
        // The compressed bytes have done their work.
        body = {};
        jpegTables = {};
    }
    return *m_image;
}

} // namespace swf
