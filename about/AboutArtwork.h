#pragma once

// The about window's picture and its link pointer, drawn here rather than
// shipped as images.

#include <QCursor>
#include <QPixmap>

namespace about::artwork {

inline constexpr QSize kPictureSize{105, 99};
inline constexpr QSize kCursorSize{32, 32};

// A film frame with the program's initials.
QPixmap picture();
// A pointing hand, its hot spot at the fingertip.
QCursor linkCursor();

} // namespace about::artwork
