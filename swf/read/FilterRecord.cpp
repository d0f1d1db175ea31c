#include "swf/read/FilterRecord.h"

#include <cstddef>

#include "swf/read/BitReader.h"

namespace swf {

namespace {

// Every field is read even after a short read; the reader's failure sticks
// and the record is judged once at its end.
Color readRgba(ByteReader& bytes)
{
    Color color;
    color.r = bytes.u8().value_or(0);
    color.g = bytes.u8().value_or(0);
    color.b = bytes.u8().value_or(0);
    color.a = bytes.u8().value_or(0);
    return color;
}

double readFixed(ByteReader& bytes) { return bytes.fixed16().value_or(0); }

void readBlur(ByteReader& bytes, Filter& filter)
{
    filter.blurX = readFixed(bytes);
    filter.blurY = readFixed(bytes);
}

void readOffset(ByteReader& bytes, Filter& filter)
{
    filter.angle = readFixed(bytes);
    filter.distance = readFixed(bytes);
}

// Shadows and glows end in inner, knockout, composite-source and five bits
// of passes; bevels and gradients give up a passes bit to the on-top flag.
void readEffectFlags(ByteReader& bytes, Filter& filter, bool hasOnTop)
{
    filter.strength = bytes.fixed8().value_or(0);
    BitReader bits(bytes);
    filter.inner = bits.flag().value_or(false);
    filter.knockout = bits.flag().value_or(false);
    filter.compositeSource = bits.flag().value_or(false);
    if (hasOnTop)
        filter.onTop = bits.flag().value_or(false);
    filter.passes = int(bits.ub(hasOnTop ? 4 : 5).value_or(0));
}

void readGradient(ByteReader& bytes, Filter& filter)
{
    filter.gradient.resize(bytes.u8().value_or(0));
    for (auto& stop : filter.gradient)
        stop.color = readRgba(bytes);
    for (auto& stop : filter.gradient)
        stop.ratio = bytes.u8().value_or(0);
}

void readConvolution(ByteReader& bytes, Filter& filter)
{
    filter.matrixX = bytes.u8().value_or(0);
    filter.matrixY = bytes.u8().value_or(0);
    filter.divisor = bytes.f32().value_or(1);
    filter.bias = bytes.f32().value_or(0);
    const std::size_t terms = std::size_t(filter.matrixX) * std::size_t(filter.matrixY);
    // Taken as one span first, so a lying size never reserves more than
    // the record holds.
    const auto raw = bytes.bytes(terms * 4);
    if (!raw)
        return;
    ByteReader matrix(*raw);
    filter.matrix.resize(terms);
    for (auto& term : filter.matrix)
        term = matrix.f32().value_or(0);
    filter.defaultColor = readRgba(bytes);
    BitReader bits(bytes);
    bits.ub(6);
    filter.clamp = bits.flag().value_or(false);
    filter.preserveAlpha = bits.flag().value_or(false);
}

std::optional<Filter> readFilter(ByteReader& bytes)
{
    const auto id = bytes.u8();
    if (!id || *id > std::uint8_t(FilterType::GradientBevel))
        return std::nullopt;
    Filter filter;
    filter.type = FilterType(*id);
    switch (filter.type) {
    case FilterType::DropShadow:
        filter.color = readRgba(bytes);
        readBlur(bytes, filter);
        readOffset(bytes, filter);
        readEffectFlags(bytes, filter, false);
        break;
    case FilterType::Blur: {
        readBlur(bytes, filter);
        BitReader bits(bytes);
        filter.passes = int(bits.ub(5).value_or(0));
        bits.ub(3);
        break;
    }
    case FilterType::Glow:
        filter.color = readRgba(bytes);
        readBlur(bytes, filter);
        readEffectFlags(bytes, filter, false);
        break;
    case FilterType::Bevel:
        // The record stores the shadow colour first.
        filter.color = readRgba(bytes);
        filter.highlight = readRgba(bytes);
        readBlur(bytes, filter);
        readOffset(bytes, filter);
        readEffectFlags(bytes, filter, true);
        break;
    case FilterType::GradientGlow:
    case FilterType::GradientBevel:
        readGradient(bytes, filter);
        readBlur(bytes, filter);
        readOffset(bytes, filter);
        readEffectFlags(bytes, filter, true);
        break;
    case FilterType::Convolution:
        readConvolution(bytes, filter);
        break;
    case FilterType::ColorMatrix:
        filter.matrix.resize(20);
        for (auto& term : filter.matrix)
            term = bytes.f32().value_or(0);
        break;
    }
    if (bytes.failed())
        return std::nullopt;
    return filter;
}

} // namespace

std::optional<std::vector<Filter>> readFilterList(ByteReader& bytes)
{
    const auto count = bytes.u8();
    if (!count)
        return std::nullopt;
    std::vector<Filter> filters;
    filters.reserve(*count);
    for (unsigned i = 0; i < *count; ++i) {
        auto filter = readFilter(bytes);
        if (!filter)
            return std::nullopt;
        filters.push_back(std::move(*filter));
    }
    return filters;
}

} // namespace swf
