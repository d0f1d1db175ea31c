#pragma once

// The window's pictures, drawn here rather than shipped as bitmaps: a
// banner, side bars, a bottom panel and four picture buttons, each in a
// normal and a highlighted form.

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>

namespace app::artwork {

enum class Piece {
    Banner,
    BottomPanel,
    LeftBar,
    RightBar,
    Divider,
    FileStrip,
    HiddenStrip,
    PlayButton,
    PlayButtonLit,
    StopButton,
    StopButtonLit,
    Button3,
    Button3Lit,
    Button4,
    Button4Lit,
};

QPixmap draw(Piece piece, QSize size);
QIcon windowIcon();
// The program's icon, side pixels square, for the desktop's icon theme.
QImage iconImage(int side);

} // namespace app::artwork
