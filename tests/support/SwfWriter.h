#pragma once

// Builds movies for tests, byte for byte, including ones that lie: a header
// can claim any signature, length or frame count, and tags can be written
// with any length in either form, or replaced by raw bytes.
//
//   SwfWriter w;
//   w.setFrameSize(550, 400).setBackground({255, 0, 0}).showFrame();
//   std::vector<std::uint8_t> movie = w.build(swf::Compression::Zlib);

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "swf/Color.h"
#include "swf/Header.h"

namespace swftest {

// Bit-packed fields, most significant bit first, as movies store them.
class BitWriter {
public:
    BitWriter& ub(std::uint32_t value, unsigned bits);
    BitWriter& sb(std::int32_t value, unsigned bits);
    // Pads the last byte with zero bits and hands the bytes over.
    std::vector<std::uint8_t> finish();

    // Bits needed to hold each value as a signed field.
    static unsigned signedBits(std::initializer_list<std::int32_t> values);

private:
    std::vector<std::uint8_t> m_bytes;
    unsigned m_used = 8; // bits used in the last byte
};

enum class TagForm { Auto, Short, Long };

class SwfWriter {
public:
    // Header fields. The defaults make a valid 550x400 movie at 24 fps,
    // version 10, whose frame count is the number of showFrame() calls.
    SwfWriter& setSignature(std::string signature); // only with build(): overrides the one `compression` implies
    SwfWriter& setVersion(std::uint8_t version);
    SwfWriter& setFrameSize(int widthPixels, int heightPixels);
    SwfWriter& setFrameRect(swf::Rect twips);
    // Writes the RECT with this many bits a field, even if too few.
    SwfWriter& setRectBits(unsigned bits);
    SwfWriter& setFrameRate(double fps);
    SwfWriter& setFrameRateFixed(std::uint16_t fixed88);
    SwfWriter& setFrameCount(std::uint16_t count);
    // The length the header declares, instead of the true one.
    SwfWriter& setDeclaredLength(std::uint32_t length);

    // Tags, in order.
    SwfWriter& tag(std::uint16_t code, std::span<const std::uint8_t> body = {}, TagForm form = TagForm::Auto);
    // A tag header claiming `length` with only `body` behind it. The short
    // form cannot say 63 or more; asked to, it claims 62.
    SwfWriter& tagClaiming(std::uint16_t code, std::uint32_t length, std::span<const std::uint8_t> body = {}, TagForm form = TagForm::Auto);
    SwfWriter& setBackground(swf::Color color);
    SwfWriter& showFrame();
    SwfWriter& end();
    // Bytes placed in the tag stream as they are.
    SwfWriter& raw(std::span<const std::uint8_t> bytes);
    // build() adds an End tag unless end() was called or this was.
    SwfWriter& withoutEnd();

    std::vector<std::uint8_t> build(swf::Compression compression = swf::Compression::None) const;
    // The stream as it is before compression: prefix, header, tags.
    std::vector<std::uint8_t> uncompressed() const;

    static std::vector<std::uint8_t> zlib(std::span<const std::uint8_t> data);
    // A raw LZMA stream as ZWS holds it: the five property bytes, then data.
    static std::vector<std::uint8_t> lzma(std::span<const std::uint8_t> data);

private:
    std::vector<std::uint8_t> headerFields() const;

    std::optional<std::string> m_signature;
    std::uint8_t m_version = 10;
    swf::Rect m_rect {0, 550 * 20, 0, 400 * 20};
    std::optional<unsigned> m_rectBits;
    std::uint16_t m_rate = 24 << 8;
    std::optional<std::uint16_t> m_frameCount;
    std::optional<std::uint32_t> m_declaredLength;
    std::vector<std::uint8_t> m_tags;
    int m_shownFrames = 0;
    bool m_ended = false;
    bool m_appendEnd = true;
};

} // namespace swftest
