#include "swf/define/Definitions.h"

#include <algorithm>

#include "swf/media/BitmapDecoder.h"
#include "swf/media/BitmapDimensions.h"

namespace swf {

namespace {

constexpr std::size_t kBytesPerPixel = 4;

} // namespace

BitmapDefinition::BitmapDefinition(std::uint16_t tagCode, std::vector<std::uint8_t> body, std::vector<std::uint8_t> jpegTables,
                                   std::shared_ptr<MemoryBudget> budget)
    : m_tagCode(tagCode)
    , m_body(std::move(body))
    , m_jpegTables(std::move(jpegTables))
    , m_budget(std::move(budget))
{
}

BitmapDefinition::BitmapDefinition(QImage pixels)
    : m_tagCode(0)
    , m_image(std::move(pixels))
{
}

BitmapDefinition::~BitmapDefinition()
{
    // First, so that the budget is done with this entry before any of it goes.
    if (m_budget)
        m_budget->release(*this);
}

bool BitmapDefinition::tryRelease()
{
    std::unique_lock lock(m_lock, std::try_to_lock);
    if (!lock.owns_lock() || !m_image || m_image->isNull())
        return false;
    // The compressed bytes are kept, so the pixels come back on demand.
    m_image.reset();
    m_padded.reset();
    return true;
}

// Charges the budget for `pixels` more, once room has been made; a bitmap
// that cannot fit is drawn as nothing, and said so once.
bool BitmapDefinition::chargeFor(std::int64_t pixels) const
{
    if (!m_budget)
        return true;
    if (pixels > 0 && m_budget->charge(const_cast<BitmapDefinition&>(*this), std::size_t(pixels) * kBytesPerPixel))
        return true;
    if (!m_refusalReported)
        m_budget->report("a bitmap of " + std::to_string(pixels) + " pixels is left out: the movie's memory budget is spent");
    m_refusalReported = true;
    return false;
}

bool BitmapDefinition::hasPixels() const
{
    const std::lock_guard lock(m_lock);
    return m_image.has_value() || m_failed;
}

QSize BitmapDefinition::claimedSize() const
{
    const std::lock_guard lock(m_lock);
    if (m_image && !m_image->isNull())
        return m_image->size();
    const auto size = bitmapDimensions(m_tagCode, m_body, m_jpegTables);
    if (!size || size->width > 65535 || size->height > 65535)
        return {};
    return QSize(int(size->width), int(size->height));
}

QImage BitmapDefinition::image() const
{
    const std::lock_guard lock(m_lock);
    return decodedLocked();
}

QImage BitmapDefinition::decodedLocked() const
{
    if (m_image) {
        if (m_budget && !m_image->isNull())
            m_budget->touch(const_cast<BitmapDefinition&>(*this));
        return *m_image;
    }
    if (m_failed)
        return {};
    // The memory is checked against the budget before the decoder takes it;
    // a size no bitmap may have is not decoded at all.
    const auto size = bitmapDimensions(m_tagCode, m_body, m_jpegTables);
    if (size && !bitmapSizeAllowed(size->width, size->height)) {
        m_failed = true;
        return {};
    }
    const std::int64_t claimed = size ? size->width * size->height : 0;
    if (claimed > 0 && !chargeFor(claimed))
        return {};
    auto decoded = decodeBitmap(m_tagCode, m_body, m_jpegTables);
    if (!decoded || decoded.value().isNull()) {
        if (m_budget)
            m_budget->release(const_cast<BitmapDefinition&>(*this));
        m_failed = true;
        return {};
    }
    const std::int64_t pixels = std::int64_t(decoded.value().width()) * decoded.value().height();
    // A header that could not be read, or that told less than the truth.
    if (pixels > claimed && !chargeFor(pixels - claimed)) {
        m_budget->release(const_cast<BitmapDefinition&>(*this));
        return {};
    }
    m_image = std::move(decoded.value());
    return *m_image;
}

QImage BitmapDefinition::edgePaddedImage() const
{
    const std::lock_guard lock(m_lock);
    if (m_padded && m_image)
        return *m_padded;
    const QImage source = decodedLocked();
    if (source.isNull())
        return {};
    const int width = source.width();
    const int height = source.height();
    if (!chargeFor(std::int64_t(width + 2) * (height + 2)))
        return {};
    QImage padded(width + 2, height + 2, QImage::Format_ARGB32_Premultiplied);
    if (padded.isNull()) {
        // No memory for the copy: the fill shows nothing rather than crash.
        return {};
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
