#include "swf/define/ShapeRecords.h"

#include <algorithm>

#include "swf/read/BitReader.h"
#include "swf/read/Records.h"

namespace swf {

namespace {

std::optional<Color> readColor(ByteReader& bytes, ShapeVersion version)
{
    return version >= 3 ? readRgba(bytes) : readRgb(bytes);
}

// Counts of 255 and more are stored as 0xFF and a u16, from the second
// shape version on.
std::optional<std::uint32_t> readStyleCount(ByteReader& bytes, ShapeVersion version)
{
    const auto count = bytes.u8();
    if (!count)
        return std::nullopt;
    if (*count == 0xFF && version >= 2) {
        const auto extended = bytes.u16();
        if (!extended)
            return std::nullopt;
        return *extended;
    }
    return *count;
}

// Reads the record stream after the bit counts have been read.
std::optional<std::vector<ShapeRecord>> readRecords(ByteReader& bytes, ShapeVersion version, unsigned fillBits,
                                                    unsigned lineBits)
{
    std::vector<ShapeRecord> records;
    BitReader bits(bytes);
    while (records.size() < kMaxShapeRecords) {
        const auto isEdge = bits.flag();
        if (!isEdge)
            return std::nullopt;
        if (*isEdge) {
            const auto straight = bits.flag();
            const auto nbits = bits.ub(4);
            if (!straight || !nbits)
                return std::nullopt;
            const unsigned size = *nbits + 2;
            if (*straight) {
                const auto general = bits.flag();
                if (!general)
                    return std::nullopt;
                StraightEdge edge;
                if (*general) {
                    const auto dx = bits.sb(size);
                    const auto dy = bits.sb(size);
                    if (!dx || !dy)
                        return std::nullopt;
                    edge = {*dx, *dy};
                } else {
                    const auto vertical = bits.flag();
                    const auto delta = vertical ? bits.sb(size) : std::nullopt;
                    if (!vertical || !delta)
                        return std::nullopt;
                    edge = *vertical ? StraightEdge {0, *delta} : StraightEdge {*delta, 0};
                }
                records.emplace_back(edge);
            } else {
                const auto cdx = bits.sb(size);
                const auto cdy = bits.sb(size);
                const auto adx = bits.sb(size);
                const auto ady = bits.sb(size);
                if (!cdx || !cdy || !adx || !ady)
                    return std::nullopt;
                records.emplace_back(CurvedEdge {*cdx, *cdy, *adx, *ady});
            }
            continue;
        }

        const auto flags = bits.ub(5);
        if (!flags)
            return std::nullopt;
        if (*flags == 0)
            return records; // end of shape; the reader moves on to the next byte
        StyleChange change;
        const bool newStyles = *flags & 0x10;
        if (*flags & 0x01) {
            const auto size = bits.ub(5);
            const auto x = size ? bits.sb(*size) : std::nullopt;
            const auto y = size ? bits.sb(*size) : std::nullopt;
            if (!x || !y)
                return std::nullopt;
            change.moveTo = {*x, *y};
        }
        if (*flags & 0x02) {
            if (!(change.fill0 = bits.ub(fillBits)))
                return std::nullopt;
        }
        if (*flags & 0x04) {
            if (!(change.fill1 = bits.ub(fillBits)))
                return std::nullopt;
        }
        if (*flags & 0x08) {
            if (!(change.line = bits.ub(lineBits)))
                return std::nullopt;
        }
        // New styles mid-shape exist from the second version on; in the
        // first the flag bit is meaningless.
        if (newStyles && version >= 2) {
            bits.align();
            auto fills = readFillStyles(bytes, version);
            auto lines = fills ? readLineStyles(bytes, version) : std::nullopt;
            const auto counts = lines ? bytes.u8() : std::nullopt;
            if (!counts)
                return std::nullopt;
            change.newStyles = true;
            change.fillStyles = std::move(*fills);
            change.lineStyles = std::move(*lines);
            fillBits = *counts >> 4;
            lineBits = *counts & 0x0F;
        }
        records.emplace_back(std::move(change));
    }
    return std::nullopt;
}

} // namespace

std::optional<Gradient> readGradient(ByteReader& bytes, ShapeVersion version, bool focal)
{
    const auto head = bytes.u8();
    if (!head)
        return std::nullopt;
    Gradient gradient;
    gradient.spread = SpreadMode(std::min(*head >> 6, 2));
    gradient.interpolation = InterpolationMode(std::min((*head >> 4) & 3, 1));
    const int count = *head & 0x0F;
    for (int i = 0; i < count; ++i) {
        const auto ratio = bytes.u8();
        const auto color = readColor(bytes, version);
        if (!ratio || !color)
            return std::nullopt;
        gradient.records.push_back({*ratio, *color});
    }
    if (focal) {
        const auto point = bytes.fixed8();
        if (!point)
            return std::nullopt;
        gradient.focalPoint = std::clamp(*point, -1.0, 1.0);
    }
    return gradient;
}

std::optional<FillStyle> readFillStyle(ByteReader& bytes, ShapeVersion version)
{
    const auto type = bytes.u8();
    if (!type)
        return std::nullopt;
    FillStyle fill;
    switch (*type) {
    case 0x00: {
        const auto color = readColor(bytes, version);
        if (!color)
            return std::nullopt;
        fill.color = *color;
        break;
    }
    case 0x10:
    case 0x12:
    case 0x13: {
        const auto matrix = readMatrix(bytes);
        const auto gradient = matrix ? readGradient(bytes, version, *type == 0x13) : std::nullopt;
        if (!gradient)
            return std::nullopt;
        fill.matrix = *matrix;
        fill.gradient = *gradient;
        break;
    }
    case 0x40:
    case 0x41:
    case 0x42:
    case 0x43: {
        const auto id = bytes.u16();
        const auto matrix = id ? readMatrix(bytes) : std::nullopt;
        if (!matrix)
            return std::nullopt;
        fill.bitmapId = *id;
        fill.matrix = *matrix;
        break;
    }
    default:
        return std::nullopt;
    }
    fill.type = FillType(*type);
    return fill;
}

std::optional<std::vector<FillStyle>> readFillStyles(ByteReader& bytes, ShapeVersion version)
{
    const auto count = readStyleCount(bytes, version);
    if (!count || *count > bytes.remaining())
        return std::nullopt;
    std::vector<FillStyle> fills;
    fills.reserve(*count);
    for (std::uint32_t i = 0; i < *count; ++i) {
        auto fill = readFillStyle(bytes, version);
        if (!fill)
            return std::nullopt;
        fills.push_back(std::move(*fill));
    }
    return fills;
}

std::optional<std::vector<LineStyle>> readLineStyles(ByteReader& bytes, ShapeVersion version)
{
    const auto count = readStyleCount(bytes, version);
    if (!count || *count > bytes.remaining())
        return std::nullopt;
    std::vector<LineStyle> lines;
    lines.reserve(*count);
    for (std::uint32_t i = 0; i < *count; ++i) {
        LineStyle line;
        const auto width = bytes.u16();
        if (!width)
            return std::nullopt;
        line.width = *width;
        if (version < 4) {
            const auto color = readColor(bytes, version);
            if (!color)
                return std::nullopt;
            line.color = *color;
            lines.push_back(line);
            continue;
        }
        const auto high = bytes.u8();
        const auto low = bytes.u8();
        if (!high || !low)
            return std::nullopt;
        // First byte: start cap, join, has fill, no h-scale, no v-scale,
        // pixel hinting; second: reserved bits, no close, end cap.
        line.startCap = CapStyle(std::min(*high >> 6, 2));
        line.join = JoinStyle(std::min((*high >> 4) & 3, 2));
        const bool hasFill = *high & 0x08;
        line.noHScale = *high & 0x04;
        line.noVScale = *high & 0x02;
        line.pixelHinting = *high & 0x01;
        line.noClose = *low & 0x04;
        line.endCap = CapStyle(std::min(*low & 3, 2));
        if (line.join == JoinStyle::Miter) {
            const auto limit = bytes.fixed8();
            if (!limit)
                return std::nullopt;
            line.miterLimit = *limit;
        }
        if (hasFill) {
            auto fill = readFillStyle(bytes, version);
            if (!fill)
                return std::nullopt;
            line.color = fill->color;
            line.fill = std::move(*fill);
        } else {
            const auto color = readRgba(bytes);
            if (!color)
                return std::nullopt;
            line.color = *color;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::optional<ShapeWithStyle> readShapeWithStyle(ByteReader& bytes, ShapeVersion version)
{
    ShapeWithStyle shape;
    auto fills = readFillStyles(bytes, version);
    auto lines = fills ? readLineStyles(bytes, version) : std::nullopt;
    const auto counts = lines ? bytes.u8() : std::nullopt;
    if (!counts)
        return std::nullopt;
    auto records = readRecords(bytes, version, *counts >> 4, *counts & 0x0F);
    if (!records)
        return std::nullopt;
    shape.fillStyles = std::move(*fills);
    shape.lineStyles = std::move(*lines);
    shape.records = std::move(*records);
    return shape;
}

std::optional<std::vector<ShapeRecord>> readShape(ByteReader& bytes, ShapeVersion version)
{
    const auto counts = bytes.u8();
    if (!counts)
        return std::nullopt;
    return readRecords(bytes, version, *counts >> 4, *counts & 0x0F);
}

} // namespace swf
