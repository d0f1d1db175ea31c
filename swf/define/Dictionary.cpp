#include "swf/define/Dictionary.h"

#include "swf/read/ByteReader.h"
#include "swf/read/Records.h"

namespace swf {

namespace {

enum : std::uint16_t {
    kDefineShape = 2,
    kDefineBits = 6,
    kDefineButton = 7,
    kJpegTables = 8,
    kDefineFont = 10,
    kDefineText = 11,
    kDefineFontInfo = 13,
    kDefineBitsLossless = 20,
    kDefineBitsJpeg2 = 21,
    kDefineShape2 = 22,
    kDefineShape3 = 32,
    kDefineButtonCxform = 23,
    kDefineText2 = 33,
    kDefineButton2 = 34,
    kDefineBitsJpeg3 = 35,
    kDefineBitsLossless2 = 36,
    kDefineEditText = 37,
    kDefineSprite = 39,
    kDefineMorphShape = 46,
    kDefineFont2 = 48,
    kDefineFontInfo2 = 62,
    kDefineFontAlignZones = 73,
    kDefineFont3 = 75,
    kDefineScalingGrid = 78,
    kDefineShape4 = 83,
    kDefineMorphShape2 = 84,
    kDefineFontName = 88,
    kDefineBitsJpeg4 = 90,
};

template<typename T>
std::shared_ptr<const Character> orReport(Result<std::shared_ptr<T>> result, std::string& problem)
{
    if (!result) {
        problem = result.error();
        return nullptr;
    }
    return std::move(result.value());
}

} // namespace

bool Dictionary::isDefinitionTag(std::uint16_t code)
{
    switch (code) {
    case kDefineShape:
    case kDefineBits:
    case kDefineButton:
    case kDefineButtonCxform:
    case kJpegTables:
    case kDefineBitsLossless:
    case kDefineBitsJpeg2:
    case kDefineShape2:
    case kDefineShape3:
    case kDefineButton2:
    case kDefineBitsJpeg3:
    case kDefineBitsLossless2:
    case kDefineSprite:
    case kDefineMorphShape:
    case kDefineScalingGrid:
    case kDefineShape4:
    case kDefineMorphShape2:
    case kDefineBitsJpeg4:
    case kDefineFont:
    case kDefineText:
    case kDefineFontInfo:
    case kDefineText2:
    case kDefineEditText:
    case kDefineFont2:
    case kDefineFontInfo2:
    case kDefineFontAlignZones:
    case kDefineFont3:
    case kDefineFontName:
        return true;
    default:
        return false;
    }
}

void Dictionary::define(const TagRecord& tag, std::span<const std::uint8_t> body, std::uint8_t swfVersion,
                        std::vector<Diagnostic>& diagnostics)
{
    if (!isDefinitionTag(tag.code))
        return;
    const auto report = [&](const std::string& message) {
        diagnostics.push_back({tag.bodyOffset, int(tag.code), message});
    };
    if (tag.code == kJpegTables) {
        m_jpegTables.assign(body.begin(), body.end());
        return;
    }
    ByteReader bytes(body);
    const auto id = bytes.u16();
    if (!id) {
        report("definition without a character id");
        return;
    }
    if (tag.code == kDefineScalingGrid) {
        if (const auto rect = readRect(bytes))
            m_grids.emplace(*id, ScalingGrid {*rect});
        else
            report("scaling grid cut short");
        return;
    }
    if (tag.code == kDefineButtonCxform) {
        if (const auto cxform = readColorTransform(bytes, false))
            m_buttonColors[*id] = *cxform;
        else
            report("button colour transform cut short");
        return;
    }
    const auto fontToAmend = [&]() -> Font* {
        const auto found = m_fonts.find(*id);
        if (found == m_fonts.end()) {
            report("font " + std::to_string(*id) + " amended before it was defined");
            return nullptr;
        }
        return &found->second->font;
    };
    switch (tag.code) {
    case kDefineFontInfo:
    case kDefineFontInfo2:
        if (Font* font = fontToAmend())
            applyFontInfo(*font, tag.code, bytes.rest());
        return;
    case kDefineFontAlignZones:
        if (Font* font = fontToAmend())
            applyAlignZones(*font, bytes.rest());
        return;
    case kDefineFontName:
        if (Font* font = fontToAmend())
            applyFontName(*font, bytes.rest());
        return;
    default:
        break;
    }
    if (m_characters.count(*id)) {
        report("character " + std::to_string(*id) + " defined again; the first definition stands");
        return;
    }

    const std::span<const std::uint8_t> rest = bytes.rest();
    std::string problem;
    std::shared_ptr<const Character> character;
    switch (tag.code) {
    case kDefineShape:
    case kDefineShape2:
    case kDefineShape3:
    case kDefineShape4:
        character = orReport(readShapeDefinition(tag.code, rest), problem);
        break;
    case kDefineMorphShape:
    case kDefineMorphShape2:
        character = orReport(readMorphShapeDefinition(tag.code, rest), problem);
        break;
    case kDefineSprite: {
        std::vector<std::string> problems;
        character = orReport(readSpriteDefinition(rest, swfVersion, problems), problem);
        for (const std::string& message : problems)
            report(message);
        break;
    }
    case kDefineButton:
    case kDefineButton2:
        character = orReport(readButtonDefinition(tag.code, rest), problem);
        break;
    case kDefineBits:
    case kDefineBitsLossless:
    case kDefineBitsJpeg2:
    case kDefineBitsJpeg3:
    case kDefineBitsLossless2:
    case kDefineBitsJpeg4: {
        auto bitmap = std::make_shared<BitmapDefinition>();
        bitmap->tagCode = tag.code;
        bitmap->body.assign(rest.begin(), rest.end());
        if (tag.code == kDefineBits)
            bitmap->jpegTables = m_jpegTables;
        character = std::move(bitmap);
        break;
    }
    case kDefineFont:
    case kDefineFont2:
    case kDefineFont3: {
        auto font = readFont(tag.code, rest, swfVersion);
        if (!font) {
            problem = font.error();
            break;
        }
        auto definition = std::make_shared<FontDefinition>();
        definition->font = std::move(font.value());
        m_fonts.emplace(*id, definition);
        character = std::move(definition);
        break;
    }
    case kDefineText:
    case kDefineText2: {
        auto text = readStaticText(tag.code, rest);
        if (!text) {
            problem = text.error();
            break;
        }
        auto definition = std::make_shared<StaticTextDefinition>();
        definition->text = std::move(text.value());
        character = std::move(definition);
        break;
    }
    case kDefineEditText: {
        auto field = readEditText(rest);
        if (!field) {
            problem = field.error();
            break;
        }
        auto definition = std::make_shared<EditTextDefinition>();
        definition->field = std::move(field.value());
        character = std::move(definition);
        break;
    }
    default:
        return;
    }
    if (!character) {
        report(problem);
        return;
    }
    m_characters.emplace(*id, std::move(character));
}

void Dictionary::clear()
{
    m_characters.clear();
    m_fonts.clear();
    m_grids.clear();
    m_buttonColors.clear();
    m_jpegTables.clear();
}

std::shared_ptr<const Character> Dictionary::find(std::uint16_t id) const
{
    const auto found = m_characters.find(id);
    return found == m_characters.end() ? nullptr : found->second;
}

const Font* Dictionary::font(std::uint16_t id) const
{
    const auto found = m_fonts.find(id);
    return found == m_fonts.end() ? nullptr : &found->second->font;
}

const ScalingGrid* Dictionary::scalingGrid(std::uint16_t id) const
{
    const auto found = m_grids.find(id);
    return found == m_grids.end() ? nullptr : &found->second;
}

const ColorTransform* Dictionary::buttonColorTransform(std::uint16_t id) const
{
    const auto found = m_buttonColors.find(id);
    return found == m_buttonColors.end() ? nullptr : &found->second;
}

} // namespace swf
