#pragma once

// Character id to definition, filled as defining tags are reached in load
// order. An id keeps its first definition; a movie that defines an id again
// gets a diagnostic, not a different picture half way through.
//
// The movie goes on loading while a frame is drawn on another thread, so
// lookups may run while a tag is being defined: a lock guards the tables,
// and what a lookup hands out is shared and never changed afterwards (a
// font amended by a later tag is a new copy).

#include <cstdint>
#include <algorithm>
#include <map>
#include <memory>
#include <shared_mutex>
#include <span>
#include <string>
#include <vector>

#include "swf/read/Diagnostics.h"
#include "swf/define/Character.h"
#include "swf/define/Definitions.h"
#include "swf/read/TagRecord.h"

namespace swf {

class SoundDefinition;

class Dictionary {
public:
    // Decoded pixels are counted against `budget`.
    explicit Dictionary(std::shared_ptr<MemoryBudget> budget = std::make_shared<MemoryBudget>());
    // What bitmaps made outside the movie (images it loads) count against.
    const std::shared_ptr<MemoryBudget>& memoryBudget() const { return m_budget; }

    // Reads the tag if it defines something (or carries JPEG tables or a
    // scaling grid); any other tag is left alone.
    // `tagAllowance` is what is left of the movie's cap on tags; the tags
    // inside a sprite are taken from it, and a sprite that would overrun it
    // is cut short.
    void define(const TagRecord& tag, std::span<const std::uint8_t> body, std::uint8_t swfVersion, Diagnostics& diagnostics,
                std::size_t& tagAllowance);
    void clear();

    std::shared_ptr<const Character> find(std::uint16_t id) const;
    std::shared_ptr<const Font> font(std::uint16_t id) const;
    std::optional<ScalingGrid> scalingGrid(std::uint16_t id) const;
    // DefineButtonCxform: a colour transform for everything a button of the
    // first kind shows.
    std::optional<ColorTransform> buttonColorTransform(std::uint16_t id) const;
    // DefineButtonSound: the button's four sound records, for the mixer.
    std::optional<TagRef> buttonSounds(std::uint16_t id) const;
    // DefineSound: sounds live beside the characters, never on a display list.
    std::shared_ptr<const SoundDefinition> sound(std::uint16_t id) const;
    // ExportAssets: the character a movie exports under `name`.
    std::optional<std::uint16_t> exported(const std::string& name) const;
    // Where the ExportAssets tag that made `name` starts (its body's
    // offset), so that a timeline can tell whether it has passed it.
    std::optional<std::uint64_t> exportTag(const std::string& name) const;
    // The name a character was exported under, or empty.
    std::string exportNameOf(std::uint16_t id) const;
    std::size_t size() const;

    // Whether `code` is one of the tags define() reads.
    static bool isDefinitionTag(std::uint16_t code);

private:
    void defineCharacter(std::uint16_t id, const TagRecord& tag, std::span<const std::uint8_t> rest, std::uint8_t swfVersion,
                         Diagnostics& diagnostics, std::size_t& tagAllowance);
    void defineSound(std::uint16_t id, const TagRecord& tag, std::span<const std::uint8_t> rest, Diagnostics& diagnostics);
    void amendFont(std::uint16_t id, const TagRecord& tag, std::span<const std::uint8_t> rest, Diagnostics& diagnostics);
    void addVideoFrame(std::uint64_t bodyOffset, std::span<const std::uint8_t> body, Diagnostics& diagnostics);
    void addSpriteVideoFrames(const FrameScript& script, std::span<const std::uint8_t> body, std::uint64_t bodyOffset,
                              Diagnostics& diagnostics);
    void readExports(const TagRecord& tag, std::span<const std::uint8_t> body, Diagnostics& diagnostics);

    mutable std::shared_mutex m_lock;
    std::map<std::uint16_t, std::shared_ptr<const Character>> m_characters;
    std::map<std::uint16_t, ScalingGrid> m_grids;
    std::map<std::uint16_t, ColorTransform> m_buttonColors;
    std::map<std::uint16_t, TagRef> m_buttonSounds;
    // Export names match whatever the case of their ASCII letters, as in
    // the reference player; other letters match only as they are.
    struct AsciiCaseLess {
        bool operator()(const std::string& a, const std::string& b) const
        {
            const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
            return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                                [&](char x, char y) { return lower(x) < lower(y); });
        }
    };
    struct Export {
        std::uint16_t id = 0;
        std::uint64_t tagOffset = 0;
    };
    std::map<std::string, Export, AsciiCaseLess> m_exports;
    std::map<std::uint16_t, std::shared_ptr<const SoundDefinition>> m_sounds;
    std::map<std::uint16_t, std::shared_ptr<const FontDefinition>> m_fonts;
    std::vector<std::uint8_t> m_jpegTables;
    std::shared_ptr<MemoryBudget> m_budget;
};

// The definition readers, one per kind of tag; `body` starts after the
// character id.
Result<std::shared_ptr<ShapeDefinition>> readShapeDefinition(std::uint16_t code, std::span<const std::uint8_t> body);
Result<std::shared_ptr<MorphShapeDefinition>> readMorphShapeDefinition(std::uint16_t code, std::span<const std::uint8_t> body);
// `bodyOffset` is where `body` sits in the movie's stream; each tag read
// is taken from `tagAllowance`, and reading stops when none is left.
// `problems` gets at most kMaxSpriteProblems entries.
inline constexpr std::size_t kMaxSpriteProblems = 100;
Result<std::shared_ptr<SpriteDefinition>> readSpriteDefinition(std::span<const std::uint8_t> body, std::uint8_t swfVersion,
                                                               std::vector<std::string>& problems, std::uint64_t bodyOffset,
                                                               std::size_t& tagAllowance);
Result<std::shared_ptr<ButtonDefinition>> readButtonDefinition(std::uint16_t code, std::span<const std::uint8_t> body,
                                                               std::uint64_t bodyOffset = 0);

} // namespace swf
