#pragma once

// Something on stage: a character placed at a depth of its parent, with
// the properties the timeline (and later script) gave it. An object lives
// from its placement until its removal and keeps its identity all that
// time; timeline commands change it in place. Whoever holds a reference
// (the script machine, a queued action) may keep it past its removal,
// which only takes it off the stage.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "swf/Color.h"
#include "swf/ColorTransform.h"
#include "swf/Matrix.h"
#include "swf/define/Character.h"
#include "swf/define/FrameScript.h"
#include "swf/runtime/PlacementState.h"

namespace swf {

class Container;
class Stage;

// Where a timeline placement came from: the frame and the command within
// it. Going back on a timeline keeps an object only if the frame gone to
// places it by the same command.
struct PlacementOrigin {
    int frame = -1;
    int command = -1;

    bool operator==(const PlacementOrigin&) const = default;
};

class DisplayObject : public std::enable_shared_from_this<DisplayObject> {
public:
    enum class Type { Shape, MorphShape, Bitmap, StaticText, EditText, Sprite, Button, Video };

    virtual ~DisplayObject();
    DisplayObject(const DisplayObject&) = delete;
    DisplayObject& operator=(const DisplayObject&) = delete;

    Type type() const { return m_type; }
    // Unique among the objects of one stage, never reused.
    std::uint64_t id() const { return m_id; }
    Stage& stage() const { return m_stage; }
    // Null for the root and for an object taken off the stage.
    Container* parent() const { return m_parent; }
    int depth() const { return m_depth; }
    bool isRemoved() const { return m_removed; }
    // Taken away but kept on stage, below every depth, until its unload
    // handlers have run; this or any clip that holds it.
    bool isUnloading() const;

    std::uint16_t characterId() const { return m_characterId; }
    // Null for the root, and for an id the movie never defined.
    const std::shared_ptr<const Character>& character() const { return m_character; }
    const PlacementOrigin& origin() const { return m_origin; }
    void setOrigin(PlacementOrigin origin) { m_origin = origin; }

    const PlacementState& placement() const { return m_placement; }
    const Matrix& matrix() const { return m_placement.matrix; }
    const ColorTransform& colorTransform() const { return m_placement.colorTransform; }
    std::uint16_t ratio() const { return m_placement.ratio; }
    const std::string& name() const { return m_placement.name; }
    std::uint16_t clipDepth() const { return m_placement.clipDepth; } // 0: not a mask
    std::uint8_t blendMode() const { return m_placement.blendMode; }  // as stored
    // Null when the object has none.
    const std::shared_ptr<const std::vector<Filter>>& filters() const { return m_placement.filters; }
    bool isVisible() const { return m_placement.visible; }
    bool cacheAsBitmap() const { return m_placement.cacheAsBitmap; }
    const std::optional<Color>& background() const { return m_placement.background; }

    // Each setter marks the stage changed only when the value does change.
    void setMatrix(const Matrix& matrix);
    void setColorTransform(const ColorTransform& colorTransform);
    void setRatio(std::uint16_t ratio);
    void setName(std::string name);
    void setClipDepth(std::uint16_t clipDepth);
    void setBlendMode(std::uint8_t blendMode);
    void setFilters(std::shared_ptr<const std::vector<Filter>> filters);
    void setVisible(bool visible);
    void setCacheAsBitmap(bool cache);
    void setBackground(std::optional<Color> background);

    // Script's masks: this object shows only where `mask` covers, and the
    // mask is no longer drawn itself. A mask serves one object at a time;
    // taking part ends a timeline mask's clip depth. Null: none.
    void setScriptMask(DisplayObject* mask);
    // Null when the object has none or its mask is gone.
    DisplayObject* scriptMask() const;
    // Whether some object is drawn through this one.
    bool isScriptMask() const;

    // What a place command gives an object; what it leaves out stays.
    void apply(const PlaceCommand& place);
    // Every placement property at once.
    void setPlacement(const PlacementState& placement);

protected:
    DisplayObject(Type type, Stage& stage, std::uint16_t characterId, std::shared_ptr<const Character> character);

    // Something about the object that shows has changed.
    void changed();

private:
    friend class Container;
    friend class Stage;

    Type m_type;
    Stage& m_stage;
    std::uint64_t m_id;
    Container* m_parent = nullptr;
    int m_depth = 0;
    bool m_removed = false;
    bool m_unloading = false;
    bool m_charged = false; // counted against the stage's instance budget
    std::uint16_t m_characterId;
    std::shared_ptr<const Character> m_character;
    PlacementOrigin m_origin;

    PlacementState m_placement;
    std::weak_ptr<DisplayObject> m_mask;
    std::weak_ptr<DisplayObject> m_maskOf;
};

} // namespace swf
