#include "swf/define/Dictionary.h"

#include <algorithm>
#include <cmath>

#include "swf/read/ByteReader.h"
#include "swf/read/Records.h"
#include "swf/read/TagCode.h"

namespace swf {

namespace {

constexpr std::uint16_t kDefineMorphShape2 = +TagCode::DefineMorphShape2;
// Ratios a morph is drawn at are few in practice (one per frame of a
// tween); a movie sweeping through thousands only costs rebuilds. A morph
// of very many edges keeps fewer of them, so its cache stays within
// bounds whatever the ratios.
constexpr std::size_t kMaxCachedRatios = 64;
constexpr std::size_t kMaxCachedEdges = 1'000'000;
// A morph is worked out afresh at every ratio it is drawn at, so it is kept
// to far more edges than a tween ever has, but not to what a file can hold.
constexpr std::size_t kMaxMorphRecords = 100'000;

using MorphFill = MorphShapeDefinition::MorphFill;
using MorphLine = MorphShapeDefinition::MorphLine;

std::optional<MorphFill> readMorphFill(ByteReader& bytes)
{
    const auto type = bytes.u8();
    if (!type)
        return std::nullopt;
    MorphFill fill;
    fill.start.type = fill.end.type = FillType(*type);
    switch (*type) {
    case 0x00: {
        const auto start = readRgba(bytes);
        const auto end = readRgba(bytes);
        if (!start || !end)
            return std::nullopt;
        fill.start.color = *start;
        fill.end.color = *end;
        return fill;
    }
    case 0x10:
    case 0x12:
    case 0x13: {
        const auto startMatrix = readMatrix(bytes);
        const auto endMatrix = readMatrix(bytes);
        const auto head = bytes.u8();
        if (!startMatrix || !endMatrix || !head)
            return std::nullopt;
        fill.start.matrix = *startMatrix;
        fill.end.matrix = *endMatrix;
        Gradient gradient;
        gradient.spread = SpreadMode(std::min(*head >> 6, 2));
        gradient.interpolation = InterpolationMode(std::min((*head >> 4) & 3, 1));
        fill.start.gradient = fill.end.gradient = gradient;
        for (int i = 0; i < (*head & 0x0F); ++i) {
            const auto startRatio = bytes.u8();
            const auto startColor = readRgba(bytes);
            const auto endRatio = bytes.u8();
            const auto endColor = readRgba(bytes);
            if (!startRatio || !startColor || !endRatio || !endColor)
                return std::nullopt;
            fill.start.gradient.records.push_back({*startRatio, *startColor});
            fill.end.gradient.records.push_back({*endRatio, *endColor});
        }
        if (*type == 0x13) {
            // A focal gradient moves its focal point too; left unread, the
            // two values would be taken for the next style.
            const auto startFocal = bytes.fixed8();
            const auto endFocal = bytes.fixed8();
            if (!startFocal || !endFocal)
                return std::nullopt;
            fill.start.gradient.focalPoint = std::clamp(*startFocal, -1.0, 1.0);
            fill.end.gradient.focalPoint = std::clamp(*endFocal, -1.0, 1.0);
        }
        return fill;
    }
    case 0x40:
    case 0x41:
    case 0x42:
    case 0x43: {
        const auto id = bytes.u16();
        const auto startMatrix = readMatrix(bytes);
        const auto endMatrix = readMatrix(bytes);
        if (!id || !startMatrix || !endMatrix)
            return std::nullopt;
        fill.start.bitmapId = fill.end.bitmapId = *id;
        fill.start.matrix = *startMatrix;
        fill.end.matrix = *endMatrix;
        return fill;
    }
    default:
        return std::nullopt;
    }
}

std::optional<std::uint32_t> readCount(ByteReader& bytes)
{
    const auto count = bytes.u8();
    if (!count)
        return std::nullopt;
    if (*count == 0xFF)
        return bytes.u16();
    return *count;
}

std::optional<MorphLine> readMorphLine(ByteReader& bytes, bool second)
{
    const auto startWidth = bytes.u16();
    const auto endWidth = bytes.u16();
    if (!startWidth || !endWidth)
        return std::nullopt;
    MorphLine line;
    line.start.width = *startWidth;
    line.end.width = *endWidth;
    bool hasFill = false;
    if (second) {
        const auto high = bytes.u8();
        const auto low = bytes.u8();
        if (!high || !low)
            return std::nullopt;
        LineStyle& style = line.start;
        style.startCap = CapStyle(std::min(*high >> 6, 2));
        style.join = JoinStyle(std::min((*high >> 4) & 3, 2));
        hasFill = *high & 0x08;
        style.noHScale = *high & 0x04;
        style.noVScale = *high & 0x02;
        style.pixelHinting = *high & 0x01;
        style.noClose = *low & 0x04;
        style.endCap = CapStyle(std::min(*low & 3, 2));
        if (style.join == JoinStyle::Miter) {
            const auto limit = bytes.fixed8();
            if (!limit)
                return std::nullopt;
            style.miterLimit = *limit;
        }
        const std::uint16_t endWidthKept = line.end.width;
        line.end = style;
        line.end.width = endWidthKept;
    }
    if (hasFill) {
        const auto fill = readMorphFill(bytes);
        if (!fill)
            return std::nullopt;
        line.start.fill = fill->start;
        line.end.fill = fill->end;
        line.start.color = fill->start.color;
        line.end.color = fill->end.color;
    } else {
        const auto start = readRgba(bytes);
        const auto end = readRgba(bytes);
        if (!start || !end)
            return std::nullopt;
        line.start.color = *start;
        line.end.color = *end;
    }
    return line;
}

double mix(double a, double b, double t)
{
    return a + (b - a) * t;
}

std::uint8_t mix8(std::uint8_t a, std::uint8_t b, double t)
{
    return std::uint8_t(std::clamp(std::lround(mix(a, b, t)), 0L, 255L));
}

Color mixColor(Color a, Color b, double t)
{
    return {mix8(a.r, b.r, t), mix8(a.g, b.g, t), mix8(a.b, b.b, t), mix8(a.a, b.a, t)};
}

Matrix mixMatrix(const Matrix& a, const Matrix& b, double t)
{
    return {mix(a.a, b.a, t), mix(a.b, b.b, t), mix(a.c, b.c, t), mix(a.d, b.d, t), mix(a.tx, b.tx, t), mix(a.ty, b.ty, t)};
}

FillStyle mixFill(const FillStyle& a, const FillStyle& b, double t)
{
    FillStyle fill = a;
    fill.color = mixColor(a.color, b.color, t);
    fill.matrix = mixMatrix(a.matrix, b.matrix, t);
    fill.gradient.focalPoint = mix(a.gradient.focalPoint, b.gradient.focalPoint, t);
    const std::size_t stops = std::min(a.gradient.records.size(), b.gradient.records.size());
    fill.gradient.records.resize(stops);
    for (std::size_t i = 0; i < stops; ++i) {
        fill.gradient.records[i].ratio = mix8(a.gradient.records[i].ratio, b.gradient.records[i].ratio, t);
        fill.gradient.records[i].color = mixColor(a.gradient.records[i].color, b.gradient.records[i].color, t);
    }
    return fill;
}

QPointF mixPoint(QPointF a, QPointF b, double t)
{
    return a + (b - a) * t;
}

// An edge as absolute points; a straight edge's control point is its middle.
struct AbsoluteEdge {
    QPointF control;
    QPointF to;
    bool curved = false;
};

std::optional<AbsoluteEdge> edgeFrom(const ShapeRecord& record, QPointF& pen)
{
    if (const auto* line = std::get_if<StraightEdge>(&record)) {
        const QPointF from = pen;
        pen += QPointF(line->dx, line->dy);
        return AbsoluteEdge {(from + pen) / 2, pen, false};
    }
    if (const auto* curve = std::get_if<CurvedEdge>(&record)) {
        const QPointF control = pen + QPointF(curve->controlDx, curve->controlDy);
        pen = control + QPointF(curve->anchorDx, curve->anchorDy);
        return AbsoluteEdge {control, pen, true};
    }
    return std::nullopt;
}

} // namespace

Result<std::shared_ptr<MorphShapeDefinition>> readMorphShapeDefinition(std::uint16_t code, std::span<const std::uint8_t> body)
{
    using Failure = Result<std::shared_ptr<MorphShapeDefinition>>;
    const bool second = code == kDefineMorphShape2;
    ByteReader bytes(body);
    auto morph = std::make_shared<MorphShapeDefinition>();
    const auto startBounds = readRect(bytes);
    const auto endBounds = startBounds ? readRect(bytes) : std::nullopt;
    if (!endBounds)
        return Failure::failure("morph bounds cut short");
    morph->startBounds = *startBounds;
    morph->endBounds = *endBounds;
    if (second) {
        const bool edgeBounds = readRect(bytes) && readRect(bytes);
        if (!edgeBounds || !bytes.u8())
            return Failure::failure("morph bounds cut short");
    }
    const auto offset = bytes.u32();
    if (!offset)
        return Failure::failure("morph header cut short");
    const std::size_t endEdgesAt = bytes.position() + *offset;

    const auto fillCount = readCount(bytes);
    if (!fillCount || *fillCount > bytes.remaining())
        return Failure::failure("morph fill styles cut short");
    for (std::uint32_t i = 0; i < *fillCount; ++i) {
        auto fill = readMorphFill(bytes);
        if (!fill)
            return Failure::failure("morph fill style malformed");
        morph->fills.push_back(std::move(*fill));
    }
    const auto lineCount = readCount(bytes);
    if (!lineCount || *lineCount > bytes.remaining())
        return Failure::failure("morph line styles cut short");
    for (std::uint32_t i = 0; i < *lineCount; ++i) {
        auto line = readMorphLine(bytes, second);
        if (!line)
            return Failure::failure("morph line style malformed");
        morph->lines.push_back(std::move(*line));
    }
    auto startRecords = readShape(bytes, second ? 4 : 3);
    if (!startRecords)
        return Failure::failure("morph start edges malformed");
    morph->startRecords = std::move(*startRecords);
    // The offset says where the end edges begin; trust it only inside the tag.
    if (endEdgesAt > bytes.position() && endEdgesAt < body.size())
        bytes.skip(endEdgesAt - bytes.position());
    auto endRecords = readShape(bytes, second ? 4 : 3);
    if (endRecords)
        morph->endRecords = std::move(*endRecords);
    if (morph->startRecords.size() > kMaxMorphRecords)
        morph->startRecords.resize(kMaxMorphRecords);
    if (morph->endRecords.size() > kMaxMorphRecords)
        morph->endRecords.resize(kMaxMorphRecords);
    return morph;
}

std::shared_ptr<const ShapeGeometry> MorphShapeDefinition::cachedGeometryAt(std::uint16_t ratio) const
{
    const std::lock_guard lock(m_cacheLock);
    const auto found = m_cache.find(ratio);
    return found == m_cache.end() ? nullptr : found->second;
}

std::shared_ptr<const ShapeGeometry> MorphShapeDefinition::geometryAt(std::uint16_t ratio) const
{
    if (auto cached = cachedGeometryAt(ratio))
        return cached;
    auto geometry = std::make_shared<const ShapeGeometry>(build(ratio / 65535.0));
    const std::size_t edges = std::max<std::size_t>(edgeCount(), 1);
    if (edges > kMaxCachedEdges)
        return geometry;
    const std::lock_guard lock(m_cacheLock);
    if (m_cache.size() >= kMaxCachedRatios || m_cachedEdges + edges > kMaxCachedEdges) {
        m_cache.clear();
        m_cachedEdges = 0;
    }
    if (m_cache.emplace(ratio, geometry).second)
        m_cachedEdges += edges;
    return geometry;
}

ShapeGeometry MorphShapeDefinition::build(double t) const
{
    std::vector<FillStyle> fillStyles;
    for (const MorphFill& fill : fills)
        fillStyles.push_back(mixFill(fill.start, fill.end, t));
    std::vector<LineStyle> lineStyles;
    for (const MorphLine& line : lines) {
        LineStyle style = line.start;
        style.width = std::uint16_t(std::lround(mix(line.start.width, line.end.width, t)));
        style.color = mixColor(line.start.color, line.end.color, t);
        if (line.start.fill && line.end.fill)
            style.fill = mixFill(*line.start.fill, *line.end.fill, t);
        lineStyles.push_back(std::move(style));
    }

    ShapeBuilder builder;
    builder.setStyles(std::move(fillStyles), std::move(lineStyles));
    QPointF startPen;
    QPointF endPen;
    std::size_t next = 0; // into endRecords
    for (const ShapeRecord& record : startRecords) {
        if (const auto* change = std::get_if<StyleChange>(&record)) {
            if (change->moveTo) {
                startPen = QPointF(change->moveTo->first, change->moveTo->second);
                // The end shape moves where the start shape does.
                if (next < endRecords.size()) {
                    if (const auto* endChange = std::get_if<StyleChange>(&endRecords[next])) {
                        if (endChange->moveTo)
                            endPen = QPointF(endChange->moveTo->first, endChange->moveTo->second);
                        ++next;
                    }
                }
                builder.moveTo(mixPoint(startPen, endPen, t));
            }
            if (change->fill0)
                builder.setFill0(*change->fill0);
            if (change->fill1)
                builder.setFill1(*change->fill1);
            if (change->line)
                builder.setLine(*change->line);
            continue;
        }
        const QPointF startFrom = startPen;
        const auto startEdge = edgeFrom(record, startPen);
        if (!startEdge)
            continue;
        std::optional<AbsoluteEdge> endEdge;
        while (next < endRecords.size() && !endEdge) {
            const ShapeRecord& endRecord = endRecords[next++];
            if (const auto* endChange = std::get_if<StyleChange>(&endRecord)) {
                if (endChange->moveTo)
                    endPen = QPointF(endChange->moveTo->first, endChange->moveTo->second);
                continue;
            }
            endEdge = edgeFrom(endRecord, endPen);
        }
        if (!endEdge) {
            // An end shape with fewer edges keeps the start shape's remainder.
            const QPointF shift = endPen - startFrom;
            endEdge = AbsoluteEdge {startEdge->control + shift, startEdge->to + shift, startEdge->curved};
            endPen = endEdge->to;
        }
        const QPointF to = mixPoint(startEdge->to, endEdge->to, t);
        if (!startEdge->curved && !endEdge->curved)
            builder.lineTo(to);
        else
            builder.curveTo(mixPoint(startEdge->control, endEdge->control, t), to);
    }
    return builder.finish();
}

} // namespace swf
