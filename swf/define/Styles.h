#pragma once

// Fill and line styles as shapes store them.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "swf/Color.h"
#include "swf/Matrix.h"

namespace swf {

class BitmapDefinition;

struct GradientRecord {
    std::uint8_t ratio = 0;
    Color color;

    friend bool operator==(const GradientRecord&, const GradientRecord&) = default;
};

enum class SpreadMode : std::uint8_t { Pad = 0, Reflect = 1, Repeat = 2 };
enum class InterpolationMode : std::uint8_t { Normal = 0, Linear = 1 };

struct Gradient {
    SpreadMode spread = SpreadMode::Pad;
    InterpolationMode interpolation = InterpolationMode::Normal;
    std::vector<GradientRecord> records;
    double focalPoint = 0; // -1..1, focal gradients only
};

enum class FillType : std::uint8_t {
    Solid = 0x00,
    LinearGradient = 0x10,
    RadialGradient = 0x12,
    FocalGradient = 0x13,
    RepeatingBitmap = 0x40,
    ClippedBitmap = 0x41,
    RepeatingBitmapHard = 0x42, // not smoothed
    ClippedBitmapHard = 0x43,   // not smoothed
};

struct FillStyle {
    FillType type = FillType::Solid;
    Color color;
    Matrix matrix; // gradient or bitmap space to shape space
    Gradient gradient;
    std::uint16_t bitmapId = 0;
    // Pixels script made (beginBitmapFill), in place of bitmapId.
    std::shared_ptr<const BitmapDefinition> bitmap;

    bool isGradient() const
    {
        return type == FillType::LinearGradient || type == FillType::RadialGradient
            || type == FillType::FocalGradient;
    }
    bool isBitmap() const { return std::uint8_t(type) >= 0x40 && std::uint8_t(type) <= 0x43; }
};

enum class CapStyle : std::uint8_t { Round = 0, None = 1, Square = 2 };
enum class JoinStyle : std::uint8_t { Round = 0, Bevel = 1, Miter = 2 };

struct LineStyle {
    std::uint16_t width = 0; // twips; 0 is a hairline
    Color color;
    // LineStyle2 only, defaults otherwise.
    CapStyle startCap = CapStyle::Round;
    CapStyle endCap = CapStyle::Round;
    JoinStyle join = JoinStyle::Round;
    double miterLimit = 3;
    bool noHScale = false;
    bool noVScale = false;
    bool pixelHinting = false;
    bool noClose = false;
    std::optional<FillStyle> fill; // a stroke painted with a fill style
};

} // namespace swf
