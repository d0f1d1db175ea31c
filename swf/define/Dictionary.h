#pragma once

// Character id to definition, filled as defining tags are reached in load
// order. An id keeps its first definition; a movie that defines an id again
// gets a diagnostic, not a different picture half way through.

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <vector>

#include "swf/Diagnostic.h"
#include "swf/define/Character.h"
#include "swf/define/Definitions.h"
#include "swf/read/TagRecord.h"

namespace swf {

class Dictionary {
public:
    // Reads the tag if it defines something (or carries JPEG tables or a
    // scaling grid); any other tag is left alone.
    void define(const TagRecord& tag, std::span<const std::uint8_t> body, std::uint8_t swfVersion,
                std::vector<Diagnostic>& diagnostics);
    void clear();

    std::shared_ptr<const Character> find(std::uint16_t id) const;
    const Font* font(std::uint16_t id) const;
    const ScalingGrid* scalingGrid(std::uint16_t id) const;
    // DefineButtonCxform: a colour transform for everything a button of the
    // first kind shows; null when it has none.
    const ColorTransform* buttonColorTransform(std::uint16_t id) const;
    std::size_t size() const { return m_characters.size(); }

    // Whether `code` is one of the tags define() reads.
    static bool isDefinitionTag(std::uint16_t code);

private:
    std::map<std::uint16_t, std::shared_ptr<const Character>> m_characters;
    std::map<std::uint16_t, ScalingGrid> m_grids;
    std::map<std::uint16_t, ColorTransform> m_buttonColors;
    // Fonts stay writable: their name, code table and zones arrive in later tags.
    std::map<std::uint16_t, std::shared_ptr<FontDefinition>> m_fonts;
    std::vector<std::uint8_t> m_jpegTables;
};

// The definition readers, one per kind of tag; `body` starts after the
// character id.
Result<std::shared_ptr<ShapeDefinition>> readShapeDefinition(std::uint16_t code, std::span<const std::uint8_t> body);
Result<std::shared_ptr<MorphShapeDefinition>> readMorphShapeDefinition(std::uint16_t code, std::span<const std::uint8_t> body);
Result<std::shared_ptr<SpriteDefinition>> readSpriteDefinition(std::span<const std::uint8_t> body, std::uint8_t swfVersion,
                                                               std::vector<std::string>& problems);
Result<std::shared_ptr<ButtonDefinition>> readButtonDefinition(std::uint16_t code, std::span<const std::uint8_t> body);

} // namespace swf
