#pragma once

// The display objects that only draw their character: shapes, morphs (at
// the ratio their placement gives), bitmaps and static text. Whatever they
// show is in the definition and the placement.

#include "swf/runtime/DisplayObject.h"

namespace swf {

template<DisplayObject::Type kType>
class GraphicInstance final : public DisplayObject {
public:
    GraphicInstance(Stage& stage, std::uint16_t id, std::shared_ptr<const Character> character)
        : DisplayObject(kType, stage, id, std::move(character))
    {
    }
};

using ShapeInstance = GraphicInstance<DisplayObject::Type::Shape>;
using MorphInstance = GraphicInstance<DisplayObject::Type::MorphShape>;
using BitmapInstance = GraphicInstance<DisplayObject::Type::Bitmap>;
using StaticTextInstance = GraphicInstance<DisplayObject::Type::StaticText>;

} // namespace swf
