#pragma once

// Draws a player's current frame into an image. The renderer only reads the
// player; it never advances it.

#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

#include "swf/Player.h"

namespace swf {

enum class ScaleMode { ShowAll, NoBorder, ExactFit, NoScale };
enum class Quality { Low, Medium, High, Best };

struct RenderOptions {
    ScaleMode scale = ScaleMode::ShowAll;
    Quality quality = Quality::High;
    // The viewer's magnification about the target's centre, on top of the
    // scale mode's placing: 2 shows half as much of the stage twice as big.
    double zoom = 1;
};

// Fills the whole target with the stage colour and draws the stage into it,
// placed per options.scale (ShowAll: the largest centred rectangle with the
// stage's proportions). A player with no movie leaves the target untouched.
void render(const Player& player, QImage& target, const RenderOptions& options = {});

// Where the stage lands in a target of `target` pixels, in target pixels.
// The stage is always centred; NoBorder and NoScale may overhang the target.
// A stage without area is placed at its natural size, never scaled by 1/0.
QRectF stageRect(const Header& header, QSizeF target, ScaleMode mode);

// Maps stage coordinates (twips, the frame rectangle's origin included) to
// target pixels. Everything drawn on stage goes through this one transform.
QTransform stageTransform(const Header& header, QSizeF target, ScaleMode mode);

} // namespace swf
