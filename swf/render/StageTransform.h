#pragma once

// Where the stage lands in a target image.

#include <cstdint>

#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QTransform>

#include "swf/Header.h"
#include "swf/render/RenderOptions.h"

namespace swf {

// Where the stage lands in a target of `target` pixels, in target pixels.
// The stage is always centred; NoBorder and NoScale may overhang the target.
// A stage without area is placed at its natural size, never scaled by 1/0.
QRectF stageRect(const Header& header, QSizeF target, ScaleMode mode);

// The largest image a frame is drawn into, as the reference player's own
// bitmaps were bounded: a stage that asks for more is drawn smaller.
inline constexpr int kMaxRenderSide = 8191;
inline constexpr std::int64_t kMaxRenderPixels = 16'777'215;

// `wanted` scaled down, keeping its proportions, to fit the bounds above;
// unchanged when it already does. Sizes under one pixel round up to one.
QSize fitRenderSize(QSizeF wanted);

// Maps stage coordinates (twips, the frame rectangle's origin included) to
// target pixels. Everything drawn on stage goes through this one transform.
QTransform stageTransform(const Header& header, QSizeF target, ScaleMode mode);
// The same with the viewer's zoom about the target's centre on top: where
// a frame drawn with `options` puts each stage point, and so where a
// pointer over the view points on stage.
QTransform viewTransform(const Header& header, QSizeF target, const RenderOptions& options);

} // namespace swf
