#pragma once

// The characters a movie defines, each as read from its tag and with the
// geometry it will be drawn with already built.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include <QImage>

#include "swf/ColorTransform.h"
#include "swf/Header.h"
#include "swf/Matrix.h"
#include "swf/define/Character.h"
#include "swf/define/EditText.h"
#include "swf/define/Font.h"
#include "swf/define/StaticText.h"
#include "swf/define/FrameScript.h"
#include "swf/define/ShapeGeometry.h"
#include "swf/read/Result.h"

namespace swf {

class ShapeDefinition final : public Character {
public:
    Kind kind() const override { return Kind::Shape; }

    Rect bounds;
    ShapeGeometry geometry;
};

// A shape between two key shapes; edges and styles pair up one to one.
class MorphShapeDefinition final : public Character {
public:
    Kind kind() const override { return Kind::MorphShape; }

    struct MorphFill {
        FillStyle start;
        FillStyle end;
    };
    struct MorphLine {
        LineStyle start;
        LineStyle end;
    };

    Rect startBounds;
    Rect endBounds;
    std::vector<MorphFill> fills;
    std::vector<MorphLine> lines;
    std::vector<ShapeRecord> startRecords;
    std::vector<ShapeRecord> endRecords;

    // The shape at `ratio` (0..65535), built the first time it is asked for.
    const ShapeGeometry& geometryAt(std::uint16_t ratio) const;

private:
    ShapeGeometry build(double t) const;

    mutable std::map<std::uint16_t, ShapeGeometry> m_cache;
};

// Pixels stay compressed until the bitmap is first drawn.
class BitmapDefinition final : public Character {
public:
    Kind kind() const override { return Kind::Bitmap; }

    std::uint16_t tagCode = 0;
    // After the character id; released once decoded.
    mutable std::vector<std::uint8_t> body;
    mutable std::vector<std::uint8_t> jpegTables; // DefineBits only

    // Premultiplied pixels, or a null image when they cannot be decoded.
    const QImage& image() const;
    // The same with its edge pixels repeated once all round, for fills that
    // clamp at the bitmap's edge instead of tiling it.
    const QImage& edgePaddedImage() const;

private:
    mutable std::optional<QImage> m_image;
    mutable std::optional<QImage> m_padded;
};

class SpriteDefinition final : public Character {
public:
    Kind kind() const override { return Kind::Sprite; }

    int frameCount = 0; // as the tag declares it
    FrameScript script;
};

class ButtonDefinition final : public Character {
public:
    Kind kind() const override { return Kind::Button; }

    enum State : std::uint8_t { Up = 1, Over = 2, Down = 4, HitTest = 8 };
    struct Record {
        std::uint8_t states = 0;
        std::uint16_t characterId = 0;
        std::uint16_t depth = 0;
        Matrix matrix;
        ColorTransform colorTransform;
        std::vector<Filter> filters;
        std::uint8_t blendMode = 0;
    };
    std::vector<Record> records;
    bool trackAsMenu = false;
    // The up state as a one-frame timeline, which is how it is shown.
    FrameScript upState;
};

class FontDefinition final : public Character {
public:
    Kind kind() const override { return Kind::Font; }

    Font font;
};

class StaticTextDefinition final : public Character {
public:
    Kind kind() const override { return Kind::StaticText; }

    StaticText text;
};

class EditTextDefinition final : public Character {
public:
    Kind kind() const override { return Kind::EditText; }

    EditText field;
};

// The nine-slice rectangle DefineScalingGrid gives a sprite or button.
struct ScalingGrid {
    Rect center;
};

} // namespace swf
