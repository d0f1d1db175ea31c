#include "swf/runtime/DisplayObject.h"

#include "swf/runtime/Clip.h"

namespace swf {

DisplayObject::DisplayObject(DisplayObject&& other) noexcept
    : placement(std::move(other.placement))
    , character(std::move(other.character))
    , clip(std::move(other.clip))
    , budget(std::exchange(other.budget, nullptr))
{
}

DisplayObject& DisplayObject::operator=(DisplayObject&& other) noexcept
{
    if (this != &other) {
        if (budget)
            --budget->live;
        placement = std::move(other.placement);
        character = std::move(other.character);
        clip = std::move(other.clip);
        budget = std::exchange(other.budget, nullptr);
    }
    return *this;
}

DisplayObject::~DisplayObject()
{
    if (budget)
        --budget->live;
}

} // namespace swf
