#pragma once

// The style arrays and the record stream of a shape, read as they are
// stored. Turning them into drawable paths is the shape definition's work.

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

#include "swf/define/Styles.h"
#include "swf/read/ByteReader.h"

namespace swf {

// 1 to 4 for DefineShape to DefineShape4; morph shapes read their styles as 3.
using ShapeVersion = int;

struct StyleChange {
    std::optional<std::pair<std::int32_t, std::int32_t>> moveTo; // absolute, twips
    std::optional<std::uint32_t> fill0;                           // 0 is "no fill"
    std::optional<std::uint32_t> fill1;
    std::optional<std::uint32_t> line;
    // New style arrays; the indices above then refer to them.
    bool newStyles = false;
    std::vector<FillStyle> fillStyles;
    std::vector<LineStyle> lineStyles;
};

struct StraightEdge {
    std::int32_t dx = 0;
    std::int32_t dy = 0;
};

struct CurvedEdge {
    std::int32_t controlDx = 0;
    std::int32_t controlDy = 0;
    std::int32_t anchorDx = 0;
    std::int32_t anchorDy = 0;
};

using ShapeRecord = std::variant<StyleChange, StraightEdge, CurvedEdge>;

struct ShapeWithStyle {
    std::vector<FillStyle> fillStyles;
    std::vector<LineStyle> lineStyles;
    std::vector<ShapeRecord> records;
};

// A hostile shape cannot make us keep more records than this.
inline constexpr std::size_t kMaxShapeRecords = 1'000'000;

std::optional<FillStyle> readFillStyle(ByteReader& bytes, ShapeVersion version);
std::optional<std::vector<FillStyle>> readFillStyles(ByteReader& bytes, ShapeVersion version);
std::optional<std::vector<LineStyle>> readLineStyles(ByteReader& bytes, ShapeVersion version);
std::optional<Gradient> readGradient(ByteReader& bytes, ShapeVersion version, bool focal);

// SHAPEWITHSTYLE: style arrays, then records up to the end record.
std::optional<ShapeWithStyle> readShapeWithStyle(ByteReader& bytes, ShapeVersion version);
// SHAPE (glyphs, morph edges): records only, with the given starting bit
// counts read from the stream first.
std::optional<std::vector<ShapeRecord>> readShape(ByteReader& bytes, ShapeVersion version);

} // namespace swf
