#include "support/SwfShapes.h"

#include <cmath>

#include "support/SwfWriter.h"

namespace swftest {

namespace {

void putU16(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

void putRgba(std::vector<std::uint8_t>& out, swf::Color color)
{
    out.insert(out.end(), {color.r, color.g, color.b, color.a});
}

std::int32_t fixed16(double value)
{
    return std::int32_t(std::lround(value * 65536.0));
}

} // namespace

std::vector<std::uint8_t> matrixBytes(const swf::Matrix& m)
{
    BitWriter bits;
    const bool scale = m.a != 1 || m.d != 1;
    bits.ub(scale, 1);
    if (scale) {
        const std::int32_t a = fixed16(m.a);
        const std::int32_t d = fixed16(m.d);
        const unsigned n = BitWriter::signedBits({a, d});
        bits.ub(n, 5).sb(a, n).sb(d, n);
    }
    const bool rotate = m.b != 0 || m.c != 0;
    bits.ub(rotate, 1);
    if (rotate) {
        const std::int32_t b = fixed16(m.b);
        const std::int32_t c = fixed16(m.c);
        const unsigned n = BitWriter::signedBits({b, c});
        bits.ub(n, 5).sb(b, n).sb(c, n);
    }
    const std::int32_t tx = std::int32_t(std::lround(m.tx));
    const std::int32_t ty = std::int32_t(std::lround(m.ty));
    const unsigned n = tx == 0 && ty == 0 ? 0 : BitWriter::signedBits({tx, ty});
    bits.ub(n, 5);
    if (n > 0)
        bits.sb(tx, n).sb(ty, n);
    return bits.finish();
}

std::vector<std::uint8_t> defineShape3(const RectShape& shape)
{
    std::vector<std::uint8_t> body;
    putU16(body, shape.id);
    const std::int32_t half = shape.boundsUnderstated ? 0 : shape.lineWidth / 2;
    const std::int32_t right = shape.boundsUnderstated ? 1 : shape.width + half;
    const std::int32_t bottom = shape.boundsUnderstated ? 1 : shape.height + half;
    BitWriter bounds;
    const unsigned n = BitWriter::signedBits({-half, right, bottom});
    bounds.ub(n, 5).sb(-half, n).sb(right, n).sb(-half, n).sb(bottom, n);
    const auto boundBytes = bounds.finish();
    body.insert(body.end(), boundBytes.begin(), boundBytes.end());

    body.push_back(1); // one fill style
    if (shape.gradientTo) {
        body.push_back(0x10);
        // The gradient square spans 32768 twips; fit it to the width.
        const double scale = shape.width / 32768.0;
        const auto matrix = matrixBytes({scale, 0, 0, scale, shape.width / 2.0, shape.height / 2.0});
        body.insert(body.end(), matrix.begin(), matrix.end());
        body.push_back(2);
        body.push_back(0);
        putRgba(body, shape.fill);
        body.push_back(255);
        putRgba(body, *shape.gradientTo);
    } else {
        body.push_back(0x00);
        putRgba(body, shape.fill);
    }
    body.push_back(shape.lineWidth > 0 ? 1 : 0);
    if (shape.lineWidth > 0) {
        putU16(body, shape.lineWidth);
        putRgba(body, shape.lineColor);
    }
    body.push_back(0x11); // one fill bit, one line bit

    BitWriter records;
    const unsigned moveBits = 1;
    records.ub(0, 1).ub(0x01 | 0x04 | 0x08, 5).ub(moveBits, 5).sb(0, moveBits).sb(0, moveBits);
    records.ub(1, 1).ub(shape.lineWidth > 0 ? 1 : 0, 1);
    const std::int32_t sides[4][2] = {{shape.width, 0}, {0, shape.height}, {-shape.width, 0}, {0, -shape.height}};
    for (const auto& side : sides) {
        const unsigned bits = std::max(2u, BitWriter::signedBits({side[0], side[1]}));
        records.ub(1, 1).ub(1, 1).ub(bits - 2, 4).ub(0, 1);
        if (side[0] == 0)
            records.ub(1, 1).sb(side[1], bits);
        else
            records.ub(0, 1).sb(side[0], bits);
    }
    records.ub(0, 1).ub(0, 5);
    const auto recordBytes = records.finish();
    body.insert(body.end(), recordBytes.begin(), recordBytes.end());
    return body;
}

std::vector<std::uint8_t> placeObject2(const Placement& placement)
{
    std::vector<std::uint8_t> body;
    std::uint8_t flags = 0;
    if (placement.move)
        flags |= 0x01;
    if (placement.characterId)
        flags |= 0x02;
    if (placement.matrix)
        flags |= 0x04;
    if (placement.name)
        flags |= 0x20;
    if (placement.clipDepth)
        flags |= 0x40;
    body.push_back(flags);
    putU16(body, placement.depth);
    if (placement.characterId)
        putU16(body, *placement.characterId);
    if (placement.matrix) {
        const auto matrix = matrixBytes(*placement.matrix);
        body.insert(body.end(), matrix.begin(), matrix.end());
    }
    if (placement.name)
        body.insert(body.end(), placement.name->c_str(), placement.name->c_str() + placement.name->size() + 1);
    if (placement.clipDepth)
        putU16(body, *placement.clipDepth);
    return body;
}

std::vector<std::uint8_t> tagBytes(std::uint16_t code, const std::vector<std::uint8_t>& body)
{
    std::vector<std::uint8_t> out;
    if (body.size() < 63) {
        putU16(out, std::uint16_t(code << 6 | body.size()));
    } else {
        putU16(out, std::uint16_t(code << 6 | 63));
        const auto length = std::uint32_t(body.size());
        out.insert(out.end(), {std::uint8_t(length), std::uint8_t(length >> 8), std::uint8_t(length >> 16), std::uint8_t(length >> 24)});
    }
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

std::vector<std::uint8_t> defineSprite(std::uint16_t id, const std::vector<std::vector<std::vector<std::uint8_t>>>& frames)
{
    std::vector<std::uint8_t> body;
    putU16(body, id);
    putU16(body, std::uint16_t(frames.size()));
    for (const auto& frame : frames) {
        for (const auto& tag : frame)
            body.insert(body.end(), tag.begin(), tag.end());
        const auto showFrame = tagBytes(1, {});
        body.insert(body.end(), showFrame.begin(), showFrame.end());
    }
    const auto end = tagBytes(0, {});
    body.insert(body.end(), end.begin(), end.end());
    return body;
}

std::vector<std::uint8_t> square(std::int32_t side, bool selectFill)
{
    std::vector<std::uint8_t> out {std::uint8_t(selectFill ? 0x10 : 0x00)};
    BitWriter bits;
    bits.ub(0, 1).ub(0x01 | (selectFill ? 0x04 : 0), 5).ub(1, 5).sb(0, 1).sb(0, 1);
    if (selectFill)
        bits.ub(1, 1);
    const unsigned n = BitWriter::signedBits({side, -side});
    for (auto [dx, dy] : {std::pair {side, 0}, std::pair {0, side}, std::pair {-side, 0}, std::pair {0, -side}})
        bits.ub(1, 1).ub(1, 1).ub(n - 2, 4).ub(1, 1).sb(dx, n).sb(dy, n);
    bits.ub(0, 1).ub(0, 5);
    const std::vector<std::uint8_t> packed = bits.finish();
    out.insert(out.end(), packed.begin(), packed.end());
    return out;
}

std::vector<std::uint8_t> rectBytes(std::int32_t side)
{
    BitWriter bits;
    const unsigned n = BitWriter::signedBits({side});
    bits.ub(n, 5).sb(0, n).sb(side, n).sb(0, n).sb(side, n);
    return bits.finish();
}

const std::vector<std::uint8_t> kSolidStyles {1, 0x00, 255, 0, 0, 255, 0, 0, 255, 255, 0};

std::vector<std::uint8_t> morphBody(const std::vector<std::uint8_t>& styles)
{
    std::vector<std::uint8_t> body = rectBytes(2000);
    const std::vector<std::uint8_t> endBounds = rectBytes(4000);
    body.insert(body.end(), endBounds.begin(), endBounds.end());
    const std::vector<std::uint8_t> start = square(2000, true);
    const std::vector<std::uint8_t> end = square(4000, false);
    const auto offset = std::uint32_t(styles.size() + start.size());
    body.insert(body.end(), {std::uint8_t(offset), std::uint8_t(offset >> 8), std::uint8_t(offset >> 16), std::uint8_t(offset >> 24)});
    body.insert(body.end(), styles.begin(), styles.end());
    body.insert(body.end(), start.begin(), start.end());
    body.insert(body.end(), end.begin(), end.end());
    return body;
}

} // namespace swftest
