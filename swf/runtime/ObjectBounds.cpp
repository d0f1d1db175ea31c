#include "swf/runtime/ObjectBounds.h"

#include "swf/define/Definitions.h"
#include "swf/runtime/Container.h"
#include "swf/runtime/EditTextInstance.h"
#include "swf/runtime/SpriteInstance.h"
#include "swf/runtime/VideoInstance.h"

namespace swf {

namespace {

constexpr double kTwips = 20;

} // namespace

std::optional<QRectF> boundsThrough(const DisplayObject& object, const Matrix& matrix)
{
    const std::optional<QRectF> local = localBounds(object);
    if (!local)
        return std::nullopt;
    return matrix.toTransform().mapRect(*local);
}

std::optional<QRectF> localBounds(const DisplayObject& object)
{
    const auto fromRect = [](const Rect& r) -> std::optional<QRectF> {
        if (r.xMax < r.xMin || r.yMax < r.yMin)
            return std::nullopt;
        return QRectF(QPointF(r.xMin, r.yMin), QPointF(r.xMax, r.yMax));
    };
    const Character* character = object.character().get();
    switch (object.type()) {
    case DisplayObject::Type::Shape:
        return character ? fromRect(static_cast<const ShapeDefinition&>(*character).bounds) : std::nullopt;
    case DisplayObject::Type::StaticText:
        return character ? fromRect(static_cast<const StaticTextDefinition&>(*character).text.bounds) : std::nullopt;
    case DisplayObject::Type::EditText:
        return fromRect(static_cast<const EditTextInstance&>(object).layout()->bounds);
    case DisplayObject::Type::Bitmap: {
        const QSize size = character ? static_cast<const BitmapDefinition&>(*character).claimedSize() : QSize();
        if (size.isEmpty())
            return std::nullopt;
        return QRectF(0, 0, size.width() * kTwips, size.height() * kTwips);
    }
    case DisplayObject::Type::Video:
        return fromRect(static_cast<const VideoInstance&>(object).definition().bounds());
    case DisplayObject::Type::Sprite:
    case DisplayObject::Type::Button: {
        std::optional<QRectF> all;
        if (object.type() == DisplayObject::Type::Sprite) {
            const ClipDrawing& drawing = static_cast<const SpriteInstance&>(object).drawing();
            all = drawing.edgeBounds();
            if (const auto drawn = drawing.shape())
                all = all ? all->united(drawn->bounds) : drawn->bounds;
        }
        for (const auto& child : static_cast<const Container&>(object).children()) {
            const std::optional<QRectF> part = boundsThrough(*child, child->matrix());
            if (part)
                all = all ? all->united(*part) : *part;
        }
        return all;
    }
    default: return std::nullopt;
    }
}


} // namespace swf
