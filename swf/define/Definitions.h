#pragma once

// The characters a movie defines, each as read from its tag and with the
// geometry it will be drawn with already built.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
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
#include "swf/define/MemoryBudget.h"
#include "swf/define/ShapeGeometry.h"
#include "swf/read/Result.h"

namespace swf {

class ShapeDefinition final : public Character {
public:
    Kind kind() const override { return Kind::Shape; }

    Rect bounds;
    ShapeGeometry geometry;
    // The geometry's own reach (see ShapeGeometry::reach()): a damaged
    // tag's bounds may fall short of what it draws.
    std::optional<ShapeReach> reach;
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

    // The shape at `ratio` (0..65535), built the first time it is asked
    // for. The cache may let it go while a caller still holds it, so it is
    // shared, never borrowed.
    std::shared_ptr<const ShapeGeometry> geometryAt(std::uint16_t ratio) const;
    // The shape at `ratio` if it has been built and is still kept, else null.
    std::shared_ptr<const ShapeGeometry> cachedGeometryAt(std::uint16_t ratio) const;
    // The edges building a shape at a new ratio goes through.
    std::size_t edgeCount() const { return startRecords.size() + endRecords.size(); }

private:
    ShapeGeometry build(double t) const;

    mutable std::mutex m_cacheLock;
    mutable std::map<std::uint16_t, std::shared_ptr<const ShapeGeometry>> m_cache;
    mutable std::size_t m_cachedEdges = 0;
};

// Pixels stay compressed until the bitmap is first drawn, and are counted
// against the movie's memory budget while they are kept: the bitmaps used
// least recently let go of theirs when room is needed, and decode again
// when next drawn. Drawing may happen on several threads at once; the
// images handed out are shared copies, valid whatever happens next.
class BitmapDefinition final : public Character, public MemoryBudget::Entry {
public:
    // `body` is the tag's body after the character id; `jpegTables` the
    // movie's JPEGTables, for DefineBits. Without a budget nothing is counted.
    BitmapDefinition(std::uint16_t tagCode, std::vector<std::uint8_t> body, std::vector<std::uint8_t> jpegTables = {},
                     std::shared_ptr<MemoryBudget> budget = nullptr);
    // Pixels made at run time (a script's bitmap), already premultiplied;
    // they are not counted, as whoever made them counted them.
    explicit BitmapDefinition(QImage pixels);
    ~BitmapDefinition() override;

    Kind kind() const override { return Kind::Bitmap; }
    std::uint16_t tagCode() const { return m_tagCode; }

    // Premultiplied pixels, or a null image when they cannot be decoded or
    // do not fit the budget.
    QImage image() const;
    // The same with its edge pixels repeated once all round, for fills that
    // clamp at the bitmap's edge instead of tiling it.
    QImage edgePaddedImage() const;
    // Whether image() has its pixels at hand, and the size its header
    // claims (what decoding them would cost; empty if it cannot tell).
    bool hasPixels() const;
    QSize claimedSize() const;

    bool tryRelease() override;

private:
    QImage decodedLocked() const;
    bool chargeFor(std::int64_t pixels) const;

    std::uint16_t m_tagCode;
    mutable std::mutex m_lock;
    std::vector<std::uint8_t> m_body;
    std::vector<std::uint8_t> m_jpegTables;
    std::shared_ptr<MemoryBudget> m_budget;
    mutable std::optional<QImage> m_image;
    mutable std::optional<QImage> m_padded;
    mutable bool m_failed = false;
    mutable bool m_refusalReported = false;
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
        std::shared_ptr<const std::vector<Filter>> filters; // null: none
        std::uint8_t blendMode = 0;
    };
    // Actions and the transitions that run them: DefineButton2's condition
    // bits as stored, or none for DefineButton's one set, which runs on
    // release over the button.
    struct Actions {
        std::optional<std::uint16_t> conditions;
        TagRef actions;
    };
    std::vector<Record> records;
    std::vector<Actions> actions;
    bool trackAsMenu = false;
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
