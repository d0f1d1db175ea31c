#include "support/SwfWriter.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include <lzma.h>
#include <zlib.h>

namespace swftest {

namespace {

void putU16(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

void putU32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

} // namespace

BitWriter& BitWriter::ub(std::uint32_t value, unsigned bits)
{
    for (unsigned i = bits; i-- > 0;) {
        if (m_used == 8) {
            m_bytes.push_back(0);
            m_used = 0;
        }
        if ((value >> i) & 1u)
            m_bytes.back() |= std::uint8_t(0x80u >> m_used);
        ++m_used;
    }
    return *this;
}

BitWriter& BitWriter::sb(std::int32_t value, unsigned bits)
{
    return ub(std::uint32_t(value), bits);
}

std::vector<std::uint8_t> BitWriter::finish()
{
    m_used = 8;
    return std::move(m_bytes);
}

unsigned BitWriter::signedBits(std::initializer_list<std::int32_t> values)
{
    unsigned bits = 1;
    for (std::int32_t value : values) {
        const std::int64_t v = value;
        unsigned needed = 1;
        while (needed < 32 && (v < -(std::int64_t(1) << (needed - 1)) || v >= (std::int64_t(1) << (needed - 1))))
            ++needed;
        bits = std::max(bits, needed);
    }
    return bits;
}

SwfWriter& SwfWriter::setSignature(std::string signature)
{
    m_signature = std::move(signature);
    return *this;
}

SwfWriter& SwfWriter::setVersion(std::uint8_t version)
{
    m_version = version;
    return *this;
}

SwfWriter& SwfWriter::setFrameSize(int widthPixels, int heightPixels)
{
    return setFrameRect({0, widthPixels * 20, 0, heightPixels * 20});
}

SwfWriter& SwfWriter::setFrameRect(swf::Rect twips)
{
    m_rect = twips;
    return *this;
}

SwfWriter& SwfWriter::setRectBits(unsigned bits)
{
    m_rectBits = bits;
    return *this;
}

SwfWriter& SwfWriter::setFrameRate(double fps)
{
    return setFrameRateFixed(std::uint16_t(std::lround(fps * 256)));
}

SwfWriter& SwfWriter::setFrameRateFixed(std::uint16_t fixed88)
{
    m_rate = fixed88;
    return *this;
}

SwfWriter& SwfWriter::setFrameCount(std::uint16_t count)
{
    m_frameCount = count;
    return *this;
}

SwfWriter& SwfWriter::setDeclaredLength(std::uint32_t length)
{
    m_declaredLength = length;
    return *this;
}

SwfWriter& SwfWriter::tag(std::uint16_t code, std::span<const std::uint8_t> body, TagForm form)
{
    return tagClaiming(code, std::uint32_t(body.size()), body, form);
}

SwfWriter& SwfWriter::tagClaiming(std::uint16_t code, std::uint32_t length, std::span<const std::uint8_t> body, TagForm form)
{
    const bool longForm = form == TagForm::Long || (form == TagForm::Auto && length >= 0x3F);
    if (longForm) {
        putU16(m_tags, std::uint16_t(code << 6 | 0x3F));
        putU32(m_tags, length);
    } else {
        putU16(m_tags, std::uint16_t(code << 6 | std::min<std::uint32_t>(length, 0x3E)));
    }
    m_tags.insert(m_tags.end(), body.begin(), body.end());
    return *this;
}

SwfWriter& SwfWriter::setBackground(swf::Color color)
{
    const std::uint8_t rgb[] {color.r, color.g, color.b};
    return tag(9, rgb);
}

SwfWriter& SwfWriter::showFrame()
{
    ++m_shownFrames;
    return tag(1);
}

SwfWriter& SwfWriter::end()
{
    m_ended = true;
    return tag(0);
}

SwfWriter& SwfWriter::raw(std::span<const std::uint8_t> bytes)
{
    m_tags.insert(m_tags.end(), bytes.begin(), bytes.end());
    return *this;
}

SwfWriter& SwfWriter::withoutEnd()
{
    m_appendEnd = false;
    return *this;
}

std::vector<std::uint8_t> SwfWriter::headerFields() const
{
    BitWriter bits;
    const unsigned n = m_rectBits.value_or(BitWriter::signedBits({m_rect.xMin, m_rect.xMax, m_rect.yMin, m_rect.yMax}));
    bits.ub(n, 5).sb(m_rect.xMin, n).sb(m_rect.xMax, n).sb(m_rect.yMin, n).sb(m_rect.yMax, n);
    std::vector<std::uint8_t> fields = bits.finish();
    putU16(fields, m_rate);
    putU16(fields, m_frameCount.value_or(std::uint16_t(m_shownFrames)));
    return fields;
}

std::vector<std::uint8_t> SwfWriter::uncompressed() const
{
    std::vector<std::uint8_t> body = headerFields();
    body.insert(body.end(), m_tags.begin(), m_tags.end());
    if (m_appendEnd && !m_ended)
        putU16(body, 0);

    std::vector<std::uint8_t> stream {'F', 'W', 'S', m_version};
    putU32(stream, m_declaredLength.value_or(std::uint32_t(8 + body.size())));
    stream.insert(stream.end(), body.begin(), body.end());
    return stream;
}

std::vector<std::uint8_t> SwfWriter::build(swf::Compression compression) const
{
    std::vector<std::uint8_t> stream = uncompressed();
    const std::span<const std::uint8_t> body = std::span(stream).subspan(8);
    std::vector<std::uint8_t> out(stream.begin(), stream.begin() + 8);
    switch (compression) {
    case swf::Compression::None:
        out.insert(out.end(), body.begin(), body.end());
        break;
    case swf::Compression::Zlib: {
        out[0] = 'C';
        const auto packed = zlib(body);
        out.insert(out.end(), packed.begin(), packed.end());
        break;
    }
    case swf::Compression::Lzma: {
        out[0] = 'Z';
        const auto packed = lzma(body);
        putU32(out, std::uint32_t(packed.size() - 5));
        out.insert(out.end(), packed.begin(), packed.end());
        break;
    }
    }
    if (m_signature)
        std::copy_n(m_signature->begin(), std::min<std::size_t>(3, m_signature->size()), out.begin());
    return out;
}

std::vector<std::uint8_t> SwfWriter::zlib(std::span<const std::uint8_t> data)
{
    uLongf size = compressBound(uLong(data.size()));
    std::vector<std::uint8_t> out(size);
    if (compress2(out.data(), &size, data.data(), uLong(data.size()), Z_BEST_COMPRESSION) != Z_OK)
        throw std::runtime_error("zlib compression failed");
    out.resize(size);
    return out;
}

std::vector<std::uint8_t> SwfWriter::lzma(std::span<const std::uint8_t> data)
{
    lzma_options_lzma options;
    lzma_lzma_preset(&options, 6);
    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_alone_encoder(&stream, &options) != LZMA_OK)
        throw std::runtime_error("lzma encoder failed to start");
    std::vector<std::uint8_t> out(data.size() + data.size() / 2 + 1024);
    stream.next_in = data.data();
    stream.avail_in = data.size();
    stream.next_out = out.data();
    stream.avail_out = out.size();
    const lzma_ret status = lzma_code(&stream, LZMA_FINISH);
    const std::size_t produced = out.size() - stream.avail_out;
    lzma_end(&stream);
    if (status != LZMA_STREAM_END)
        throw std::runtime_error("lzma compression failed");
    out.resize(produced);
    // The .lzma header is five property bytes and an eight-byte length; ZWS
    // keeps the properties only.
    out.erase(out.begin() + 5, out.begin() + 13);
    return out;
}

} // namespace swftest
