#pragma once

// The display objects that only draw their character: shapes, morphs (at
// the ratio their placement gives), bitmaps and static text. Whatever they
// show is in the definition and the placement.

#include "swf/runtime/DisplayObject.h"

namespace swf {

class ShapeInstance final : public DisplayObject {
public:
    ShapeInstance(Stage& stage, std::uint16_t id, std::shared_ptr<const Character> character)
        : DisplayObject(Type::Shape, stage, id, std::move(character))
    {
    }
};

class MorphInstance final : public DisplayObject {
public:
    MorphInstance(Stage& stage, std::uint16_t id, std::shared_ptr<const Character> character)
        : DisplayObject(Type::MorphShape, stage, id, std::move(character))
    {
    }
};

class BitmapInstance final : public DisplayObject {
public:
    BitmapInstance(Stage& stage, std::uint16_t id, std::shared_ptr<const Character> character)
        : DisplayObject(Type::Bitmap, stage, id, std::move(character))
    {
    }
};

class StaticTextInstance final : public DisplayObject {
public:
    StaticTextInstance(Stage& stage, std::uint16_t id, std::shared_ptr<const Character> character)
        : DisplayObject(Type::StaticText, stage, id, std::move(character))
    {
    }
};

} // namespace swf
