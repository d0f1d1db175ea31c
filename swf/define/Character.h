#pragma once

// Anything a movie defines under a character id and places on a display
// list. Definitions are immutable once read, apart from caches they fill
// themselves (decoded pixels, morph geometry at a ratio).

#include <optional>

#include "swf/Header.h"

namespace swf {

class Character {
public:
    enum class Kind { Shape, MorphShape, Bitmap, Sprite, Button, Font, StaticText, EditText, Video };

    virtual ~Character() = default;
    virtual Kind kind() const = 0;

protected:
    Character() = default;
};

} // namespace swf
