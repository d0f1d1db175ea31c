#pragma once

// Qt's keys as movies know them: the key code Key.getCode() reports (the
// Windows virtual-key numbers the reference player used) and the
// character Key.getAscii() reports.

#include <QKeyEvent>

namespace flash {

struct MovieKey {
    int code = 0; // 0: a key movies have no code for
    int ascii = 0;
};

MovieKey movieKeyOf(const QKeyEvent& event);

} // namespace flash
