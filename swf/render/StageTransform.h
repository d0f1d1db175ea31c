#pragma once

// Where the stage lands in a target image.

#include <QRectF>
#include <QSizeF>
#include <QTransform>

#include "swf/Header.h"
#include "swf/render/RenderOptions.h"

namespace swf {

// Where the stage lands in a target of `target` pixels, in target pixels.
// The stage is always centred; NoBorder and NoScale may overhang the target.
// A stage without area is placed at its natural size, never scaled by 1/0.
QRectF stageRect(const Header& header, QSizeF target, ScaleMode mode);

// Maps stage coordinates (twips, the frame rectangle's origin included) to
// target pixels. Everything drawn on stage goes through this one transform.
QTransform stageTransform(const Header& header, QSizeF target, ScaleMode mode);

} // namespace swf
