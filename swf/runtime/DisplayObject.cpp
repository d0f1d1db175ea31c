#include "swf/runtime/DisplayObject.h"

#include "swf/runtime/Stage.h"

namespace swf {

DisplayObject::DisplayObject(Type type, Stage& stage, std::uint16_t characterId, std::shared_ptr<const Character> character)
    : m_type(type)
    , m_stage(stage)
    , m_id(stage.takeObjectId())
    , m_characterId(characterId)
    , m_character(std::move(character))
{
    m_charged = stage.chargeInstance();
}

DisplayObject::~DisplayObject()
{
    if (m_charged)
        m_stage.releaseInstance();
}

void DisplayObject::changed()
{
    m_stage.markChanged();
}

namespace {

template<typename T>
bool assign(T& field, T value)
{
    if (field == value)
        return false;
    field = std::move(value);
    return true;
}

} // namespace

void DisplayObject::setMatrix(const Matrix& matrix)
{
    if (assign(m_placement.matrix, matrix))
        changed();
}

void DisplayObject::setColorTransform(const ColorTransform& colorTransform)
{
    if (assign(m_placement.colorTransform, colorTransform))
        changed();
}

void DisplayObject::setRatio(std::uint16_t ratio)
{
    if (assign(m_placement.ratio, ratio))
        changed();
}

void DisplayObject::setName(std::string name)
{
    // A name does not show.
    m_placement.name = std::move(name);
}

void DisplayObject::setScriptMask(DisplayObject* mask)
{
    if (mask == this)
        mask = nullptr;
    if (const auto old = m_mask.lock()) {
        old->m_maskOf.reset();
        old->changed();
    }
    m_mask.reset();
    if (mask) {
        if (const auto previous = mask->m_maskOf.lock()) {
            previous->m_mask.reset();
            previous->changed();
        }
        mask->m_maskOf = weak_from_this();
        mask->setClipDepth(0);
        m_mask = mask->weak_from_this();
        setClipDepth(0);
    }
    changed();
}

DisplayObject* DisplayObject::scriptMask() const
{
    const auto mask = m_mask.lock();
    return mask && !mask->isRemoved() ? mask.get() : nullptr;
}

bool DisplayObject::isUnloading() const
{
    for (const DisplayObject* at = this; at; at = at->m_parent)
        if (at->m_unloading)
            return true;
    return false;
}

bool DisplayObject::isScriptMask() const
{
    const auto of = m_maskOf.lock();
    return of && !of->isRemoved() && of->m_mask.lock().get() == this;
}

void DisplayObject::setClipDepth(std::uint16_t clipDepth)
{
    if (assign(m_placement.clipDepth, clipDepth))
        changed();
}

void DisplayObject::setBlendMode(std::uint8_t blendMode)
{
    if (assign(m_placement.blendMode, blendMode))
        changed();
}

void DisplayObject::setFilters(std::shared_ptr<const std::vector<Filter>> filters)
{
    // An empty list and none draw the same.
    if (filters && filters->empty())
        filters = nullptr;
    if (assign(m_placement.filters, std::move(filters)))
        changed();
}

void DisplayObject::setVisible(bool visible)
{
    if (assign(m_placement.visible, visible))
        changed();
}

void DisplayObject::setCacheAsBitmap(bool cache)
{
    // Read, not drawn: only later versions give it a visible effect.
    m_placement.cacheAsBitmap = cache;
}

void DisplayObject::setBackground(std::optional<Color> background)
{
    m_placement.background = background;
}

void DisplayObject::apply(const PlaceCommand& place)
{
    PlacementState next = m_placement;
    next.merge(place);
    setPlacement(next);
}

void DisplayObject::setPlacement(const PlacementState& placement)
{
    setMatrix(placement.matrix);
    setColorTransform(placement.colorTransform);
    setRatio(placement.ratio);
    setName(placement.name);
    setClipDepth(placement.clipDepth);
    setBlendMode(placement.blendMode);
    setFilters(placement.filters);
    setVisible(placement.visible);
    setCacheAsBitmap(placement.cacheAsBitmap);
    setBackground(placement.background);
}

} // namespace swf
