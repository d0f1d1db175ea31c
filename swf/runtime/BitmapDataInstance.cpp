#include "swf/runtime/BitmapDataInstance.h"

#include "swf/define/Definitions.h"

namespace swf {

BitmapDataInstance::BitmapDataInstance(Stage& stage, std::shared_ptr<BitmapCanvas> canvas, bool smoothing)
    : DisplayObject(Type::Bitmap, stage, 0, std::shared_ptr<const Character>(canvas->snapshot()))
    , m_canvas(std::move(canvas))
    , m_smoothing(smoothing)
{
}

std::shared_ptr<const Character> BitmapDataInstance::shown() const
{
    return m_canvas->snapshot();
}

} // namespace swf
