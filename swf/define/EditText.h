#pragma once

// DefineEditText: a text field as placed, with its format and initial text.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "swf/Color.h"
#include "swf/Header.h"
#include "swf/read/Result.h"

namespace swf {

enum class TextAlign : std::uint8_t { Left = 0, Right = 1, Center = 2, Justify = 3 };

struct EditText {
    Rect bounds;

    bool wordWrap = false;
    bool multiline = false;
    bool password = false;
    bool readOnly = false;
    bool border = false; // also means a white background
    bool html = false;
    bool useOutlines = false; // draw with the embedded font instead of a device font
    bool autoSize = false;
    bool noSelect = false;
    bool wasStatic = false;

    std::optional<std::uint16_t> fontId;
    std::string fontClass;
    std::uint16_t height = 240; // twips; 12 px when the field names no font
    std::optional<Color> color;  // black when absent
    std::optional<std::uint16_t> maxLength;

    bool hasLayout = false;
    TextAlign align = TextAlign::Left;
    std::uint16_t leftMargin = 0; // twips
    std::uint16_t rightMargin = 0;
    std::uint16_t indent = 0;
    std::int16_t leading = 0;

    std::string variableName; // as stored: UTF-8 from version 6
    std::optional<std::string> initialText;
};

// DefineEditText (37), after the character id.
Result<EditText> readEditText(std::span<const std::uint8_t> bodyAfterId);

} // namespace swf
