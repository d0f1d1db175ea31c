#pragma once

#include <cstdint>
#include <string_view>

namespace swf {

// Tag codes the engine gives meaning to. Others are still recorded, so a
// later layer can pick them up without touching the reader.
enum class TagCode : std::uint16_t {
    End = 0,
    ShowFrame = 1,
    DefineShape = 2,
    PlaceObject = 4,
    RemoveObject = 5,
    DefineBits = 6,
    DefineButton = 7,
    JPEGTables = 8,
    SetBackgroundColor = 9,
    DefineFont = 10,
    DefineText = 11,
    DoAction = 12,
    DefineSprite = 39,
    FrameLabel = 43,
    FileAttributes = 69,
};

constexpr bool operator==(std::uint16_t code, TagCode tag) { return code == std::uint16_t(tag); }

// The name a tag code is documented under, or empty for a code no version
// of the format defines.
std::string_view tagName(std::uint16_t code);

} // namespace swf
