#include "swf/Renderer.h"

#include <QColor>

namespace swf {

void render(const Player& player, QImage& target, const RenderOptions& options)
{
    if (!player.hasMovie() || target.isNull())
        return;
    const Color background = player.backgroundColor();
    // The stage colour is opaque whatever the tag says: the letterbox and
    // the stage must read as one surface.
    target.fill(QColor(background.r, background.g, background.b));

    // The display list is drawn here, through this transform, once the
    // engine has one.
    const QTransform toTarget = stageTransform(*player.header(), target.size(), options.scale);
    Q_UNUSED(toTarget);
}

} // namespace swf
